// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace marloven {

class GifImage;

// The file the star is read from, by a relative name: the current directory at start-up
// is the game directory.
inline constexpr const char* kStarFileName = "star.gif";

// Puts the animated star (a GifImage whose objectName is GIFImage1) in the window's top
// left corner as the main window and the About box show it: at (8, 8), 49 x 41,
// animated, unscaled.
// Without a star.gif, or with one that is not a GIF, the window simply shows no star.
GifImage* AddStar(QWidget* window);

} // namespace marloven
