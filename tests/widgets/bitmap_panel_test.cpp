// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/bitmap_panel.h"

#include <QPalette>
#include <gtest/gtest.h>

namespace marloven {
namespace {

const QColor kRed(200, 30, 40);
const QColor kBlue(20, 40, 210);
const QColor kGreen(30, 190, 60);
const QColor kFace(0x12, 0x34, 0x56); // unlike any colour of the test pictures

// Vertical one-pixel stripes of red and blue, with a green 2 x 2 block in the lower
// right corner: a squeezed or shifted drawing loses the corner, a smoothed one mixes
// the stripes into purple.
QImage StripedPicture(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture.setPixelColor(x, y, x % 2 == 0 ? kRed : kBlue);
        }
    }
    for (int y = height - 2; y < height; ++y) {
        for (int x = width - 2; x < width; ++x) {
            picture.setPixelColor(x, y, kGreen);
        }
    }
    return picture;
}

// A parent whose own painting would show in red wherever the control let it through.
struct Window {
    QWidget widget;
    BitmapPanel* control;

    Window() {
        QPalette palette = widget.palette();
        palette.setColor(QPalette::Window, kFace);
        widget.setPalette(palette);
        widget.resize(700, 500);
        control = new BitmapPanel(&widget);
    }
    QImage Grab() { return control->grab().toImage(); }
};

TEST(BitmapPanel, StartsAsAnEmptyOpaqueSquareThatPaintsWhite) {
    Window window;
    BitmapPanel& control = *window.control;
    EXPECT_EQ(control.size(), QSize(32, 32));
    EXPECT_TRUE(control.Picture().isNull());
    EXPECT_FALSE(control.Stretch());
    EXPECT_EQ(control.TransparentColor(), -1);
    EXPECT_TRUE(control.testAttribute(Qt::WA_OpaquePaintEvent));

    const QImage shown = window.Grab();
    EXPECT_EQ(shown.pixelColor(0, 0), QColor(Qt::white));
    EXPECT_EQ(shown.pixelColor(31, 31), QColor(Qt::white));
}

TEST(BitmapPanel, AssigningAPictureSizesTheControlToIt) {
    Window window;
    BitmapPanel& control = *window.control;
    // Unequal odd sides catch width and height swapped.
    control.SetPicture(StripedPicture(37, 23));
    EXPECT_EQ(control.size(), QSize(37, 23));
    control.SetPicture(StripedPicture(640, 480));
    EXPECT_EQ(control.size(), QSize(640, 480));
    control.SetPicture(QImage());
    EXPECT_EQ(control.size(), QSize(32, 32));
    EXPECT_EQ(window.Grab().pixelColor(5, 5), QColor(Qt::white));
}

TEST(BitmapPanel, KeepsItsOwnCopyOfThePicture) {
    Window window;
    QImage picture = StripedPicture(8, 6);
    window.control->SetPicture(picture);
    picture.fill(kGreen);
    EXPECT_EQ(window.control->Picture().pixelColor(0, 0), kRed);
    EXPECT_EQ(window.Grab().pixelColor(0, 0), kRed);
}

TEST(BitmapPanel, WithoutStretchAResizeIsUndoneAtTheNextPaint) {
    Window window;
    BitmapPanel& control = *window.control;
    control.SetPicture(StripedPicture(37, 23));
    control.resize(100, 50);
    window.Grab();
    EXPECT_EQ(control.size(), QSize(37, 23));

    const QImage shown = window.Grab();
    ASSERT_EQ(shown.size(), QSize(37, 23));
    EXPECT_EQ(shown.pixelColor(0, 0), kRed);
    EXPECT_EQ(shown.pixelColor(1, 0), kBlue);
    EXPECT_EQ(shown.pixelColor(36, 22), kGreen);
}

TEST(BitmapPanel, WithStretchDrawsTheWholePictureOverTheControlUnsmoothed) {
    Window window;
    BitmapPanel& control = *window.control;
    control.SetPicture(StripedPicture(640, 480));
    control.SetStretch(true);
    control.resize(320, 240);
    const QImage shown = window.Grab();
    EXPECT_EQ(control.size(), QSize(320, 240));
    ASSERT_EQ(shown.size(), QSize(320, 240));
    EXPECT_EQ(shown.pixelColor(319, 239), kGreen); // the far corner made it in
    EXPECT_NE(shown.pixelColor(317, 237), kGreen); // at half its size
    for (int x = 0; x < 316; ++x) {
        const QColor pixel = shown.pixelColor(x, 100);
        ASSERT_TRUE(pixel == kRed || pixel == kBlue) << "blended at x=" << x;
    }

    control.resize(1280, 960);
    const QImage doubled = window.Grab();
    EXPECT_EQ(doubled.pixelColor(0, 0), kRed);
    EXPECT_EQ(doubled.pixelColor(1, 0), kRed);
    EXPECT_EQ(doubled.pixelColor(2, 0), kBlue);
    EXPECT_EQ(doubled.pixelColor(1279, 959), kGreen);
}

TEST(BitmapPanel, NegativeOrUnmatchableTransparentColorsDrawThePictureUnchanged) {
    const std::int32_t systemButtonFace = std::int32_t(0x8000000Fu);
    const std::int32_t redWithHighBits = 0x01000000 | BitmapPanel::ColorValue(kRed);
    for (std::int32_t value : {-1, systemButtonFace, redWithHighBits}) {
        Window window;
        window.control->SetPicture(StripedPicture(6, 4));
        window.control->SetTransparentColor(value);
        const QImage shown = window.Grab();
        EXPECT_EQ(shown.pixelColor(0, 0), kRed) << value;
        EXPECT_EQ(shown.pixelColor(1, 0), kBlue) << value;
        EXPECT_EQ(shown.pixelColor(5, 3), kGreen) << value;
    }
}

TEST(BitmapPanel, TransparentColorIsPaintedInTheWindowsFaceColor) {
    Window window;
    BitmapPanel& control = *window.control;
    control.SetPicture(StripedPicture(640, 480));
    control.SetTransparentColor(BitmapPanel::ColorValue(kBlue));
    QImage shown = window.Grab();
    EXPECT_EQ(shown.pixelColor(0, 0), kRed);
    EXPECT_EQ(shown.pixelColor(1, 0), kFace);
    EXPECT_EQ(shown.pixelColor(639, 479), kGreen);
    // The stored picture itself is left alone.
    EXPECT_EQ(control.Picture().pixelColor(1, 0), kBlue);

    control.SetStretch(true);
    control.resize(1280, 960);
    shown = window.Grab();
    EXPECT_EQ(shown.pixelColor(0, 0), kRed);
    EXPECT_EQ(shown.pixelColor(2, 0), kFace);
    EXPECT_EQ(shown.pixelColor(3, 1), kFace);
    EXPECT_EQ(shown.pixelColor(1279, 959), kGreen);
}

TEST(BitmapPanel, ColorValueIsBlueGreenRed) {
    EXPECT_EQ(BitmapPanel::ColorValue(QColor(0x12, 0x34, 0x56)), 0x563412);
}

} // namespace
} // namespace marloven
