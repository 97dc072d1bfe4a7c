// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// GIF files for the animated control's tests, and a window with the stone wall beneath
// the control so that the tests can see what shows through it.

#include "tests/support/game_dir.h"
#include "widgets/gif_image.h"

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace marloven::test {

// The test palette. Index 0 is the transparent one in transparent frames; none of the
// colours is grey, so none can be mistaken for the stone.
enum : std::uint8_t { kClear = 0, kRedIndex, kBlueIndex, kGreenIndex, kYellowIndex };
inline constexpr QRgb kRed = 0xffc81e28;
inline constexpr QRgb kBlue = 0xff1428d2;
inline constexpr QRgb kGreen = 0xff1ebe3c;
inline constexpr QRgb kYellow = 0xffe6c814;

struct FrameSpec {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<std::uint8_t> indices; // row by row
    int disposal = 0;
    int delay = 0;            // hundredths of a second
    bool transparent = false; // index 0 is transparent
};

// A frame of one colour.
FrameSpec Filled(int left, int top, int width, int height, std::uint8_t index, int delay = 10);
// A frame whose top left pixel is red, bottom right green and every other blue: a
// drawing that is shifted, cut or flipped shows it in the corners.
FrameSpec Marked(int width, int height);

// A file with the given screen size and frames, and the looping extension when a loop
// count is given.
std::string MakeGif(int width, int height, const std::vector<FrameSpec>& frames,
                    std::optional<int> loopCount = std::nullopt);

// A window with the stone wall beneath a control at (0, 0), 49 x 41.
struct StoneScene {
    StoneScene();

    // Writes the file into a temporary directory and loads it.
    void Load(const std::string& bytes);
    // What the window shows in the control's rectangle.
    QImage Grab();
    // The wall's own pixel at a point of the window.
    static QRgb Stone(int x, int y);
    // The colour the control shows at a point (frames filled whole tell them apart).
    QRgb Shown(int x = 0, int y = 0);
    void Tick(int times = 1);

    GameDir dir;
    QWidget window;
    GifImage* gif;
};

} // namespace marloven::test
