// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QPoint>

class QWidget;

namespace marloven {

class BitmapPanel;

// The grey stone wall built into the program (640 x 480, 8 bits per pixel). Loaded
// once; every window's background shares this one copy.
const QImage& StonePicture();

// Puts the stone wall beneath everything else on `window`: a BitmapPanel named LrsBmp1,
// 640 x 480 at `at`, made the window's first child so every other control lies above
// it. The window cuts the wall at its right and bottom edges. Call it when building
// the window, before or after its other controls.
BitmapPanel* AddBackground(QWidget* window, QPoint at = {0, 0});

} // namespace marloven
