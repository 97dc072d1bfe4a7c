// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/gif/gif_test_files.h"

#include <gtest/gtest.h>

namespace marloven {
namespace {

using namespace testgif;
using namespace std::string_literals;

TEST(GifDecoder, RejectsEmptyDataAndOtherSignaturesButAcceptsEveryVersion) {
    GifDecoder gif;
    EXPECT_FALSE(gif.DecodeGif(std::string()));
    EXPECT_FALSE(gif.DecodeGif(std::string("GIX89a")));
    EXPECT_FALSE(gif.DecodeGif(std::string("GI")));
    for (const char* version : {"87a", "89a", "\xff\x00z"}) {
        SCOPED_TRACE(version);
        GifWriter file(3, 2, DistinctColours(4), std::string_view(version, 3));
        const auto decoded = Decode(file.Image(Block(0, 0, 3, 2)).Trailer().Bytes());
        EXPECT_EQ(decoded->FrameCount(), 1);
    }
    // A signature with nothing after it is a file without frames.
    const auto bare = Decode("GIF");
    EXPECT_EQ(bare->FrameCount(), 0);
}

TEST(GifDecoder, FileWithoutAnyColourTableIsAllBlackAtItsSize) {
    GifWriter file(7, 5);
    const auto gif = Decode(file.Image(Block(0, 0, 7, 5, 16)).Trailer().Bytes());
    ASSERT_EQ(gif->FrameCount(), 1);
    const GifPicture image = FramePicture(gif->frames[0]);
    EXPECT_EQ(image.width, 7);
    EXPECT_EQ(image.height, 5);
    EXPECT_EQ(image.pixels, std::vector<std::uint32_t>(35, kGifBlack));
    EXPECT_EQ(gif->globalBits, 0);
}

TEST(GifDecoder, PixelsTakeTheirColoursFromTheFramesOwnTableOrTheGlobalOne) {
    GifImageBlock own = Block(0, 0, 5, 3, 8);
    own.localTable = DistinctColours(8);
    GifImageBlock shared = Block(0, 0, 5, 3, 2);
    // Global entries differ from the local ones, so a frame using the wrong table shows.
    std::vector<GifColour> global = {{200, 1, 1}, {201, 2, 2}};
    const auto gif = Decode(GifWriter(5, 3, global).Image(own).Image(shared).Trailer().Bytes());
    ASSERT_EQ(gif->FrameCount(), 2);
    EXPECT_EQ(ShownIndices(gif->frames[0]), AsInts(own.indices));
    for (std::size_t i = 0; i < shared.indices.size(); ++i) {
        const std::uint32_t expected = shared.indices[i] ? 0xffc90202u : 0xffc80101u;
        EXPECT_EQ(FramePicture(gif->frames[1]).pixels[i], expected) << i;
    }
}

TEST(GifDecoder, LocalTableLargerThanTheGlobalOneRaisesGlobalBitsForLaterFrames) {
    GifImageBlock large = Block(0, 0, 2, 2);
    large.localTable = DistinctColours(16);
    GifImageBlock small = Block(0, 0, 2, 2);
    small.localTable = DistinctColours(4);
    GifWriter file(2, 2, DistinctColours(2));
    file.Image(Block(0, 0, 2, 2, 2));
    const auto gif = Decode(file.Image(large).Image(small).Trailer().Bytes());
    ASSERT_EQ(gif->FrameCount(), 3);
    EXPECT_EQ(gif->frames[1].tableBits, 4);
    EXPECT_EQ(gif->frames[2].tableBits, 2);
    EXPECT_EQ(gif->globalBits, 4); // a smaller table later does not lower it
}

TEST(GifDecoder, GraphicControlAppliesToTheNextImageOnlyAndTheLaterOfTwoWins) {
    GifWriter file(2, 2, DistinctColours(4));
    file.Control({.disposal = 3, .delay = 7, .transparentIndex = 1});
    file.Control({.disposal = 1, .delay = 25, .transparentIndex = std::nullopt});
    file.Image(Block(0, 0, 2, 2)).Image(Block(0, 0, 2, 2));
    file.Control({.disposal = 2, .delay = 9, .transparentIndex = 0});
    const auto gif = Decode(file.Trailer().Bytes());
    ASSERT_EQ(gif->FrameCount(), 2);
    const GifFrame& first = gif->frames[0];
    EXPECT_EQ(first.disposal, 1);
    EXPECT_EQ(first.delay, 250);
    EXPECT_FALSE(first.transparent);
    const GifFrame& second = gif->frames[1];
    EXPECT_EQ(second.disposal, 0);
    EXPECT_EQ(second.delay, 1);
    EXPECT_FALSE(second.transparent);
    EXPECT_FALSE(gif->anyTransparent); // the last extension applies to nothing
}

TEST(GifDecoder, ReservedDisposalsReadAsRestoreToBackgroundAndDelaysAreHundredths) {
    GifWriter file(2, 2, DistinctColours(4));
    for (int disposal = 0; disposal < 8; ++disposal) {
        file.Control(
            {.disposal = disposal, .delay = disposal == 0 ? 0 : 25, .transparentIndex = {}});
        file.Image(Block(0, 0, 2, 2));
    }
    const auto gif = Decode(file.Trailer().Bytes());
    ASSERT_EQ(gif->FrameCount(), 8);
    const int expected[] = {0, 1, 2, 3, 2, 2, 2, 2};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(gif->frames[i].disposal, expected[i]) << i;
    }
    EXPECT_EQ(gif->frames[0].delay, 1);
    EXPECT_EQ(gif->frames[1].delay, 250);
}

TEST(GifDecoder, LoopCountComesFromNetscapeTwoPointZeroOnly) {
    // One image after the given application extension.
    const auto withExtension = [](const std::string& extension) {
        return Decode(GifWriter(2, 2).Raw(extension).Image(Block(0, 0, 2, 2)).Trailer().Bytes());
    };
    const std::string netscape = "\x21\xff\x0bNETSCAPE2.0\x03\x01"s;
    EXPECT_EQ(withExtension(netscape + "\x00\x00\x00"s)->loopCount, 0);
    EXPECT_EQ(withExtension(netscape + "\x34\x12\x00"s)->loopCount, 0x1234); // little-endian
    EXPECT_EQ(withExtension("")->loopCount, 1);

    const auto otherVersion = withExtension("\x21\xff\x0bNETSCAPE2.1\x03\x01\x05\x00\x00"s);
    EXPECT_EQ(otherVersion->loopCount, 1);
    EXPECT_EQ(otherVersion->FrameCount(), 1);

    // A buffering sub-block after the loop count must not cost the pictures.
    const auto buffered = withExtension(netscape + "\x03\x00\x05\x02\x00\x04\x00\x00\x00"s);
    EXPECT_EQ(buffered->loopCount, 3);
    EXPECT_EQ(buffered->FrameCount(), 1);
}

TEST(GifDecoder, FramesReachingBeyondTheScreenEnlargeThePicture) {
    const auto gif = Decode(GifWriter(16, 16).Image(Block(10, 10, 20, 20)).Trailer().Bytes());
    EXPECT_EQ(gif->screenWidth, 16);
    EXPECT_EQ(gif->imageWidth, 30);
    EXPECT_EQ(gif->imageHeight, 30);
    const auto inside = Decode(GifWriter(16, 12).Image(Block(1, 1, 3, 3)).Trailer().Bytes());
    EXPECT_EQ(inside->imageWidth, 16); // never smaller than the screen
    EXPECT_EQ(inside->imageHeight, 12);
}

TEST(GifDecoder, InterlacedRowsLandInTheirPlaceForEveryHeightFromOneToNine) {
    for (int height = 1; height <= 9; ++height) {
        SCOPED_TRACE(height);
        GifImageBlock block;
        block.width = 3;
        block.height = height;
        block.interlaced = true;
        for (int y = 0; y < height; ++y) {
            block.indices.insert(block.indices.end(), 3, static_cast<std::uint8_t>(y + 1));
        }
        const auto gif =
            Decode(GifWriter(3, height, DistinctColours(16)).Image(block).Trailer().Bytes());
        ASSERT_EQ(gif->FrameCount(), 1);
        EXPECT_TRUE(gif->frames[0].interlaced);
        EXPECT_EQ(ShownIndices(gif->frames[0]), AsInts(block.indices));
    }
}

TEST(GifDecoder, TransparentPixelsAreBlackInTheImageExactlyWhereTheMaskIsWhite) {
    GifImageBlock block = Block(0, 0, 37, 3, 4); // wider than one 32-bit mask word
    GifWriter file(37, 3, DistinctColours(4));
    file.Control({.transparentIndex = 2});
    const auto gif = Decode(file.Image(block).Trailer().Bytes());
    ASSERT_EQ(gif->FrameCount(), 1);
    const GifFrame& frame = gif->frames[0];
    EXPECT_TRUE(gif->anyTransparent);
    EXPECT_EQ(frame.transparentIndex, 2);
    ASSERT_EQ(FrameMask(frame).bits.size(), block.indices.size());
    for (std::size_t i = 0; i < block.indices.size(); ++i) {
        const bool transparent = block.indices[i] == 2;
        EXPECT_EQ(FrameMask(frame).bits[i] != 0, transparent) << i;
        EXPECT_EQ(FramePicture(frame).pixels[i],
                  transparent ? kGifBlack : ShownColour(block.indices[i]))
            << i;
    }
}

TEST(GifDecoder, CommentsPlainTextAndOtherApplicationExtensionsArePassedOver) {
    const std::string plainText =
        "\x21\x01\x0c"s + std::string(12, '\x01') + GifSubBlocks("Hello, world");
    const std::string xmp = "\x21\xff\x0bXMP DataXMP" + GifSubBlocks(std::string(300, 'x'));
    const auto gif = Decode(GifWriter(2, 2, DistinctColours(4))
                                .Comment(std::string(600, ';'))
                                .Raw(plainText)
                                .Raw(xmp)
                                .Image(Block(0, 0, 2, 2))
                                .Trailer()
                                .Bytes());
    EXPECT_EQ(gif->FrameCount(), 1);
    EXPECT_EQ(gif->loopCount, 1);
}

TEST(GifDecoder, UnknownBlockOrExtensionEndsTheReadingAndKeepsEarlierFrames) {
    for (const std::string& stray : {"\x21\x2a\x01x\x00"s, "\x00"s}) {
        const auto gif = Decode(GifWriter(2, 2, DistinctColours(4))
                                    .Image(Block(0, 0, 2, 2))
                                    .Raw(stray)
                                    .Image(Block(0, 0, 2, 2))
                                    .Trailer()
                                    .Bytes());
        EXPECT_EQ(gif->FrameCount(), 1);
    }
}

TEST(GifDecoder, DecodingAgainForgetsTheEarlierFile) {
    GifWriter first(4, 4, DistinctColours(8));
    first.Loop(0).Control({.transparentIndex = 1}).Image(Block(0, 0, 9, 9));
    GifDecoder gif;
    ASSERT_TRUE(gif.DecodeGif(first.Trailer().Bytes()));
    ASSERT_TRUE(gif.DecodeGif(GifWriter(2, 3).Image(Block(0, 0, 2, 3)).Trailer().Bytes()));
    EXPECT_EQ(gif.FrameCount(), 1);
    EXPECT_EQ(gif.loopCount, 1);
    EXPECT_FALSE(gif.anyTransparent);
    EXPECT_EQ(gif.globalBits, 0);
    EXPECT_EQ(gif.imageWidth, 2);
    EXPECT_EQ(gif.imageHeight, 3);
    EXPECT_EQ(gif.globalTable, GifColourTable{});
    EXPECT_FALSE(gif.DecodeGif(std::string("PNG")));
    EXPECT_EQ(gif.FrameCount(), 0);
}

} // namespace
} // namespace marloven
