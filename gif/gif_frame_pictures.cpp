// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/gif_frame_pictures.h"

namespace marloven {

GifPicture FramePicture(const GifFrame& frame) {
    const std::array<std::uint32_t, 256> palette = frame.Palette();
    GifPicture image;
    image.Resize(frame.width, frame.height, kGifBlack);
    for (int y = 0; y < frame.height; ++y) {
        for (int x = 0; x < frame.width; ++x) {
            if (!frame.IsTransparent(x, y)) {
                image.pixels[image.Index(x, y)] =
                    palette[frame.indexRaster[frame.indexRowLength * y + x]];
            }
        }
    }
    return image;
}

GifMask FrameMask(const GifFrame& frame) {
    GifMask mask;
    mask.Resize(frame.width, frame.height, 0);
    for (int y = 0; y < frame.height; ++y) {
        for (int x = 0; x < frame.width; ++x) {
            mask.bits[mask.Index(x, y)] = frame.IsTransparent(x, y) ? 1 : 0;
        }
    }
    return mask;
}

} // namespace marloven
