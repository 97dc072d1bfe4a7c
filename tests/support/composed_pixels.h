// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "gif/gif_compose.h"

#include <cstddef>
#include <cstdint>

namespace marloven {

// What the composition holds at a point of the picture: 0xffRRGGBB where opaque, 0
// where transparent or outside the held rectangle.
inline std::uint32_t HeldPixel(const GifComposition& composition, int x, int y) {
    x -= composition.HeldLeft();
    y -= composition.HeldTop();
    if (x < 0 || y < 0 || x >= composition.HeldWidth() || y >= composition.HeldHeight()) {
        return 0;
    }
    return composition.HeldPixels()[static_cast<std::size_t>(y) *
                                        static_cast<std::size_t>(composition.HeldWidth()) +
                                    static_cast<std::size_t>(x)];
}

// The composed colour 0xffRRGGBB at a point, black where transparent.
inline std::uint32_t ComposedAt(const GifComposition& composition, int x, int y) {
    return kGifBlack | HeldPixel(composition, x, y);
}

inline bool ComposedTransparent(const GifComposition& composition, int x, int y) {
    return (HeldPixel(composition, x, y) >> 24) == 0;
}

} // namespace marloven
