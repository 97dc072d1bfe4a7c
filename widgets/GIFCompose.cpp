#include "widgets/GIFCompose.h"

#include <algorithm>
#include <cstring>

namespace marloven {

namespace {

bool InRange(const GifDecoder& gif, int n) {
    return n >= 1 && n <= gif.FrameCount();
}

// Copies a width x height block between two pictures of one kind; offsets are pixels.
template <typename Pixel>
void CopyBlock(const Pixel* from, int fromStride, Pixel* to, int toStride, int width, int height) {
    for (int y = 0; y < height; ++y) {
        std::memcpy(to + static_cast<std::ptrdiff_t>(y) * toStride,
                    from + static_cast<std::ptrdiff_t>(y) * fromStride, sizeof(Pixel) * width);
    }
}

} // namespace

void GifComposition::Start(const GifDecoder& gif) {
    if (std::int64_t{gif.ImageWidth} * gif.ImageHeight > gif.MaxPixels) {
        Composition.Resize(0, 0, kGifBlack);
        CompositionMask.Resize(0, 0, 1);
        return;
    }
    Composition.Resize(gif.ImageWidth, gif.ImageHeight, kGifBlack);
    CompositionMask.Resize(gif.ImageWidth, gif.ImageHeight, 1);
}

// The frame's area within the composition. Frames lie inside the picture they grew,
// so this cuts only when the composition was not started for this file.
GifComposition::Area GifComposition::Clip(const TFrame& frame) const {
    const int right = std::min(frame.Left + frame.Width, Composition.Width);
    const int bottom = std::min(frame.Top + frame.Height, Composition.Height);
    return {frame.Left, frame.Top, std::max(right - frame.Left, 0),
            std::max(bottom - frame.Top, 0)};
}

void GifComposition::DrawFrame(GifDecoder& gif, int n) {
    if (!InRange(gif, n)) {
        return;
    }
    TFrame& frame = gif.Frames[n - 1];
    const Area area = Clip(frame);
    const bool hasPictures = frame.Image.Width == frame.Width &&
                             frame.Image.Height == frame.Height &&
                             (!frame.Transparent || frame.Mask.Width == frame.Width);
    if (area.width == 0 || area.height == 0 || !hasPictures) {
        return;
    }
    const std::size_t origin = Composition.Index(area.left, area.top);
    if (frame.Disposal == 3) {
        CopyBlock(Composition.Pixels.data() + origin, Composition.Width,
                  frame.SavedImage.Pixels.data(), frame.Width, area.width, area.height);
        CopyBlock(CompositionMask.Bits.data() + origin, CompositionMask.Width,
                  frame.SavedMask.Bits.data(), frame.Width, area.width, area.height);
    }
    for (int y = 0; y < area.height; ++y) {
        std::uint32_t* pixels =
            Composition.Pixels.data() + origin + static_cast<std::size_t>(y) * Composition.Width;
        std::uint8_t* mask =
            CompositionMask.Bits.data() + origin + static_cast<std::size_t>(y) * Composition.Width;
        const std::uint32_t* image = frame.Image.Pixels.data() + frame.Image.Index(0, y);
        if (!frame.Transparent) {
            std::memcpy(pixels, image, sizeof(std::uint32_t) * area.width);
            std::memset(mask, 0, static_cast<std::size_t>(area.width));
            continue;
        }
        const std::uint8_t* frameMask = frame.Mask.Bits.data() + frame.Mask.Index(0, y);
        for (int x = 0; x < area.width; ++x) {
            if (!frameMask[x]) {
                pixels[x] = image[x];
                mask[x] = 0;
            }
        }
    }
}

void GifComposition::DisposeFrame(const GifDecoder& gif, int n) {
    if (!InRange(gif, n)) {
        return;
    }
    const TFrame& frame = gif.Frames[n - 1];
    const Area area = Clip(frame);
    if (area.width == 0 || area.height == 0) {
        return;
    }
    const std::size_t origin = Composition.Index(area.left, area.top);
    if (frame.Disposal == 2) {
        for (int y = 0; y < area.height; ++y) {
            const std::size_t row = origin + static_cast<std::size_t>(y) * Composition.Width;
            std::fill_n(Composition.Pixels.begin() + static_cast<std::ptrdiff_t>(row), area.width,
                        kGifBlack);
            std::fill_n(CompositionMask.Bits.begin() + static_cast<std::ptrdiff_t>(row), area.width,
                        std::uint8_t{1});
        }
    } else if (frame.Disposal == 3) {
        CopyBlock(frame.SavedImage.Pixels.data(), frame.Width, Composition.Pixels.data() + origin,
                  Composition.Width, area.width, area.height);
        CopyBlock(frame.SavedMask.Bits.data(), frame.Width, CompositionMask.Bits.data() + origin,
                  CompositionMask.Width, area.width, area.height);
    }
}

} // namespace marloven
