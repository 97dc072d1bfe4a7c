#pragma once

// The launcher's emblem: a gold five-pointed star that rests for a while and then
// twinkles, drawn by this program so that it can be remade and changed at will.

#include <string>

namespace marloven::star {

// It fits the emblem's place on the windows unscaled.
inline constexpr int kWidth = 49;
inline constexpr int kHeight = 41;

// The GIF file: the star on a transparent background as frame 1, then glints of
// growing and shrinking size drawn over it, each put away again before the next.
// loopCount 0 plays for ever.
std::string StarGif(int loopCount);

} // namespace marloven::star
