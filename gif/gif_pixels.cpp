// SPDX-License-Identifier: GPL-3.0-or-later
// The LZW decoding of one image's pixel data.

#include "gif/gif_decoder.h"

#include <algorithm>
#include <cstring>

namespace marloven {

namespace {

constexpr int kMaxCodes = 4096;
constexpr int kMaxMinimumCodeSize = 11; // larger ones would overrun the code tables

// Walks the rows of a frame in the order its data stores them.
class RowOrder {
  public:
    RowOrder(int height, bool interlaced) : height_(height), interlaced_(interlaced) {}

    bool Done() const { return row_ >= height_; }
    int Row() const { return row_; }

    void Advance() {
        if (!interlaced_) {
            ++row_;
            return;
        }
        static constexpr int kStart[] = {0, 4, 2, 1};
        static constexpr int kStep[] = {8, 8, 4, 2};
        row_ += kStep[pass_];
        // A pass whose first row lies beyond the height is passed over.
        while (row_ >= height_ && pass_ < 3) {
            ++pass_;
            row_ = kStart[pass_];
        }
    }

  private:
    int height_;
    bool interlaced_;
    int row_ = 0;
    int pass_ = 0;
};

// Writes decoded pixels into the rasters row by row.
class PixelSink {
  public:
    PixelSink(const GifFrame& frame, std::uint8_t* indexRaster, std::size_t indexRowLength,
              std::uint8_t* maskRaster, std::size_t maskRowLength)
        : frame_(frame), rows_(frame.height, frame.interlaced), indexRaster_(indexRaster),
          indexRowLength_(indexRowLength), maskRaster_(maskRaster), maskRowLength_(maskRowLength) {}

    bool Full() const { return rows_.Done(); }

    // Where count pixels go when they fit in the current row, or null; Advance follows.
    std::uint8_t* Room(std::size_t count) {
        if (rows_.Done() || count > static_cast<std::size_t>(frame_.width - column_)) {
            return nullptr;
        }
        return indexRaster_ + indexRowLength_ * static_cast<std::size_t>(rows_.Row()) +
               static_cast<std::size_t>(column_);
    }

    void Advance(std::size_t count) {
        column_ += static_cast<int>(count);
        if (column_ == frame_.width) {
            EndRow();
        }
    }

    void Put(const std::uint8_t* pixels, std::size_t count) {
        while (count > 0 && !rows_.Done()) {
            std::uint8_t* row = indexRaster_ + indexRowLength_ * rows_.Row();
            const std::size_t taken =
                std::min(count, static_cast<std::size_t>(frame_.width - column_));
            std::memcpy(row + column_, pixels, taken);
            pixels += taken;
            count -= taken;
            Advance(taken);
        }
    }

    // Marks the transparent pixels of the row begun but not finished.
    void Finish() {
        if (!rows_.Done()) {
            MarkTransparent(0, column_);
        }
    }

  private:
    void EndRow() {
        MarkTransparent(0, column_);
        column_ = 0;
        rows_.Advance();
    }

    void MarkTransparent(int from, int to) {
        if (!frame_.transparent) {
            return;
        }
        const std::uint8_t* row = indexRaster_ + indexRowLength_ * rows_.Row();
        std::uint8_t* mask = maskRaster_ + maskRowLength_ * rows_.Row();
        for (int x = from; x < to; ++x) {
            if (row[x] == frame_.transparentIndex) {
                mask[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
            }
        }
    }

    const GifFrame& frame_;
    RowOrder rows_;
    std::uint8_t* indexRaster_;
    std::size_t indexRowLength_;
    std::uint8_t* maskRaster_;
    std::size_t maskRowLength_;
    int column_ = 0;
};

// Codes taken least significant bit first from the joined sub-blocks.
class CodeReader {
  public:
    explicit CodeReader(std::vector<std::uint8_t>& bytes) : bytes_(bytes) {
        bitCount_ = bytes.size() * 8;
        bytes.insert(bytes.end(), 3, 0); // lets a code be fetched as three whole bytes
    }

    // The next code, or -1 when the remaining bits do not hold a whole one.
    int Next(int width) {
        if (bitPosition_ + static_cast<std::size_t>(width) > bitCount_) {
            return -1;
        }
        const std::uint8_t* at = bytes_.data() + (bitPosition_ >> 3);
        const std::uint32_t bits = at[0] | (at[1] << 8) | (at[2] << 16);
        const int code = static_cast<int>((bits >> (bitPosition_ & 7)) & ((1u << width) - 1));
        bitPosition_ += static_cast<std::size_t>(width);
        return code;
    }

  private:
    const std::vector<std::uint8_t>& bytes_;
    std::size_t bitCount_;
    std::size_t bitPosition_ = 0;
};

class LzwDecoder {
  public:
    explicit LzwDecoder(int minimumCodeSize)
        : clear_(1 << minimumCodeSize), end_(clear_ + 1), minimumCodeSize_(minimumCodeSize) {
        std::memset(length_, 0, sizeof length_);
        Reset();
    }

    void Run(CodeReader& codes, PixelSink& sink) {
        bool started = false;
        int previous = 0;
        std::uint8_t first = 0;
        while (!sink.Full()) {
            int code = codes.Next(width_);
            if (code < 0 || (code == end_ && started)) {
                return;
            }
            if (code == clear_) {
                Reset();
                started = false;
                continue;
            }
            if (!started) {
                // An end code straight after a clear means no (more) pixels.
                if (code == end_) {
                    return;
                }
                first = static_cast<std::uint8_t>(code);
                sink.Put(&first, 1);
                previous = code;
                direct_ = code < clear_;
                started = true;
                continue;
            }
            const int read = code;
            const bool ok = direct_ && code <= next_
                                ? WriteDirectly(code, previous, first, sink)
                                : WriteThroughStack(code, previous, first, sink);
            if (!ok) {
                return; // a chain longer than any real table: corrupt data
            }
            // A code beyond the table leaves entries whose lengths are unknown.
            direct_ = direct_ && read <= next_;
            AddEntry(previous, first);
            previous = read;
        }
    }

  private:
    // Writes the string of a code straight into the row, last pixel first, when its
    // length is known and it fits there. Sets first to its first pixel.
    bool WriteDirectly(int code, int previous, std::uint8_t& first, PixelSink& sink) {
        const bool repeat = code == next_;
        const std::size_t length = repeat ? length_[previous] + 1u : length_[code];
        std::uint8_t* out = sink.Room(length);
        if (out == nullptr) {
            return WriteThroughStack(code, previous, first, sink);
        }
        std::size_t at = length;
        if (repeat) {
            out[--at] = first;
            code = previous;
        }
        while (code >= clear_) {
            out[--at] = suffix_[code];
            code = prefix_[code];
        }
        first = suffix_[code];
        out[--at] = first;
        sink.Advance(length);
        return true;
    }

    bool WriteThroughStack(int code, int previous, std::uint8_t& first, PixelSink& sink) {
        int top = kMaxCodes;
        if (code >= next_) {
            stack_[--top] = first;
            code = previous;
        }
        while (code >= clear_) {
            if (top == 1) {
                return false;
            }
            stack_[--top] = suffix_[code];
            code = prefix_[code];
        }
        first = suffix_[code];
        stack_[--top] = first;
        sink.Put(stack_ + top, static_cast<std::size_t>(kMaxCodes - top));
        return true;
    }

    void Reset() {
        std::memset(prefix_, 0, sizeof prefix_);
        std::memset(suffix_, 0, sizeof suffix_);
        for (int i = 0; i < clear_; ++i) {
            suffix_[i] = static_cast<std::uint8_t>(i);
            length_[i] = 1;
        }
        width_ = minimumCodeSize_ + 1;
        limit_ = 2 * clear_;
        next_ = clear_ + 2;
        direct_ = true;
    }

    // Once the table is full it is used as it stands until the next clear code.
    void AddEntry(int previous, std::uint8_t first) {
        if (next_ >= kMaxCodes) {
            return;
        }
        prefix_[next_] = static_cast<std::uint16_t>(previous);
        suffix_[next_] = first;
        length_[next_] = static_cast<std::uint16_t>(length_[previous] + 1);
        ++next_;
        if (next_ >= limit_ && limit_ < kMaxCodes) {
            limit_ *= 2;
            ++width_;
        }
    }

    const int clear_;
    const int end_;
    const int minimumCodeSize_;
    int width_ = 0;
    int limit_ = 0;
    int next_ = 0;
    // While every code read lay within the table, the length of each entry's string.
    bool direct_ = true;
    std::uint16_t length_[kMaxCodes];
    std::uint16_t prefix_[kMaxCodes];
    std::uint8_t suffix_[kMaxCodes];
    std::uint8_t stack_[kMaxCodes];
};

} // namespace

void GifFrame::DecodePixels(GifReader& in, std::vector<std::uint8_t>& data) {
    const int minimumCodeSize = in.Peek();
    in.Skip(1);
    in.GatherSubBlocks(data);
    if (minimumCodeSize < 0 || minimumCodeSize > kMaxMinimumCodeSize || width == 0 || height == 0) {
        return;
    }
    CodeReader codes(data);
    PixelSink sink(*this, indexRaster.data(), indexRowLength, maskRaster.data(), maskRowLength);
    LzwDecoder decoder(minimumCodeSize);
    decoder.Run(codes, sink);
    sink.Finish();
}

} // namespace marloven
