// SPDX-License-Identifier: GPL-3.0-or-later
// Files made to hurt: cut short, lying about sizes, asking for absurd amounts of memory.
// None may crash, hang, or lose the frames read before the damage.

#include "gif/gif_compose.h"
#include "tests/gif/gif_test_files.h"

#include <gtest/gtest.h>

namespace marloven {
namespace {

using namespace testgif;
using namespace std::string_literals;

std::string FrameDescriptor(int left, int top, int width, int height) {
    return "\x2c" + GifWord(left) + GifWord(top) + GifWord(width) + GifWord(height) + "\x00"s;
}

// Decodes and composes every frame, as the animated control would.
std::unique_ptr<GifDecoder> DecodeAndCompose(const std::string& bytes) {
    auto gif = std::make_unique<GifDecoder>();
    if (gif->DecodeGif(bytes)) {
        GifComposition composition;
        composition.Start(*gif);
        for (int n = 1; n <= gif->FrameCount(); ++n) {
            composition.DisposeFrame(*gif, n - 1);
            composition.DrawFrame(*gif, n);
        }
    }
    return gif;
}

TEST(GifHostile, FileCutShortAtAnyByteKeepsTheFramesCompletedBeforeTheCut) {
    GifWriter file(9, 7, DistinctColours(8));
    file.Loop(0).Comment("made by us");
    std::vector<std::size_t> frameEnds;
    for (int i = 0; i < 3; ++i) {
        GifImageBlock block = Block(i, i, 6, 5, 8);
        block.interlaced = i == 1;
        if (i == 2) {
            block.localTable = DistinctColours(4);
        }
        file.Control({.disposal = i + 1, .delay = 10, .transparentIndex = 3}).Image(block);
        frameEnds.push_back(file.Bytes().size());
    }
    const std::string whole = file.Trailer().Bytes();
    const auto full = Decode(whole);
    ASSERT_EQ(full->FrameCount(), 3);

    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
        SCOPED_TRACE(cut);
        const auto gif = DecodeAndCompose(whole.substr(0, cut));
        if (cut < 3) {
            EXPECT_EQ(gif->FrameCount(), 0);
            continue;
        }
        int complete = 0;
        while (complete < 3 && frameEnds[complete] <= cut) {
            ++complete;
        }
        ASSERT_GE(gif->FrameCount(), complete);
        ASSERT_LE(gif->FrameCount(), complete + 1); // the frame being cut keeps what it had
        for (int n = 0; n < complete; ++n) {
            EXPECT_EQ(FramePicture(gif->frames[n]).pixels, FramePicture(full->frames[n]).pixels);
            EXPECT_EQ(FrameMask(gif->frames[n]).bits, FrameMask(full->frames[n]).bits);
        }
    }
}

TEST(GifHostile, FramesTooLargeToHoldEndTheReadingWithoutAllocatingThem) {
    const std::string emptyData = "\x02\x02\x4c\x01\x00"s; // clear, end
    // Far outside the screen: the picture would need billions of pixels.
    const auto far = Decode(GifWriter(16, 16)
                                .Image(Block(0, 0, 4, 4))
                                .Raw(FrameDescriptor(65000, 65000, 1, 1) + emptyData)
                                .Image(Block(0, 0, 4, 4))
                                .Trailer()
                                .Bytes());
    EXPECT_EQ(far->FrameCount(), 1);
    EXPECT_EQ(far->imageWidth, 16);
    // 65535 x 65535 frames.
    const auto huge = Decode(GifWriter(16, 16)
                                 .Image(Block(0, 0, 4, 4))
                                 .Raw(FrameDescriptor(0, 0, 65535, 65535) + emptyData)
                                 .Trailer()
                                 .Bytes());
    EXPECT_EQ(huge->FrameCount(), 1);
    // Frames each within the limit, but together beyond it: 16 MiB of indices each,
    // beside the 64 MiB they compose into: 12 would fill the 256 MiB to the byte, and
    // the file's own bytes count while it is read, so 11 fit.
    GifWriter many(4096, 4096);
    for (int i = 0; i < 16; ++i) {
        many.Raw(FrameDescriptor(0, 0, 4096, 4096) + emptyData);
    }
    EXPECT_EQ(Decode(many.Trailer().Bytes())->FrameCount(), 11);
}

// The main window and the About box each showed a 24 KB star of one 7000 x 7000 frame:
// within one file's limit, but twice over together. The process's pictures share one
// limit: the second is read up to the frame that would pass it, and says so.
TEST(GifHostile, AllPicturesOfTheProcessTogetherStayWithinOneLimit) {
    const std::string emptyData = "\x02\x02\x4c\x01\x00"s; // clear, end
    const std::string star =
        GifWriter(7000, 7000).Raw(FrameDescriptor(0, 0, 7000, 7000) + emptyData).Trailer().Bytes();
    auto first = Decode(star);
    EXPECT_EQ(first->FrameCount(), 1);
    EXPECT_FALSE(first->limitReached);
    const auto second = Decode(star);
    EXPECT_EQ(second->FrameCount(), 0);
    EXPECT_TRUE(second->limitReached);
    EXPECT_LE(GifProcessBytes(), kGifProcessMaxBytes);
    first.reset();
    EXPECT_EQ(Decode(star)->FrameCount(), 1) << "the first one's share came back";
}

TEST(GifHostile, TheLongestValidAnimationOfFullScreenFramesIsReadWhole) {
    // 256 frames of 640 x 480 hold 79 million pixels: the limit is on memory, and at a
    // byte a pixel they fit.
    GifWriter one(640, 480, DistinctColours(4));
    const std::string header = one.Bytes();
    const std::string frame = one.Image(MakeGifImage(0, 0, 640, 480, Pattern(640 * 480, 4)))
                                  .Bytes()
                                  .substr(header.size());
    std::string whole = header;
    for (int i = 0; i < 256; ++i) {
        whole += frame;
    }
    const auto gif = Decode(whole + ";");
    ASSERT_EQ(gif->FrameCount(), 256);
    EXPECT_EQ(FramePicture(gif->frames.back()).pixels, FramePicture(gif->frames.front()).pixels);
}

TEST(GifHostile, ZeroSizedFramesAreKeptWithEmptyPictures) {
    GifWriter file(0, 0, DistinctColours(4));
    file.Control({.disposal = 3, .delay = 0, .transparentIndex = 0});
    file.Raw(FrameDescriptor(2, 2, 0, 5) + "\x02\x02\x4c\x01\x00"s);
    file.Control({.disposal = 2, .delay = 0, .transparentIndex = {}});
    file.Raw(FrameDescriptor(0, 0, 5, 0) + "\x02\x02\x4c\x01\x00"s);
    file.Image(Block(1, 1, 2, 2));
    const auto gif = DecodeAndCompose(file.Trailer().Bytes());
    ASSERT_EQ(gif->FrameCount(), 3);
    EXPECT_TRUE(FramePicture(gif->frames[0]).pixels.empty());
    EXPECT_TRUE(FramePicture(gif->frames[1]).pixels.empty());
    EXPECT_EQ(gif->imageWidth, 5);
    EXPECT_EQ(gif->imageHeight, 7);
}

TEST(GifHostile, BlocksThatClaimMoreThanRemainStopAtTheEnd) {
    const std::string start = GifWriter(4, 4, DistinctColours(4)).Image(Block(0, 0, 4, 4)).Bytes();
    for (const std::string& tail : {
             "\x21\xf9\x04\x05"s,                                // control extension cut short
             "\x21\xfe\xff"s + std::string(20, 'c'),             // comment sub-block too long
             "\x21\xff\x0bNETSCAPE2.0\x03\x01"s,                 // loop count cut short
             FrameDescriptor(0, 0, 4, 4) + "\x02\xfe\x4c\x01"s,  // data sub-block too long
             "\x2c\x00\x00"s,                                    // descriptor cut short
             "\x2c\x00\x00\x00\x00\x04\x00\x04\x00\x87\x01\x02"s // local table cut short
         }) {
        SCOPED_TRACE(testing::PrintToString(tail));
        const auto gif = DecodeAndCompose(start + tail);
        EXPECT_GE(gif->FrameCount(), 1);
        EXPECT_LE(gif->FrameCount(), 2);
        EXPECT_EQ(gif->loopCount, 1);
    }
    // A screen with a global table cut short.
    EXPECT_EQ(Decode("GIF89a\x04\x00\x04\x00\x87\x00\x00\x01\x02"s)->globalBits, 8);
}

TEST(GifHostile, OnlyTheFirst256ImagesAreRead) {
    GifWriter file(2, 2, DistinctColours(4));
    for (int i = 0; i < 300; ++i) {
        if (i == 257) {
            file.Loop(7); // after the 257th image nothing counts
        }
        file.Control({.disposal = 0, .delay = i == 256 ? 99 : 1, .transparentIndex = {}})
            .Image(Block(0, 0, 2, 2));
    }
    const auto gif = Decode(file.Trailer().Bytes());
    EXPECT_EQ(gif->FrameCount(), 256);
    EXPECT_EQ(gif->loopCount, 1);
    EXPECT_EQ(gif->frames.back().delay, 10);
}

TEST(GifHostile, DamagedCopiesOfAGoodFileDecodeWithoutHarm) {
    GifWriter file(12, 9, DistinctColours(16));
    file.Loop(3);
    for (int i = 0; i < 4; ++i) {
        GifImageBlock block = Block(i, i % 2, 9, 8, 16);
        block.interlaced = i % 2 == 1;
        file.Control({.disposal = i, .delay = 5, .transparentIndex = std::uint8_t(i)}).Image(block);
    }
    const std::string good = file.Trailer().Bytes();
    std::uint32_t state = 99;
    for (int round = 0; round < 3000; ++round) {
        std::string damaged = good;
        for (int hits = 1 + round % 4; hits > 0; --hits) {
            state = state * 1664525u + 1013904223u;
            damaged[(state >> 8) % damaged.size()] = static_cast<char>(state >> 24);
        }
        const auto gif = DecodeAndCompose(damaged);
        ASSERT_LE(gif->FrameCount(), 256);
    }
}

} // namespace
} // namespace marloven
