// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/gif_frame_pictures.h"

namespace marloven {

GifPicture FramePicture(const GifFrame& frame) {
    const std::array<std::uint32_t, 256> palette = frame.Palette();
    GifPicture image;
    image.Resize(frame.Width, frame.Height, kGifBlack);
    for (int y = 0; y < frame.Height; ++y) {
        for (int x = 0; x < frame.Width; ++x) {
            if (!frame.IsTransparent(x, y)) {
                image.Pixels[image.Index(x, y)] =
                    palette[frame.IndexRaster[frame.IndexRowLength * y + x]];
            }
        }
    }
    return image;
}

GifMask FrameMask(const GifFrame& frame) {
    GifMask mask;
    mask.Resize(frame.Width, frame.Height, 0);
    for (int y = 0; y < frame.Height; ++y) {
        for (int x = 0; x < frame.Width; ++x) {
            mask.Bits[mask.Index(x, y)] = frame.IsTransparent(x, y) ? 1 : 0;
        }
    }
    return mask;
}

} // namespace marloven
