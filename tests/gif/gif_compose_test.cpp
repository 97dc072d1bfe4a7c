// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/gif_compose.h"
#include "tests/gif/gif_test_files.h"
#include "tests/support/composed_pixels.h"

#include <gtest/gtest.h>

namespace marloven {
namespace {

using namespace testgif;

// The composition as one value a pixel: its colour index through DistinctColours,
// -1 for opaque black, -2 where the mask is white (transparent).
std::vector<int> View(const GifComposition& composition) {
    std::vector<int> view;
    for (int y = 0; y < composition.height; ++y) {
        for (int x = 0; x < composition.width; ++x) {
            const std::uint32_t pixel = ComposedAt(composition, x, y);
            if (ComposedTransparent(composition, x, y)) {
                EXPECT_EQ(pixel, kGifBlack) << "transparent but not black";
                view.push_back(-2);
                continue;
            }
            const int red = static_cast<int>((pixel >> 16) & 0xff);
            view.push_back(pixel == ShownColour(red) ? red : -1);
        }
    }
    return view;
}

GifImageBlock Solid(int left, int top, int width, int height, std::uint8_t index) {
    return MakeGifImage(left, top, width, height,
                        std::vector<std::uint8_t>(std::size_t(width) * height, index));
}

// 3 x 2 picture: frame 1 fills it with 1; frame 2 (transparent index 0) paints 2 over the
// left column except its top pixel; frame 3 at (1, 0), 2 x 2, paints 3 and is disposed of
// by the given method; frame 4 paints 4 on the top-right pixel.
struct Sequence {
    GifDecoder gif;
    GifComposition composition;
    std::vector<std::vector<int>> views;

    explicit Sequence(int disposal) {
        GifImageBlock left = Solid(0, 0, 1, 2, 2);
        left.indices[0] = 0;
        GifWriter file(3, 2, DistinctColours(8));
        file.Image(Solid(0, 0, 3, 2, 1));
        file.Control({.disposal = 1, .delay = 0, .transparentIndex = 0}).Image(left);
        file.Control({.disposal = disposal, .delay = 0, .transparentIndex = {}});
        file.Image(Solid(1, 0, 2, 2, 3)).Image(Solid(2, 0, 1, 1, 4));
        EXPECT_TRUE(gif.DecodeGif(file.Trailer().Bytes()));
        composition.Start(gif);
        views.push_back(View(composition));
        for (int n = 1; n <= gif.FrameCount(); ++n) {
            composition.DisposeFrame(gif, n - 1);
            composition.DrawFrame(gif, n);
            views.push_back(View(composition));
        }
    }
};

TEST(GifComposition, StartsTransparentAndOpaqueFramesReplaceWhatLiesBeneath) {
    const Sequence sequence(1);
    EXPECT_EQ(sequence.views[0], std::vector<int>(6, -2));
    EXPECT_EQ(sequence.views[1], (std::vector<int>{1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(sequence.views[3], (std::vector<int>{1, 3, 3, 2, 3, 3}));
    EXPECT_EQ(sequence.views[4], (std::vector<int>{1, 3, 4, 2, 3, 3}));
}

TEST(GifComposition, TransparentPixelsOfAFrameLeaveTheCompositionAsItWas) {
    const Sequence sequence(1);
    EXPECT_EQ(sequence.views[2], (std::vector<int>{1, 1, 1, 2, 1, 1}));
}

TEST(GifComposition, RestoreToBackgroundMakesTheAreaTransparent) {
    const Sequence sequence(2);
    EXPECT_EQ(sequence.views[4], (std::vector<int>{1, -2, 4, 2, -2, -2}));
}

TEST(GifComposition, RestoreToPreviousPutsBackExactlyWhatLayBeneath) {
    Sequence sequence(3);
    EXPECT_EQ(sequence.views[4], (std::vector<int>{1, 1, 4, 2, 1, 1}));

    // Beneath may be transparent too: a fresh composition under a restoring frame.
    GifComposition fresh;
    fresh.Start(sequence.gif);
    fresh.DrawFrame(sequence.gif, 3);
    fresh.DisposeFrame(sequence.gif, 3);
    EXPECT_EQ(View(fresh), std::vector<int>(6, -2));
}

TEST(GifComposition, FrameNumbersOutOfRangeAreIgnored) {
    Sequence sequence(2);
    for (const int n : {0, -1, 5, 1000}) {
        sequence.composition.DrawFrame(sequence.gif, n);
        sequence.composition.DisposeFrame(sequence.gif, n);
    }
    EXPECT_EQ(View(sequence.composition), sequence.views.back());
}

TEST(GifComposition, OnlyTheAreaTheFramesCoverIsHeld) {
    // A huge screen with nothing on it, and a one-pixel frame in a far corner.
    GifDecoder gif;
    ASSERT_TRUE(gif.DecodeGif(GifWriter(65535, 65535).Trailer().Bytes()));
    GifComposition composition;
    composition.Start(gif);
    EXPECT_EQ(composition.HeldWidth() * composition.HeldHeight(), 0);
    EXPECT_TRUE(ComposedTransparent(composition, 65534, 65534));

    GifWriter corner(2, 2, DistinctColours(4));
    ASSERT_TRUE(gif.DecodeGif(corner.Image(Solid(7999, 7999, 1, 1, 3)).Trailer().Bytes()));
    composition.Start(gif);
    composition.DrawFrame(gif, 1);
    EXPECT_EQ(composition.width, 8000);
    EXPECT_EQ(composition.HeldWidth() * composition.HeldHeight(), 1);
    EXPECT_EQ(ComposedAt(composition, 7999, 7999), ShownColour(3));
    EXPECT_TRUE(ComposedTransparent(composition, 7998, 7999));
}

} // namespace
} // namespace marloven
