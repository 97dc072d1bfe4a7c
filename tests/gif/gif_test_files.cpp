// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/gif/gif_test_files.h"

#include <gtest/gtest.h>

namespace marloven::testgif {

std::vector<GifColour> DistinctColours(int count) {
    std::vector<GifColour> colours;
    for (int i = 0; i < count; ++i) {
        colours.push_back({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                           static_cast<std::uint8_t>(i * 37 + 11)});
    }
    return colours;
}

std::uint32_t ShownColour(int index) {
    const GifColour c = DistinctColours(index + 1).back();
    return kGifBlack | (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
}

std::vector<std::uint8_t> Pattern(int count, int modulo, int seed) {
    std::vector<std::uint8_t> indices;
    std::uint32_t state = 12345u + static_cast<std::uint32_t>(seed);
    for (int i = 0; i < count; ++i) {
        state = state * 1103515245u + 12345u;
        indices.push_back(static_cast<std::uint8_t>((state >> 16) % static_cast<unsigned>(modulo)));
    }
    return indices;
}

GifImageBlock Block(int left, int top, int width, int height, int modulo) {
    return MakeGifImage(left, top, width, height, Pattern(width * height, modulo, left * 31 + top));
}

std::unique_ptr<GifDecoder> Decode(const std::string& bytes) {
    auto gif = std::make_unique<GifDecoder>();
    EXPECT_TRUE(gif->DecodeGif(bytes));
    return gif;
}

std::vector<int> ShownIndices(const GifFrame& frame) {
    std::vector<int> indices;
    for (const std::uint32_t pixel : FramePicture(frame).pixels) {
        const int red = static_cast<int>((pixel >> 16) & 0xff);
        indices.push_back(pixel == ShownColour(red) ? red : -1);
    }
    return indices;
}

std::vector<int> AsInts(const std::vector<std::uint8_t>& indices) {
    return {indices.begin(), indices.end()};
}

} // namespace marloven::testgif
