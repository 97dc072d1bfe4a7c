// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Writes GIF files block by block, so tests, the fuzzing corpus and our own pictures
// say exactly what each file holds, malformed parts included.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marloven {

struct GifColour {
    std::uint8_t r = 0, g = 0, b = 0;
};

struct GifImageBlock {
    int left = 0, top = 0, width = 0, height = 0;
    // Colour indices row by row from the top, width x height of them.
    std::vector<std::uint8_t> indices;
    // Written as the local colour table when not empty; padded with black to a power
    // of two of at least 2 entries.
    std::vector<GifColour> localTable;
    bool interlaced = false;
    // 0 picks the smallest size that holds every index (at least 2).
    int minCodeSize = 0;
    // Length of the data sub-blocks, 1 to 255.
    int subBlockSize = 255;
    // Whether a full code table is cleared or used as it stands from then on.
    bool clearWhenFull = true;
};

// An image of the given placement and indices, with the other settings at their defaults.
GifImageBlock MakeGifImage(int left, int top, int width, int height,
                           std::vector<std::uint8_t> indices);

struct GifControlBlock {
    int disposal = 0;
    int delay = 0; // hundredths of a second
    std::optional<std::uint8_t> transparentIndex;
};

// The LZW codes for the indices, packed into data sub-blocks with their terminator,
// preceded by the minimum code size byte.
std::string EncodeGifPixels(const std::vector<std::uint8_t>& indices, int minCodeSize,
                            int subBlockSize = 255, bool clearWhenFull = true);

// Packs given codes, each of the given width, least significant bit first, into data
// sub-blocks with their terminator (no minimum code size byte): for data no encoder
// would write.
std::string PackGifCodes(const std::vector<std::pair<int, int>>& codesAndWidths,
                         int subBlockSize = 255);

class GifWriter {
  public:
    // "GIF" and the version, the logical screen descriptor and the global table (none
    // when empty; padded with black to a power of two of at least 2 entries).
    GifWriter(int width, int height, const std::vector<GifColour>& globalTable = {},
              std::string_view version = "89a");

    GifWriter& Loop(int count);
    GifWriter& Control(const GifControlBlock& control);
    GifWriter& Comment(std::string_view text);
    GifWriter& Image(const GifImageBlock& image);
    GifWriter& Raw(std::string_view bytes);
    GifWriter& Trailer();

    const std::string& Bytes() const { return bytes_; }

  private:
    std::string bytes_;
};

// Bytes of a little-endian 16-bit value, for hand-made blocks.
std::string GifWord(int value);
// Data sub-blocks holding the bytes, with the terminator.
std::string GifSubBlocks(std::string_view bytes, int subBlockSize = 255);

} // namespace marloven
