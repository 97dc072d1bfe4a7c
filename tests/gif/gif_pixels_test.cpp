// SPDX-License-Identifier: GPL-3.0-or-later
// The LZW decoding of image data, including data no encoder of ours would write.

#include "tests/gif/gif_test_files.h"

#include <gtest/gtest.h>

namespace marloven {
namespace {

using namespace testgif;

// A width x height frame over a 256-colour table whose data is given whole (minimum
// code size byte and sub-blocks), followed by a second, plain frame.
std::unique_ptr<GifDecoder> DecodeData(int width, int height, const std::string& data,
                                       std::optional<std::uint8_t> transparent = {}) {
    GifWriter file(width, height, DistinctColours(256));
    file.Control({.disposal = 0, .delay = 0, .transparentIndex = transparent});
    file.Raw("\x2c" + GifWord(0) + GifWord(0) + GifWord(width) + GifWord(height) +
             std::string(1, '\0') + data);
    return Decode(file.Image(Block(0, 0, 2, 1)).Trailer().Bytes());
}

// Codes of one width after a minimum code size byte.
std::string Codes(int minCodeSize, int width, const std::vector<int>& codes) {
    std::vector<std::pair<int, int>> packed;
    for (const int code : codes) {
        packed.emplace_back(code, width);
    }
    return std::string(1, static_cast<char>(minCodeSize)) + PackGifCodes(packed);
}

TEST(GifPixels, EveryCodeSizeAndSubBlockLengthRoundTrips) {
    // Short sub-blocks make codes span two of them; odd sizes catch an off-by-one there.
    for (const int subBlock : {1, 2, 3, 254, 255}) {
        for (int minCodeSize = 2; minCodeSize <= 8; ++minCodeSize) {
            SCOPED_TRACE(testing::Message()
                         << "sub-block " << subBlock << " code size " << minCodeSize);
            GifImageBlock block = Block(0, 0, 61, 7, 1 << minCodeSize);
            block.subBlockSize = subBlock;
            const auto gif =
                Decode(GifWriter(61, 7, DistinctColours(256)).Image(block).Trailer().Bytes());
            ASSERT_EQ(gif->FrameCount(), 1);
            EXPECT_EQ(ShownIndices(gif->frames[0]), AsInts(block.indices));
        }
    }
}

TEST(GifPixels, FullCodeTableServesUntilTheNextClearCode) {
    for (const bool clearWhenFull : {true, false}) {
        SCOPED_TRACE(clearWhenFull);
        GifImageBlock noise = Block(0, 0, 300, 90, 256); // enough codes to fill the table twice
        noise.clearWhenFull = clearWhenFull;
        GifImageBlock runs = Block(0, 0, 300, 90, 3); // long strings, deep chains
        runs.clearWhenFull = clearWhenFull;
        const auto gif = Decode(
            GifWriter(300, 90, DistinctColours(256)).Image(noise).Image(runs).Trailer().Bytes());
        ASSERT_EQ(gif->FrameCount(), 2);
        EXPECT_EQ(ShownIndices(gif->frames[0]), AsInts(noise.indices));
        EXPECT_EQ(ShownIndices(gif->frames[1]), AsInts(runs.indices));
    }
}

TEST(GifPixels, CodeAboveTheNextFreeOneDecodesAsTheNextFreeOne) {
    // Minimum code size 2: clear 4, end 5, next free 6. Code 7 stands for 6: "1 1".
    const auto gif = DecodeData(3, 1, Codes(2, 3, {4, 1, 7, 5}));
    EXPECT_EQ(ShownIndices(gif->frames[0]), (std::vector<int>{1, 1, 1}));
}

TEST(GifPixels, ClearCodesRestartTheTableAndCodeWidthAnywhere) {
    // Three clears in front, then 1, 2, 6 ("1 2"), after which codes take 4 bits; a clear
    // in the middle brings back 3-bit codes, and 6 is then made anew as "3 3".
    const auto gif = DecodeData(9, 1,
                                "\x02" + PackGifCodes({{4, 3},
                                                       {4, 3},
                                                       {4, 3},
                                                       {1, 3},
                                                       {2, 3},
                                                       {6, 3},
                                                       {4, 4},
                                                       {3, 3},
                                                       {6, 3},
                                                       {3, 3},
                                                       {5, 4}}));
    EXPECT_EQ(ShownIndices(gif->frames[0]), (std::vector<int>{1, 2, 1, 2, 3, 3, 3, 3, 0}));
    EXPECT_EQ(gif->FrameCount(), 2);
}

TEST(GifPixels, PixelsTheDataDoesNotSupplyAreIndexZeroAndOpaque) {
    // Index 0 is the transparent one; the early end code must not make the rest
    // transparent too.
    const auto early = DecodeData(4, 1, Codes(2, 3, {4, 0, 2, 5}), 0);
    ASSERT_EQ(early->FrameCount(), 2);
    EXPECT_EQ(FrameMask(early->frames[0]).bits, (std::vector<std::uint8_t>{1, 0, 0, 0}));
    // An end code right after a clear supplies no pixel at all.
    const auto none = DecodeData(2, 1, Codes(2, 3, {4, 5, 3, 3}), 0);
    ASSERT_EQ(none->FrameCount(), 2);
    EXPECT_EQ(FrameMask(none->frames[0]).bits, (std::vector<std::uint8_t>{0, 0}));
    // Data that stops without an end code, on a byte boundary.
    const auto cut =
        DecodeData(3, 2, "\x02" + PackGifCodes({{4, 3}, {3, 3}, {3, 3}, {3, 3}, {3, 4}}), 0);
    ASSERT_EQ(cut->FrameCount(), 2);
    EXPECT_EQ(ShownIndices(cut->frames[0]), (std::vector<int>{3, 3, 3, 3, 0, 0}));
    EXPECT_EQ(FrameMask(cut->frames[0]).bits, std::vector<std::uint8_t>(6, 0));
}

TEST(GifPixels, DataBeyondTheLastRowIsPassedOverUpToTheTerminator) {
    GifImageBlock extra = Block(0, 0, 4, 4, 4);
    extra.height = 2; // the data holds four rows, the descriptor claims two
    const auto gif = Decode(GifWriter(4, 4, DistinctColours(4))
                                .Image(extra)
                                .Image(Block(0, 0, 4, 4))
                                .Trailer()
                                .Bytes());
    ASSERT_EQ(gif->FrameCount(), 2);
    extra.indices.resize(8);
    EXPECT_EQ(ShownIndices(gif->frames[0]), AsInts(extra.indices));
}

TEST(GifPixels, MinimumCodeSizesTooLargeForTheTablesEndOnlyThatFrame) {
    for (const int size : {12, 255}) {
        SCOPED_TRACE(size);
        const auto gif = DecodeData(
            3, 1, std::string(1, static_cast<char>(size)) + GifSubBlocks("\xff\xff\xff"), 1);
        ASSERT_EQ(gif->FrameCount(), 2);
        EXPECT_EQ(FrameMask(gif->frames[0]).bits, (std::vector<std::uint8_t>{0, 0, 0}));
        EXPECT_EQ(gif->frames[1].width, 2);
    }
}

TEST(GifPixels, CodeChainsAsLongAsTheTableOrEndlessAreBounded) {
    // Each code is the next free one, so code n stands for n - 4 zeros: chains grow to
    // the whole table, and the full table keeps being used.
    std::vector<std::pair<int, int>> longest = {{4, 3}, {0, 3}};
    int width = 3;
    for (int code = 6; code < 4096; ++code) {
        longest.emplace_back(code, width);
        if (code + 1 == (1 << width) && width < 12) {
            ++width;
        }
    }
    longest.insert(longest.end(), 20, {4095, 12});
    const auto chain = DecodeData(1000, 1000, "\x02" + PackGifCodes(longest));
    ASSERT_EQ(chain->FrameCount(), 2);
    EXPECT_EQ(ShownIndices(chain->frames[0]), std::vector<int>(1000 * 1000, 0));

    // Code 7, read while 6 is the next free one, becomes the previous code, so entry 7
    // is made to extend itself: following it never ends.
    const std::string loop =
        "\x02" + PackGifCodes({{4, 3}, {0, 3}, {7, 3}, {3, 3}, {7, 4}, {5, 4}});
    const auto endless = DecodeData(8, 1, loop);
    ASSERT_EQ(endless->FrameCount(), 2);
    EXPECT_EQ(ShownIndices(endless->frames[0]), (std::vector<int>{0, 0, 0, 3, 0, 0, 0, 0}));
}

} // namespace
} // namespace marloven
