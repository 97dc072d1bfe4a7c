// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Small GIF files for the decoder's tests, written with our own encoder.

#include "gif/gif_decoder.h"
#include "gif/gif_encoder.h"
#include "gif/gif_frame_pictures.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace marloven::testgif {

// count colours, none black and no two alike (red is the index).
std::vector<GifColour> DistinctColours(int count);
// The display colour of index i of DistinctColours.
std::uint32_t ShownColour(int index);
// count indices that change from pixel to pixel and run through 0..modulo-1.
std::vector<std::uint8_t> Pattern(int count, int modulo, int seed = 0);
GifImageBlock Block(int left, int top, int width, int height, int modulo = 4);
// Decodes, expecting the data to be accepted.
std::unique_ptr<GifDecoder> Decode(const std::string& bytes);
// The indices of a frame's Image, read back through DistinctColours; -1 for black.
std::vector<int> ShownIndices(const GifFrame& frame);
std::vector<int> AsInts(const std::vector<std::uint8_t>& indices);

} // namespace marloven::testgif
