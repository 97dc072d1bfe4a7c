// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/gif_encoder.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

namespace marloven {

namespace {

constexpr int kMaxCodes = 4096;

// The exponent of the table's padded size (the packed byte holds it less one).
int TableBits(std::size_t entries) {
    int bits = 1;
    while ((std::size_t{1} << bits) < entries) {
        ++bits;
    }
    return bits;
}

std::string TableBytes(const std::vector<GifColour>& table) {
    std::string bytes;
    const std::size_t entries = std::size_t{1} << TableBits(table.size());
    for (std::size_t i = 0; i < entries; ++i) {
        const GifColour c = i < table.size() ? table[i] : GifColour{};
        bytes += static_cast<char>(c.r);
        bytes += static_cast<char>(c.g);
        bytes += static_cast<char>(c.b);
    }
    return bytes;
}

class BitPacker {
  public:
    void Put(int code, int width) {
        pending_ |= static_cast<std::uint32_t>(code) << pendingBits_;
        pendingBits_ += width;
        while (pendingBits_ >= 8) {
            bytes_ += static_cast<char>(pending_ & 0xff);
            pending_ >>= 8;
            pendingBits_ -= 8;
        }
    }
    std::string Finish() {
        if (pendingBits_ > 0) {
            bytes_ += static_cast<char>(pending_ & 0xff);
        }
        return std::move(bytes_);
    }

  private:
    std::string bytes_;
    std::uint32_t pending_ = 0;
    int pendingBits_ = 0;
};

std::vector<std::uint8_t> InterlacedOrder(const std::vector<std::uint8_t>& indices, int width,
                                          int height) {
    std::vector<std::uint8_t> out;
    out.reserve(indices.size());
    static constexpr int kStart[] = {0, 4, 2, 1};
    static constexpr int kStep[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        for (int y = kStart[pass]; y < height; y += kStep[pass]) {
            const auto row = indices.begin() + static_cast<std::ptrdiff_t>(y) * width;
            out.insert(out.end(), row, row + width);
        }
    }
    return out;
}

} // namespace

GifImageBlock MakeGifImage(int left, int top, int width, int height,
                           std::vector<std::uint8_t> indices) {
    GifImageBlock image;
    image.left = left;
    image.top = top;
    image.width = width;
    image.height = height;
    image.indices = std::move(indices);
    return image;
}

std::string GifWord(int value) {
    return {static_cast<char>(value & 0xff), static_cast<char>((value >> 8) & 0xff)};
}

std::string GifSubBlocks(std::string_view bytes, int subBlockSize) {
    std::string out;
    for (std::size_t at = 0; at < bytes.size(); at += static_cast<std::size_t>(subBlockSize)) {
        const std::string_view part = bytes.substr(at, static_cast<std::size_t>(subBlockSize));
        out += static_cast<char>(part.size());
        out += part;
    }
    out += '\0';
    return out;
}

std::string PackGifCodes(const std::vector<std::pair<int, int>>& codesAndWidths, int subBlockSize) {
    BitPacker packer;
    for (const auto& [code, width] : codesAndWidths) {
        packer.Put(code, width);
    }
    return GifSubBlocks(packer.Finish(), subBlockSize);
}

std::string EncodeGifPixels(const std::vector<std::uint8_t>& indices, int minCodeSize,
                            int subBlockSize, bool clearWhenFull) {
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    BitPacker packer;
    std::unordered_map<std::uint32_t, int> table;
    int next = clear + 2;
    int width = minCodeSize + 1;
    auto restart = [&] {
        packer.Put(clear, width);
        table.clear();
        next = clear + 2;
        width = minCodeSize + 1;
    };
    restart();
    int current = -1;
    for (const std::uint8_t index : indices) {
        if (current < 0) {
            current = index;
            continue;
        }
        const std::uint32_t key = (static_cast<std::uint32_t>(current) << 8) | index;
        const auto found = table.find(key);
        if (found != table.end()) {
            current = found->second;
            continue;
        }
        packer.Put(current, width);
        current = index;
        if (next == kMaxCodes) {
            continue; // a full table stays as it is
        }
        table.emplace(key, next++);
        if (next > (1 << width) && width < 12) {
            ++width;
        }
        if (next == kMaxCodes && clearWhenFull) {
            packer.Put(current, width);
            current = -1;
            restart();
        }
    }
    if (current >= 0) {
        packer.Put(current, width);
    }
    packer.Put(end, width);
    return std::string(1, static_cast<char>(minCodeSize)) +
           GifSubBlocks(packer.Finish(), subBlockSize);
}

GifWriter::GifWriter(int width, int height, const std::vector<GifColour>& globalTable,
                     std::string_view version) {
    bytes_ = "GIF";
    bytes_ += version;
    bytes_ += GifWord(width) + GifWord(height);
    int packed = 0;
    if (!globalTable.empty()) {
        packed = 0x80 | 0x70 | (TableBits(globalTable.size()) - 1);
    }
    bytes_ += static_cast<char>(packed);
    bytes_ += '\0'; // background colour index
    bytes_ += '\0'; // aspect ratio
    if (!globalTable.empty()) {
        bytes_ += TableBytes(globalTable);
    }
}

GifWriter& GifWriter::Loop(int count) {
    bytes_ += "\x21\xff\x0bNETSCAPE2.0\x03\x01";
    bytes_ += GifWord(count);
    bytes_ += '\0';
    return *this;
}

GifWriter& GifWriter::Control(const GifControlBlock& control) {
    bytes_ += "\x21\xf9\x04";
    bytes_ += static_cast<char>(((control.disposal & 7) << 2) | (control.transparentIndex ? 1 : 0));
    bytes_ += GifWord(control.delay);
    bytes_ += static_cast<char>(control.transparentIndex.value_or(0));
    bytes_ += '\0';
    return *this;
}

GifWriter& GifWriter::Comment(std::string_view text) {
    bytes_ += "\x21\xfe";
    bytes_ += GifSubBlocks(text);
    return *this;
}

GifWriter& GifWriter::Image(const GifImageBlock& image) {
    bytes_ += '\x2c';
    bytes_ +=
        GifWord(image.left) + GifWord(image.top) + GifWord(image.width) + GifWord(image.height);
    int packed = image.interlaced ? 0x40 : 0;
    if (!image.localTable.empty()) {
        packed |= 0x80 | (TableBits(image.localTable.size()) - 1);
    }
    bytes_ += static_cast<char>(packed);
    if (!image.localTable.empty()) {
        bytes_ += TableBytes(image.localTable);
    }
    int minCodeSize = image.minCodeSize;
    if (minCodeSize == 0) {
        const int highest = image.indices.empty()
                                ? 0
                                : *std::max_element(image.indices.begin(), image.indices.end());
        minCodeSize = std::max(2, TableBits(static_cast<std::size_t>(highest) + 1));
    }
    const auto& indices = image.interlaced
                              ? InterlacedOrder(image.indices, image.width, image.height)
                              : image.indices;
    bytes_ += EncodeGifPixels(indices, minCodeSize, image.subBlockSize, image.clearWhenFull);
    return *this;
}

GifWriter& GifWriter::Raw(std::string_view bytes) {
    bytes_ += bytes;
    return *this;
}

GifWriter& GifWriter::Trailer() {
    bytes_ += '\x3b';
    return *this;
}

} // namespace marloven
