// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reads a GIF file (87a or 89a) held in memory into frames: placement, timing,
// disposal, the colour indices and, for transparent frames, a mask of bits. Colours are
// looked up only when a frame is drawn, so a frame costs about a byte a pixel.
// Standard library only; the animated control composes the frames into what it paints.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace marloven {

// A picture of 32-bit pixels 0xffRRGGBB, rows top to bottom without padding.
struct GifPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    void Resize(int width, int height, std::uint32_t fill);
    std::uint32_t At(int x, int y) const { return pixels[Index(x, y)]; }
    std::size_t Index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
               static_cast<std::size_t>(x);
    }
};

// A black-and-white picture, one byte a pixel: 1 (white) where the picture is
// transparent, 0 (black) where it is opaque.
struct GifMask {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bits;

    void Resize(int width, int height, std::uint8_t fill);
    bool IsWhite(int x, int y) const { return bits[Index(x, y)] != 0; }
    std::size_t Index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
               static_cast<std::size_t>(x);
    }
};

inline constexpr std::uint32_t kGifBlack = 0xff000000u;

// 256 entries of red, green, blue.
using GifColourTable = std::array<std::uint8_t, 768>;

// The most memory one file may take: its frames' indices and masks, the area the
// frames compose into (4 bytes a pixel), the largest area a frame that restores to
// previous saves (as much again) and, while it is read, the file's bytes twice over (as
// given, and a frame's data gathered from them). A file that asks for more is read up
// to the frame that would pass it.
inline constexpr std::int64_t kGifMaxBytes = std::int64_t{256} * 1024 * 1024;
// The most memory the pictures of the whole process may take together, counted as above
// for each decoder alive: two windows that show one hostile picture must not take twice
// as much. A file that would pass it is read up to the frame that would, and says so
// (limitReached).
inline constexpr std::int64_t kGifProcessMaxBytes = std::int64_t{300} * 1000 * 1000;
// What the decoders alive hold of that now.
std::int64_t GifProcessBytes();

// The bytes of the file with a read position that never passes their end.
class GifReader {
  public:
    explicit GifReader(std::span<const std::uint8_t> data) : data_(data) {}

    std::size_t Position() const { return pos_; }
    std::size_t Remaining() const { return data_.size() - pos_; }
    bool AtEnd() const { return pos_ >= data_.size(); }
    // The byte at the position plus offset, or -1 beyond the end.
    int Peek(std::size_t offset = 0) const;
    // Copies count bytes and moves past them; false (and nothing moved) when fewer remain.
    bool Read(std::uint8_t* out, std::size_t count);
    // Moves past count bytes, or to the end when fewer remain.
    void Skip(std::size_t count);
    // Moves past data sub-blocks up to and including the zero-length terminator.
    void SkipSubBlocks();
    // Moves past data sub-blocks as above, putting their contents into out (replaced).
    void GatherSubBlocks(std::vector<std::uint8_t>& out);

  private:
    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
};

class GifDecoder;

// One image of the file.
class GifFrame {
  public:
    explicit GifFrame(const GifDecoder& frameOwner) : owner(&frameOwner) {}

    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    const GifDecoder* owner;
    int tableBits = 0;
    int delay = 1; // milliseconds, at least 1
    std::uint8_t disposal = 0;
    bool hasLocalTable = false;
    bool interlaced = false;
    bool transparent = false;
    std::uint8_t transparentIndex = 0;
    std::unique_ptr<GifColourTable> localTable; // only when hasLocalTable

    // Rows of colour indices, Width bytes each, and (when Transparent) rows of mask
    // bits, 1 where the pixel is transparent, first pixel in the top bit, each row
    // padded to a whole byte.
    std::vector<std::uint8_t> indexRaster;
    std::size_t indexRowLength = 0;
    std::vector<std::uint8_t> maskRaster;
    std::size_t maskRowLength = 0;

    const GifColourTable& ColourTable() const;
    // The display colour of each index; entries the table does not hold are black.
    std::array<std::uint32_t, 256> Palette() const;
    bool IsTransparent(int x, int y) const {
        return transparent && ((maskRaster[maskRowLength * static_cast<std::size_t>(y) +
                                           static_cast<std::size_t>(x >> 3)] >>
                                (7 - (x & 7))) &
                               1) != 0;
    }
    // The memory the rasters take.
    std::size_t RasterBytes() const { return indexRaster.size() + maskRaster.size(); }

    // Reads the image at the reader (on its separator), with the graphic control
    // extension that precedes it, into the rasters. False when there is no whole image
    // descriptor and colour table or the frame is too large; the frame is then unusable.
    // The frame's data sub-blocks are gathered in scratch.
    bool ReadImage(GifReader& in, const std::array<std::uint8_t, 6>& pendingControl,
                   std::vector<std::uint8_t>& scratch);
    // Decodes the LZW data at the reader (on the minimum code size byte) into the
    // rasters and moves past the data's sub-blocks, gathered in scratch. Pixels the
    // data does not supply stay 0 and opaque.
    void DecodePixels(GifReader& in, std::vector<std::uint8_t>& scratch);
};

// The decoded file. The frames keep a pointer to their decoder, so it stays in place.
class GifDecoder {
  public:
    GifDecoder() = default;
    ~GifDecoder();
    GifDecoder(const GifDecoder&) = delete;
    GifDecoder& operator=(const GifDecoder&) = delete;

    std::vector<GifFrame> frames; // file order; frame number n is frames[n - 1]
    int screenWidth = 0;
    int screenHeight = 0;
    int imageWidth = 0; // the logical screen grown by frames that reach beyond it
    int imageHeight = 0;
    GifColourTable globalTable{};
    int globalBits = 0;
    int loopCount = 1; // 0 loops for ever
    bool anyTransparent = false;
    std::array<std::uint8_t, 6> pendingControl{};
    // The memory limit of the frames together with their composition.
    std::int64_t maxBytes = kGifMaxBytes;
    // The smallest rectangle holding every frame: all the composition ever changes.
    int drawnLeft = 0;
    int drawnTop = 0;
    int drawnRight = 0;
    int drawnBottom = 0;
    // The largest frame area that restores to previous, in pixels.
    std::int64_t largestSavedArea = 0;
    // What the frames' rasters take together.
    std::int64_t rasterBytes = 0;
    // Set when a frame was left unread because it would pass maxBytes or the process's
    // limit; the frames before it are kept.
    mutable bool limitReached = false; // set while a frame is weighed (Affords)

    int FrameCount() const { return static_cast<int>(frames.size()); }
    // Whether a frame of this placement, disposal and raster size keeps the file within
    // maxBytes, together with the frames read before it.
    bool Affords(const GifFrame& frame, std::int64_t frameBytes) const;

    // False for empty data or data that does not begin with "GIF". Otherwise reads
    // frames up to the trailer, an unknown block, the 257th image or the end of the
    // data, keeps what was read, and returns true.
    bool DecodeGif(std::span<const std::uint8_t> data);
    bool DecodeGif(std::string_view data);

  private:
    void Reset();
    void ReadScreen(GifReader& in);
    void ReadExtension(GifReader& in);
    struct Box {
        std::int64_t left, top, right, bottom;
        std::int64_t Area() const { return (right - left) * (bottom - top); }
    };

    bool ReadFrame(GifReader& in);
    // The drawn rectangle grown by the frame (an empty frame grows nothing).
    Box DrawnWith(const GifFrame& frame) const;

    std::vector<std::uint8_t> scratch_; // one frame's data sub-blocks, reused while reading
    // What this decoder counts towards kGifProcessMaxBytes.
    std::int64_t held_ = 0;
    // What the file being read takes meanwhile (0 once it is read).
    std::int64_t reading_ = 0;
    void Hold(std::int64_t bytes);
    // What the frames and their composition take once the file is read.
    std::int64_t KeptBytes() const;
};

} // namespace marloven
