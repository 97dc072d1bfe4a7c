// SPDX-License-Identifier: GPL-3.0-or-later
// gif_seeds DIR: writes the small GIF files that seed the decoder's fuzzing.

#include "gif/gif_encoder.h"

#include <fstream>
#include <iostream>
#include <string>

namespace {

using namespace marloven;

std::vector<GifColour> Palette(int count) {
    std::vector<GifColour> colours;
    for (int i = 0; i < count; ++i) {
        colours.push_back({static_cast<std::uint8_t>(i * 40), static_cast<std::uint8_t>(255 - i),
                           static_cast<std::uint8_t>(i * 9)});
    }
    return colours;
}

GifImageBlock Block(int left, int top, int width, int height, int colours) {
    std::vector<std::uint8_t> indices;
    for (int i = 0; i < width * height; ++i) {
        indices.push_back(static_cast<std::uint8_t>((i * 7 + i / width) % colours));
    }
    return MakeGifImage(left, top, width, height, std::move(indices));
}

std::string Animation() {
    GifWriter file(8, 6, Palette(4));
    file.Loop(0).Comment("seed");
    for (int i = 0; i < 4; ++i) {
        file.Control({.disposal = i, .delay = 10, .transparentIndex = std::uint8_t(i)});
        file.Image(Block(i, i % 3, 5, 3, 4));
    }
    return file.Trailer().Bytes();
}

std::string Interlaced() {
    GifImageBlock block = Block(0, 0, 7, 9, 16);
    block.interlaced = true;
    block.localTable = Palette(16);
    return GifWriter(7, 9, {}, "87a").Image(block).Trailer().Bytes();
}

std::string FullTable() {
    GifImageBlock block = Block(0, 0, 90, 60, 256);
    block.clearWhenFull = false;
    block.subBlockSize = 17;
    return GifWriter(80, 50, Palette(256)).Image(block).Trailer().Bytes();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: gif_seeds DIR\n";
        return 2;
    }
    const std::pair<const char*, std::string> seeds[] = {
        {"animation.gif", Animation()},
        {"interlaced.gif", Interlaced()},
        {"full-table.gif", FullTable()},
    };
    for (const auto& [name, bytes] : seeds) {
        std::ofstream out(std::string(argv[1]) + "/" + name, std::ios::binary);
        out << bytes;
        if (!out) {
            std::cerr << "gif_seeds: cannot write " << name << '\n';
            return 1;
        }
    }
    return 0;
}
