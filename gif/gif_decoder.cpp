// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/gif_decoder.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace marloven {

namespace {

constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr std::uint8_t kImageSeparator = 0x2c;
constexpr std::uint8_t kPlainTextLabel = 0x01;
constexpr std::uint8_t kGraphicControlLabel = 0xf9;
constexpr std::uint8_t kCommentLabel = 0xfe;
constexpr std::uint8_t kApplicationLabel = 0xff;
constexpr int kMaxFrames = 256;

int Word(const std::uint8_t* bytes) {
    return bytes[0] | (bytes[1] << 8);
}

std::size_t Area(int width, int height) {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

} // namespace

void GifPicture::Resize(int toWidth, int toHeight, std::uint32_t fill) {
    width = toWidth;
    height = toHeight;
    pixels.assign(Area(toWidth, toHeight), fill);
}

void GifMask::Resize(int toWidth, int toHeight, std::uint8_t fill) {
    width = toWidth;
    height = toHeight;
    bits.assign(Area(toWidth, toHeight), fill);
}

int GifReader::Peek(std::size_t offset) const {
    if (offset >= Remaining()) {
        return -1;
    }
    return data_[pos_ + offset];
}

bool GifReader::Read(std::uint8_t* out, std::size_t count) {
    if (count > Remaining()) {
        return false;
    }
    std::memcpy(out, data_.data() + pos_, count);
    pos_ += count;
    return true;
}

void GifReader::Skip(std::size_t count) {
    pos_ += std::min(count, Remaining());
}

void GifReader::SkipSubBlocks() {
    while (!AtEnd()) {
        const std::size_t length = data_[pos_++];
        if (length == 0) {
            return;
        }
        Skip(length);
    }
}

void GifReader::GatherSubBlocks(std::vector<std::uint8_t>& out) {
    // Measured first, so the buffer is sized once: growing it a sub-block at a time
    // costs more than the decoding on large frames.
    std::size_t total = 0;
    for (std::size_t at = pos_; at < data_.size();) {
        const std::size_t length = data_[at++];
        if (length == 0) {
            break;
        }
        const std::size_t taken = std::min(length, data_.size() - at);
        total += taken;
        at += taken;
    }
    out.resize(total);
    std::uint8_t* to = out.data();
    while (!AtEnd()) {
        const std::size_t length = data_[pos_++];
        if (length == 0) {
            return;
        }
        const std::size_t taken = std::min(length, Remaining());
        if (taken == 0) {
            return; // the data ends with a length byte: nothing left to gather
        }
        std::memcpy(to, data_.data() + pos_, taken);
        to += taken;
        pos_ += taken;
    }
}

const GifColourTable& GifFrame::ColourTable() const {
    return hasLocalTable ? *localTable : owner->globalTable;
}

bool GifFrame::ReadImage(GifReader& in, const std::array<std::uint8_t, 6>& pendingControl,
                         std::vector<std::uint8_t>& scratch) {
    std::uint8_t descriptor[10];
    if (!in.Read(descriptor, sizeof descriptor) || descriptor[0] != kImageSeparator) {
        return false;
    }
    left = Word(descriptor + 1);
    top = Word(descriptor + 3);
    width = Word(descriptor + 5);
    height = Word(descriptor + 7);
    const std::uint8_t packed = descriptor[9];

    const std::uint8_t control = pendingControl[1];
    disposal = (control >> 2) & 7;
    if (disposal > 3) {
        disposal = 2;
    }
    delay = std::max(Word(pendingControl.data() + 2) * 10, 1);
    transparent = (control & 1) != 0;
    transparentIndex = pendingControl[4];

    indexRowLength = static_cast<std::size_t>(width);
    maskRowLength = transparent ? (static_cast<std::size_t>(width) + 7) / 8 : 0;
    const std::size_t rows = static_cast<std::size_t>(height);
    if (!owner->Affords(*this,
                        static_cast<std::int64_t>((indexRowLength + maskRowLength) * rows))) {
        return false;
    }

    hasLocalTable = (packed & 0x80) != 0;
    if (hasLocalTable) {
        tableBits = (packed & 7) + 1;
        localTable = std::make_unique<GifColourTable>();
        if (!in.Read(localTable->data(), std::size_t{3} << tableBits)) {
            return false;
        }
    }
    interlaced = (packed & 0x40) != 0;

    indexRaster.assign(indexRowLength * rows, 0);
    maskRaster.assign(maskRowLength * rows, 0);
    DecodePixels(in, scratch);
    return true;
}

std::array<std::uint32_t, 256> GifFrame::Palette() const {
    // Only the entries the file's table holds are looked up; the rest are black.
    std::array<std::uint32_t, 256> palette;
    palette.fill(kGifBlack);
    const GifColourTable& table = ColourTable();
    const int entries = 1 << std::clamp(hasLocalTable ? tableBits : owner->globalBits, 0, 8);
    for (int i = 0; i < entries; ++i) {
        const std::size_t at = std::size_t{3} * static_cast<std::size_t>(i);
        palette[i] = kGifBlack | (std::uint32_t{table[at]} << 16) |
                     (std::uint32_t{table[at + 1]} << 8) | table[at + 2];
    }
    return palette;
}

bool GifDecoder::DecodeGif(std::string_view data) {
    return DecodeGif(std::span<const std::uint8_t>(
        reinterpret_cast<const std::uint8_t*>(data.data()), data.size()));
}

bool GifDecoder::DecodeGif(std::span<const std::uint8_t> data) {
    Reset();
    if (data.size() < 3 || std::memcmp(data.data(), "GIF", 3) != 0) {
        return false;
    }
    // The file's bytes, and a frame's data gathered from them, are kept while it is read.
    reading_ = 2 * static_cast<std::int64_t>(data.size());
    Hold(reading_);
    GifReader in(data);
    in.Skip(6); // the version is not examined
    ReadScreen(in);

    for (;;) {
        const std::size_t before = in.Position();
        const int block = in.Peek();
        if (block == kExtensionIntroducer) {
            ReadExtension(in);
        } else if (block == kImageSeparator) {
            if (FrameCount() == kMaxFrames || !ReadFrame(in)) {
                break;
            }
        } else {
            break; // the trailer, an unknown byte or the end of the data
        }
        if (in.Position() == before) {
            break;
        }
    }
    reading_ = 0;
    std::vector<std::uint8_t>().swap(scratch_);
    Hold(KeptBytes());
    return true;
}

void GifDecoder::Reset() {
    frames.clear();
    screenWidth = screenHeight = imageWidth = imageHeight = 0;
    globalTable.fill(0);
    globalBits = 0;
    loopCount = 1;
    anyTransparent = false;
    pendingControl.fill(0);
    drawnLeft = drawnTop = drawnRight = drawnBottom = 0;
    largestSavedArea = 0;
    rasterBytes = 0;
    limitReached = false;
    reading_ = 0;
    Hold(0);
}

void GifDecoder::ReadScreen(GifReader& in) {
    std::uint8_t screen[7];
    if (!in.Read(screen, sizeof screen)) {
        in.Skip(sizeof screen);
        return;
    }
    screenWidth = imageWidth = Word(screen);
    screenHeight = imageHeight = Word(screen + 2);
    const std::uint8_t packed = screen[4];
    if (packed & 0x80) {
        globalBits = (packed & 7) + 1;
        const std::size_t size = std::min(std::size_t{3} << globalBits, in.Remaining());
        in.Read(globalTable.data(), size);
    }
}

void GifDecoder::ReadExtension(GifReader& in) {
    const int label = in.Peek(1);
    if (label == kGraphicControlLabel) {
        in.Skip(2);
        pendingControl.fill(0);
        const std::size_t size = std::min(pendingControl.size(), in.Remaining());
        in.Read(pendingControl.data(), size);
    } else if (label == kApplicationLabel) {
        static constexpr char kLooping[] = "NETSCAPE2.0";
        bool looping = true;
        for (std::size_t i = 0; i < 11; ++i) {
            looping = looping && in.Peek(3 + i) == static_cast<unsigned char>(kLooping[i]);
        }
        in.Skip(2);
        if (looping) {
            in.Skip(12);
            // The loop count sits after the first byte of the first sub-block; any
            // further sub-blocks (a buffering hint, say) are passed over.
            if (in.Peek() >= 3 && in.Peek(3) >= 0) {
                loopCount = in.Peek(2) | (in.Peek(3) << 8);
            }
        }
        in.SkipSubBlocks();
    } else if (label == kPlainTextLabel || label == kCommentLabel) {
        in.Skip(2);
        in.SkipSubBlocks();
    }
    // Any other label reads nothing, which ends the reading.
}

GifDecoder::Box GifDecoder::DrawnWith(const GifFrame& frame) const {
    const Box drawn{drawnLeft, drawnTop, drawnRight, drawnBottom};
    const Box own{frame.left, frame.top, frame.left + frame.width, frame.top + frame.height};
    if (frame.width == 0 || frame.height == 0) {
        return drawn;
    }
    if (drawn.Area() == 0) {
        return own;
    }
    return {std::min(drawn.left, own.left), std::min(drawn.top, own.top),
            std::max(drawn.right, own.right), std::max(drawn.bottom, own.bottom)};
}

namespace {

std::atomic<std::int64_t> g_processBytes{0};

} // namespace

std::int64_t GifProcessBytes() {
    return g_processBytes.load();
}

GifDecoder::~GifDecoder() {
    Hold(0);
}

void GifDecoder::Hold(std::int64_t bytes) {
    g_processBytes += bytes - held_;
    held_ = bytes;
}

bool GifDecoder::Affords(const GifFrame& frame, std::int64_t frameBytes) const {
    const std::int64_t area = std::int64_t{frame.width} * frame.height;
    const std::int64_t saved = std::max(largestSavedArea, frame.disposal == 3 ? area : 0);
    const std::int64_t total =
        reading_ + rasterBytes + frameBytes + 4 * (DrawnWith(frame).Area() + saved);
    const bool affords =
        total <= maxBytes && GifProcessBytes() - held_ + total <= kGifProcessMaxBytes;
    limitReached = limitReached || !affords;
    return affords;
}

bool GifDecoder::ReadFrame(GifReader& in) {
    GifFrame frame(*this);
    if (!frame.ReadImage(in, pendingControl, scratch_)) {
        return false;
    }
    const Box drawn = DrawnWith(frame);
    drawnLeft = static_cast<int>(drawn.left);
    drawnTop = static_cast<int>(drawn.top);
    drawnRight = static_cast<int>(drawn.right);
    drawnBottom = static_cast<int>(drawn.bottom);
    if (frame.disposal == 3) {
        largestSavedArea = std::max(largestSavedArea, std::int64_t{frame.width} * frame.height);
    }
    rasterBytes += static_cast<std::int64_t>(frame.RasterBytes());
    globalBits = std::max(globalBits, frame.tableBits);
    anyTransparent = anyTransparent || frame.transparent;
    pendingControl.fill(0);
    imageWidth = std::max(imageWidth, frame.left + frame.width);
    imageHeight = std::max(imageHeight, frame.top + frame.height);
    frames.push_back(std::move(frame));
    Hold(reading_ + KeptBytes());
    return true;
}

std::int64_t GifDecoder::KeptBytes() const {
    return rasterBytes +
           4 * (std::int64_t{drawnRight - drawnLeft} * (drawnBottom - drawnTop) + largestSavedArea);
}

} // namespace marloven
