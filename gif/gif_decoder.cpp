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

void GifPicture::Resize(int width, int height, std::uint32_t fill) {
    Width = width;
    Height = height;
    Pixels.assign(Area(width, height), fill);
}

void GifMask::Resize(int width, int height, std::uint8_t fill) {
    Width = width;
    Height = height;
    Bits.assign(Area(width, height), fill);
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
    return HasLocalTable ? *LocalTable : Owner->GlobalTable;
}

bool GifFrame::ReadImage(GifReader& in, const std::array<std::uint8_t, 6>& pendingControl,
                         std::vector<std::uint8_t>& scratch) {
    std::uint8_t descriptor[10];
    if (!in.Read(descriptor, sizeof descriptor) || descriptor[0] != kImageSeparator) {
        return false;
    }
    Left = Word(descriptor + 1);
    Top = Word(descriptor + 3);
    Width = Word(descriptor + 5);
    Height = Word(descriptor + 7);
    const std::uint8_t packed = descriptor[9];

    const std::uint8_t control = pendingControl[1];
    Disposal = (control >> 2) & 7;
    if (Disposal > 3) {
        Disposal = 2;
    }
    Delay = std::max(Word(pendingControl.data() + 2) * 10, 1);
    Transparent = (control & 1) != 0;
    TransparentIndex = pendingControl[4];

    IndexRowLength = static_cast<std::size_t>(Width);
    MaskRowLength = Transparent ? (static_cast<std::size_t>(Width) + 7) / 8 : 0;
    const std::size_t rows = static_cast<std::size_t>(Height);
    if (!Owner->Affords(*this,
                        static_cast<std::int64_t>((IndexRowLength + MaskRowLength) * rows))) {
        return false;
    }

    HasLocalTable = (packed & 0x80) != 0;
    if (HasLocalTable) {
        TableBits = (packed & 7) + 1;
        LocalTable = std::make_unique<GifColourTable>();
        if (!in.Read(LocalTable->data(), std::size_t{3} << TableBits)) {
            return false;
        }
    }
    Interlaced = (packed & 0x40) != 0;

    IndexRaster.assign(IndexRowLength * rows, 0);
    MaskRaster.assign(MaskRowLength * rows, 0);
    DecodePixels(in, scratch);
    return true;
}

std::array<std::uint32_t, 256> GifFrame::Palette() const {
    // Only the entries the file's table holds are looked up; the rest are black.
    std::array<std::uint32_t, 256> palette;
    palette.fill(kGifBlack);
    const GifColourTable& table = ColourTable();
    const int entries = 1 << std::clamp(HasLocalTable ? TableBits : Owner->GlobalBits, 0, 8);
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
    Frames.clear();
    ScreenWidth = ScreenHeight = ImageWidth = ImageHeight = 0;
    GlobalTable.fill(0);
    GlobalBits = 0;
    LoopCount = 1;
    AnyTransparent = false;
    PendingControl.fill(0);
    DrawnLeft = DrawnTop = DrawnRight = DrawnBottom = 0;
    LargestSavedArea = 0;
    RasterBytes = 0;
    LimitReached = false;
    reading_ = 0;
    Hold(0);
}

void GifDecoder::ReadScreen(GifReader& in) {
    std::uint8_t screen[7];
    if (!in.Read(screen, sizeof screen)) {
        in.Skip(sizeof screen);
        return;
    }
    ScreenWidth = ImageWidth = Word(screen);
    ScreenHeight = ImageHeight = Word(screen + 2);
    const std::uint8_t packed = screen[4];
    if (packed & 0x80) {
        GlobalBits = (packed & 7) + 1;
        const std::size_t size = std::min(std::size_t{3} << GlobalBits, in.Remaining());
        in.Read(GlobalTable.data(), size);
    }
}

void GifDecoder::ReadExtension(GifReader& in) {
    const int label = in.Peek(1);
    if (label == kGraphicControlLabel) {
        in.Skip(2);
        PendingControl.fill(0);
        const std::size_t size = std::min(PendingControl.size(), in.Remaining());
        in.Read(PendingControl.data(), size);
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
                LoopCount = in.Peek(2) | (in.Peek(3) << 8);
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
    const Box drawn{DrawnLeft, DrawnTop, DrawnRight, DrawnBottom};
    const Box own{frame.Left, frame.Top, frame.Left + frame.Width, frame.Top + frame.Height};
    if (frame.Width == 0 || frame.Height == 0) {
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

bool GifDecoder::Affords(const GifFrame& frame, std::int64_t rasterBytes) const {
    const std::int64_t area = std::int64_t{frame.Width} * frame.Height;
    const std::int64_t saved = std::max(LargestSavedArea, frame.Disposal == 3 ? area : 0);
    const std::int64_t total =
        reading_ + RasterBytes + rasterBytes + 4 * (DrawnWith(frame).Area() + saved);
    const bool affords =
        total <= MaxBytes && GifProcessBytes() - held_ + total <= kGifProcessMaxBytes;
    LimitReached = LimitReached || !affords;
    return affords;
}

bool GifDecoder::ReadFrame(GifReader& in) {
    GifFrame frame(*this);
    if (!frame.ReadImage(in, PendingControl, scratch_)) {
        return false;
    }
    const Box drawn = DrawnWith(frame);
    DrawnLeft = static_cast<int>(drawn.left);
    DrawnTop = static_cast<int>(drawn.top);
    DrawnRight = static_cast<int>(drawn.right);
    DrawnBottom = static_cast<int>(drawn.bottom);
    if (frame.Disposal == 3) {
        LargestSavedArea = std::max(LargestSavedArea, std::int64_t{frame.Width} * frame.Height);
    }
    RasterBytes += static_cast<std::int64_t>(frame.RasterBytes());
    GlobalBits = std::max(GlobalBits, frame.TableBits);
    AnyTransparent = AnyTransparent || frame.Transparent;
    PendingControl.fill(0);
    ImageWidth = std::max(ImageWidth, frame.Left + frame.Width);
    ImageHeight = std::max(ImageHeight, frame.Top + frame.Height);
    Frames.push_back(std::move(frame));
    Hold(reading_ + KeptBytes());
    return true;
}

std::int64_t GifDecoder::KeptBytes() const {
    return RasterBytes +
           4 * (std::int64_t{DrawnRight - DrawnLeft} * (DrawnBottom - DrawnTop) + LargestSavedArea);
}

} // namespace marloven
