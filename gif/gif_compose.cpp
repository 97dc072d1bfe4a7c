// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/gif_compose.h"

#include <algorithm>
#include <cstring>

namespace marloven {

namespace {

bool InRange(const GifDecoder& gif, int n) {
    return n >= 1 && n <= gif.FrameCount();
}

} // namespace

void GifComposition::Start(const GifDecoder& gif) {
    width = gif.imageWidth;
    height = gif.imageHeight;
    held_ = {gif.drawnLeft, gif.drawnTop, gif.drawnRight - gif.drawnLeft,
             gif.drawnBottom - gif.drawnTop};
    if (4 * std::int64_t{held_.width} * held_.height > gif.maxBytes) {
        held_ = {0, 0, 0, 0};
    }
    pixels_.assign(static_cast<std::size_t>(held_.width) * static_cast<std::size_t>(held_.height),
                   0);
    std::vector<std::uint32_t>().swap(saved_);
    savedFrame_ = 0;
}

// Frames lie inside the rectangle held for their file, so this cuts only when the
// composition was not started for this file. The result is in held coordinates; a
// frame is then drawn from its top left corner, which the cut never moves.
GifComposition::Area GifComposition::Clip(const GifFrame& frame) const {
    const int left = frame.left - held_.left;
    const int top = frame.top - held_.top;
    if (left < 0 || top < 0) {
        return {0, 0, 0, 0};
    }
    return {left, top, std::clamp(held_.width - left, 0, frame.width),
            std::clamp(held_.height - top, 0, frame.height)};
}

void GifComposition::DrawFrame(const GifDecoder& gif, int n) {
    if (!InRange(gif, n)) {
        return;
    }
    const GifFrame& frame = gif.frames[n - 1];
    const Area area = Clip(frame);
    if (area.width == 0 || area.height == 0) {
        return;
    }
    const auto width = static_cast<std::size_t>(area.width);
    const auto row = [&](int y) {
        return pixels_.data() + static_cast<std::size_t>(area.top + y) * held_.width + area.left;
    };
    if (frame.disposal == 3) {
        saved_.resize(width * static_cast<std::size_t>(area.height));
        for (int y = 0; y < area.height; ++y) {
            std::memcpy(saved_.data() + width * y, row(y), sizeof(std::uint32_t) * width);
        }
        savedFrame_ = n;
    }
    const std::array<std::uint32_t, 256> palette = frame.Palette();
    for (int y = 0; y < area.height; ++y) {
        std::uint32_t* out = row(y);
        const std::uint8_t* indices = frame.indexRaster.data() + frame.indexRowLength * y;
        if (!frame.transparent) {
            for (std::size_t x = 0; x < width; ++x) {
                out[x] = palette[indices[x]];
            }
            continue;
        }
        const std::uint8_t* mask = frame.maskRaster.data() + frame.maskRowLength * y;
        for (std::size_t x = 0; x < width; ++x) {
            if (((mask[x >> 3] >> (7 - (x & 7))) & 1) == 0) {
                out[x] = palette[indices[x]];
            }
        }
    }
}

void GifComposition::DisposeFrame(const GifDecoder& gif, int n) {
    if (!InRange(gif, n)) {
        return;
    }
    const GifFrame& frame = gif.frames[n - 1];
    const Area area = Clip(frame);
    const auto width = static_cast<std::size_t>(area.width);
    const bool restores = frame.disposal == 3 && savedFrame_ == n &&
                          saved_.size() == width * static_cast<std::size_t>(area.height);
    if (frame.disposal != 2 && !restores) {
        return;
    }
    for (int y = 0; y < area.height; ++y) {
        std::uint32_t* out =
            pixels_.data() + static_cast<std::size_t>(area.top + y) * held_.width + area.left;
        if (restores) {
            std::memcpy(out, saved_.data() + width * y, sizeof(std::uint32_t) * width);
        } else {
            std::fill_n(out, width, 0u);
        }
    }
}

} // namespace marloven
