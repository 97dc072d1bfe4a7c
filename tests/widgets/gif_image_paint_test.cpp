// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/widgets/gif_image_fixture.h"

#include <QRegion>
#include <gtest/gtest.h>

namespace marloven::test {
namespace {

// Fails at the first pixel of the control's rectangle, outside `picture`, that does not
// show the wall.
void ExpectStoneOutside(const QImage& shown, const QRegion& picture) {
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            if (!picture.contains(QPoint(x, y))) {
                ASSERT_EQ(shown.pixel(x, y), StoneScene::Stone(x, y)) << x << "," << y;
            }
        }
    }
}

TEST(GifImagePlacement, ASmallerPictureSitsTopLeftOrCentredWithTheWallAround) {
    StoneScene scene;
    GifImage& gif = *scene.gif;
    scene.Load(MakeGif(40, 30, {Marked(40, 30)}));
    EXPECT_FALSE(gif.testAttribute(Qt::WA_OpaquePaintEvent))
        << "the wall must be painted around the picture";

    QImage shown = scene.Grab();
    EXPECT_EQ(shown.pixel(0, 0), kRed);
    EXPECT_EQ(shown.pixel(1, 1), kBlue);
    EXPECT_EQ(shown.pixel(39, 29), kGreen);
    ExpectStoneOutside(shown, QRect(0, 0, 40, 30));

    gif.SetCenter(true);
    shown = scene.Grab();
    EXPECT_EQ(shown.pixel(4, 5), kRed);
    EXPECT_EQ(shown.pixel(43, 34), kGreen);
    ExpectStoneOutside(shown, QRect(4, 5, 40, 30));
}

TEST(GifImagePlacement, CentringALargerPictureRoundsTowardZero) {
    StoneScene scene;
    // 60 x 50 in 49 x 41: the origin is (-5, -4); rounding down would give (-6, -5).
    FrameSpec frame = Filled(0, 0, 60, 50, kBlueIndex);
    frame.indices[4 * 60 + 5] = kRedIndex;
    scene.Load(MakeGif(60, 50, {frame}));
    scene.gif->SetCenter(true);
    const QImage shown = scene.Grab();
    EXPECT_EQ(shown.pixel(0, 0), kRed);
    EXPECT_EQ(shown.pixel(1, 1), kBlue);
    EXPECT_TRUE(scene.gif->testAttribute(Qt::WA_OpaquePaintEvent))
        << "an opaque picture covers the whole control";
}

TEST(GifImagePlacement, StretchFillsTheControlUnlessThePictureAlreadyHasItsSize) {
    StoneScene own;
    own.Load(MakeGif(49, 41, {Marked(49, 41)}));
    own.gif->SetStretch(true);
    EXPECT_TRUE(own.gif->testAttribute(Qt::WA_OpaquePaintEvent));
    QImage shown = own.Grab();
    EXPECT_EQ(shown.pixel(0, 0), kRed);
    EXPECT_EQ(shown.pixel(1, 0), kBlue);
    EXPECT_EQ(shown.pixel(48, 40), kGreen);

    StoneScene small;
    small.Load(MakeGif(10, 10, {Marked(10, 10)}));
    EXPECT_FALSE(small.gif->testAttribute(Qt::WA_OpaquePaintEvent));
    small.gif->SetStretch(true);
    EXPECT_TRUE(small.gif->testAttribute(Qt::WA_OpaquePaintEvent));
    shown = small.Grab();
    EXPECT_EQ(shown.pixel(0, 0), kRed);
    EXPECT_EQ(shown.pixel(3, 3), kRed) << "one pixel becomes about 5 x 4";
    EXPECT_EQ(shown.pixel(6, 5), kBlue);
    EXPECT_EQ(shown.pixel(48, 40), kGreen);
    EXPECT_EQ(shown.pixel(45, 37), kGreen);
    EXPECT_EQ(shown.pixel(47, 20), kBlue);
}

TEST(GifImagePlacement, TileRepeatsThePictureAndCutsTheLastRowAndColumn) {
    StoneScene scene;
    scene.Load(MakeGif(20, 20, {Marked(20, 20)}));
    scene.gif->SetTile(true);
    EXPECT_TRUE(scene.gif->testAttribute(Qt::WA_OpaquePaintEvent));
    const QImage shown = scene.Grab();
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            EXPECT_EQ(shown.pixel(column * 20, row * 20), kRed) << column << "," << row;
        }
    }
    EXPECT_EQ(shown.pixel(19, 19), kGreen);
    EXPECT_EQ(shown.pixel(39, 39), kGreen);
    EXPECT_EQ(shown.pixel(48, 40), kBlue) << "the third tile is cut at 9 x 1";
    EXPECT_EQ(shown.pixel(41, 40), kBlue);
}

TEST(GifImagePlacement, NothingIsDrawnWithoutAPictureOrWithVisibleOff) {
    StoneScene empty;
    ExpectStoneOutside(empty.Grab(), QRect());

    StoneScene hidden;
    hidden.Load(MakeGif(49, 41, {Marked(49, 41)}));
    ASSERT_TRUE(hidden.gif->testAttribute(Qt::WA_OpaquePaintEvent));
    hidden.gif->SetPictureVisible(false);
    EXPECT_FALSE(hidden.gif->testAttribute(Qt::WA_OpaquePaintEvent));
    ExpectStoneOutside(hidden.Grab(), QRect());
    hidden.gif->SetPictureVisible(true);
    EXPECT_EQ(hidden.Grab().pixel(0, 0), kRed);

    // A picture without width is never tiled (the tile counts divide by its size).
    StoneScene flat;
    flat.gif->SetTile(true);
    flat.Load(MakeGif(0, 5, {Filled(0, 0, 0, 5, kRedIndex)}));
    EXPECT_FALSE(flat.gif->testAttribute(Qt::WA_OpaquePaintEvent));
    ExpectStoneOutside(flat.Grab(), QRect());

    // A file with a screen but no image draws nothing, so it must not claim the rectangle.
    StoneScene frameless;
    frameless.Load(MakeGif(60, 60, {}));
    EXPECT_FALSE(frameless.gif->testAttribute(Qt::WA_OpaquePaintEvent));
    ExpectStoneOutside(frameless.Grab(), QRect());
}

TEST(GifImagePlacement, AroundFramesThatCoverPartOfThePictureItIsBlackOrTheWall) {
    // Only the frame's area is held; the rest of the 40 x 30 picture must still be drawn
    // black when the first frame is opaque, and left to the wall when it is transparent.
    StoneScene opaque;
    opaque.Load(MakeGif(40, 30, {Filled(10, 12, 5, 4, kRedIndex)}));
    QImage shown = opaque.Grab();
    EXPECT_EQ(shown.pixel(0, 0), 0xff000000);
    EXPECT_EQ(shown.pixel(39, 29), 0xff000000);
    EXPECT_EQ(shown.pixel(10, 12), kRed);
    EXPECT_EQ(shown.pixel(14, 15), kRed);
    EXPECT_EQ(shown.pixel(15, 15), 0xff000000);
    ExpectStoneOutside(shown, QRect(0, 0, 40, 30));
    // Stretched to 49 x 41, the frame's area lands scaled in place.
    opaque.gif->SetStretch(true);
    shown = opaque.Grab();
    EXPECT_EQ(shown.pixel(15, 19), kRed);
    EXPECT_EQ(shown.pixel(5, 5), 0xff000000);
    EXPECT_EQ(shown.pixel(48, 40), 0xff000000);

    StoneScene masked;
    FrameSpec frame = Filled(10, 12, 5, 4, kRedIndex);
    frame.transparent = true;
    masked.Load(MakeGif(40, 30, {frame}));
    shown = masked.Grab();
    EXPECT_EQ(shown.pixel(12, 13), kRed);
    ExpectStoneOutside(shown, QRect(10, 12, 5, 4));
}

// Frame 1: the left half red, the right half transparent.
FrameSpec HalfRed() {
    FrameSpec frame = Filled(0, 0, 49, 41, kClear);
    for (int y = 0; y < 41; ++y) {
        for (int x = 0; x < 20; ++x) {
            frame.indices[y * 49 + x] = kRedIndex;
        }
    }
    frame.transparent = true;
    return frame;
}

TEST(GifImageDisposal, RestoreToBackgroundShowsTheWallNotAColour) {
    StoneScene scene;
    FrameSpec block = Filled(10, 10, 20, 12, kBlueIndex);
    block.disposal = 2;
    scene.Load(MakeGif(49, 41, {HalfRed(), block, Filled(45, 0, 1, 1, kYellowIndex)}));
    QImage shown = scene.Grab();
    EXPECT_EQ(shown.pixel(0, 0), kRed);
    ExpectStoneOutside(shown, QRect(0, 0, 20, 41));

    scene.Tick(2);
    EXPECT_EQ(scene.Grab().pixel(25, 15), kBlue);
    scene.Tick();
    shown = scene.Grab();
    EXPECT_EQ(shown.pixel(45, 0), kYellow);
    EXPECT_EQ(shown.pixel(9, 9), kRed);
    EXPECT_EQ(shown.pixel(15, 30), kRed);
    // The block's area, red and transparent before, is now transparent throughout.
    ExpectStoneOutside(
        shown, QRegion(0, 0, 20, 41).subtracted(QRect(10, 10, 20, 12)).united(QRect(45, 0, 1, 1)));
}

TEST(GifImageDisposal, RestoreToPreviousPutsBackExactlyWhatWasThere) {
    StoneScene scene;
    FrameSpec block = Filled(12, 8, 16, 20, kBlueIndex);
    block.disposal = 3;
    FrameSpec corner = Filled(45, 37, 4, 4, kGreenIndex);
    corner.disposal = 1;
    scene.Load(MakeGif(49, 41, {HalfRed(), block, corner}));
    const QImage before = scene.Grab();

    scene.Tick(2);
    QImage shown = scene.Grab();
    EXPECT_EQ(shown.pixel(12, 8), kBlue);
    EXPECT_EQ(shown.pixel(27, 27), kBlue);

    scene.Tick();
    shown = scene.Grab();
    EXPECT_EQ(shown.pixel(46, 38), kGreen);
    for (int y = 0; y < 41; ++y) {
        for (int x = 0; x < 45; ++x) {
            ASSERT_EQ(shown.pixel(x, y), before.pixel(x, y)) << x << "," << y;
        }
    }
}

} // namespace
} // namespace marloven::test
