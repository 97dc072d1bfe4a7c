// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/stone_background.h"

#include "widgets/bitmap_panel.h"

#include <QPushButton>
#include <QSet>
#include <cstdlib>
#include <gtest/gtest.h>

namespace marloven {
namespace {

TEST(StonePicture, IsAGreyEightBitWallBuiltIntoTheProgram) {
    const QImage& picture = StonePicture();
    ASSERT_FALSE(picture.isNull()) << "the resource did not load";
    EXPECT_EQ(picture.size(), QSize(640, 480));
    EXPECT_EQ(picture.format(), QImage::Format_Indexed8);
    EXPECT_EQ(picture.colorCount(), 256);

    QSet<int> used;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            used.insert(picture.pixelIndex(x, y));
        }
    }
    EXPECT_GE(used.size(), 20);
    EXPECT_LE(used.size(), 32);
    for (int index : used) {
        const QColor colour = picture.color(index);
        EXPECT_LE(std::abs(colour.red() - colour.blue()), 12) << "not grey: index " << index;
        EXPECT_LE(std::abs(colour.red() - colour.green()), 12) << "not grey: index " << index;
    }
}

TEST(AddBackground, PutsTheWallBeneathEveryOtherControl) {
    QWidget window;
    window.resize(200, 120);
    auto* button = new QPushButton("Ok", &window);
    button->setGeometry(100, 80, 60, 24);

    BitmapPanel* background = AddBackground(&window, {1, 0});
    ASSERT_FALSE(window.children().isEmpty());
    EXPECT_EQ(window.children().first(), background);
    EXPECT_EQ(background->objectName(), "LrsBmp1");
    EXPECT_EQ(background->geometry(), QRect(1, 0, 640, 480));
    EXPECT_FALSE(background->isHidden());

    // The window shows the wall's top-left part, one pixel in, with the button on top.
    const QImage shown = window.grab().toImage();
    const QImage& wall = StonePicture();
    for (QPoint at : {QPoint(1, 0), QPoint(57, 33), QPoint(199, 119)}) {
        EXPECT_EQ(shown.pixel(at), wall.pixel(at - QPoint(1, 0))) << at.x() << "," << at.y();
    }
    EXPECT_EQ(window.childAt(110, 90), button);
}

TEST(AddBackground, EveryWindowSharesOneCopyOfThePicture) {
    QWidget first, second;
    const BitmapPanel* a = AddBackground(&first);
    const BitmapPanel* b = AddBackground(&second, {0, -8});
    EXPECT_EQ(b->pos(), QPoint(0, -8));
    EXPECT_EQ(a->Picture().constBits(), b->Picture().constBits());
}

} // namespace
} // namespace marloven
