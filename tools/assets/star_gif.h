// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The launcher's emblem: a gold five-pointed star that rests for a while and then
// twinkles, drawn by this program so that it can be remade and changed at will.

#include <cstdint>
#include <string>
#include <vector>

namespace marloven::star {

// It fits the emblem's place on the windows unscaled.
inline constexpr int kWidth = 49;
inline constexpr int kHeight = 41;

// The GIF file: the star on a transparent background as frame 1, then glints of
// growing and shrinking size drawn over it, each put away again before the next.
// loopCount 0 plays for ever.
std::string StarGif(int loopCount);

// The resting star alone as a square picture of side by side pixels, for the desktop's
// icon: centred on a transparent background, drawn at that size with smooth edges.
// Straight (not premultiplied) RGBA bytes, rows from the top.
std::vector<std::uint8_t> StarIcon(int side);

} // namespace marloven::star
