#include "widgets/GIFDecoder.h"

#include <algorithm>
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
    while (!AtEnd()) {
        const std::size_t length = data_[pos_++];
        if (length == 0) {
            return;
        }
        const std::size_t taken = std::min(length, Remaining());
        out.insert(out.end(), data_.begin() + static_cast<std::ptrdiff_t>(pos_),
                   data_.begin() + static_cast<std::ptrdiff_t>(pos_ + taken));
        pos_ += taken;
    }
}

const GifColourTable& TFrame::ColourTable() const {
    return HasLocalTable ? *LocalTable : Owner->GlobalTable;
}

bool TFrame::ReadImage(GifReader& in, const std::array<std::uint8_t, 6>& pendingControl,
                       std::int64_t pixelBudget) {
    std::uint8_t descriptor[10];
    if (!in.Read(descriptor, sizeof descriptor) || descriptor[0] != kImageSeparator) {
        return false;
    }
    Left = Word(descriptor + 1);
    Top = Word(descriptor + 3);
    Width = Word(descriptor + 5);
    Height = Word(descriptor + 7);
    const std::uint8_t packed = descriptor[9];

    // The picture the frames compose into grows to hold this frame, so both must fit.
    const std::int64_t pixels = std::int64_t{Width} * Height;
    const std::int64_t pictureWidth = std::max(Owner->ImageWidth, Left + Width);
    const std::int64_t pictureHeight = std::max(Owner->ImageHeight, Top + Height);
    if (pixels > pixelBudget || pictureWidth * pictureHeight > Owner->MaxPixels) {
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

    const std::uint8_t control = pendingControl[1];
    Disposal = (control >> 2) & 7;
    if (Disposal > 3) {
        Disposal = 2;
    }
    Delay = std::max(Word(pendingControl.data() + 2) * 10, 1);
    Transparent = (control & 1) != 0;
    TransparentIndex = pendingControl[4];

    if (Disposal == 3) {
        SavedImage.Resize(Width, Height, kGifBlack);
        SavedMask.Resize(Width, Height, 0);
    }

    IndexRowLength = (static_cast<std::size_t>(Width) + 3) / 4 * 4;
    IndexRaster.assign(IndexRowLength * static_cast<std::size_t>(Height), 0);
    if (Transparent) {
        MaskRowLength = (static_cast<std::size_t>(Width) + 31) / 32 * 4;
        MaskRaster.assign(MaskRowLength * static_cast<std::size_t>(Height), 0);
    }
    DecodePixels(in, IndexRaster.data(), IndexRowLength, MaskRaster.data(), MaskRowLength);
    if (!Owner->KeepRasters) {
        MakePictures(HasLocalTable ? TableBits : Owner->GlobalBits);
    }
    return true;
}

void TFrame::MakePictures(int bits) {
    std::array<std::uint32_t, 256> palette;
    palette.fill(kGifBlack);
    const GifColourTable& table = ColourTable();
    const int entries = 1 << std::clamp(bits, 0, 8);
    for (int i = 0; i < entries; ++i) {
        const std::size_t at = std::size_t{3} * static_cast<std::size_t>(i);
        palette[i] = kGifBlack | (std::uint32_t{table[at]} << 16) |
                     (std::uint32_t{table[at + 1]} << 8) | table[at + 2];
    }

    Image.Resize(Width, Height, kGifBlack);
    if (Transparent) {
        Mask.Resize(Width, Height, 0);
    }
    for (int y = 0; y < Height; ++y) {
        const std::uint8_t* indices = IndexRaster.data() + IndexRowLength * y;
        std::uint32_t* out = Image.Pixels.data() + Image.Index(0, y);
        for (int x = 0; x < Width; ++x) {
            out[x] = palette[indices[x]];
        }
        if (!Transparent) {
            continue;
        }
        const std::uint8_t* maskBits = MaskRaster.data() + MaskRowLength * y;
        std::uint8_t* maskOut = Mask.Bits.data() + Mask.Index(0, y);
        for (int x = 0; x < Width; ++x) {
            if ((maskBits[x >> 3] >> (7 - (x & 7))) & 1) {
                maskOut[x] = 1;
                out[x] = kGifBlack;
            }
        }
    }
    std::vector<std::uint8_t>().swap(IndexRaster);
    std::vector<std::uint8_t>().swap(MaskRaster);
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
    GifReader in(data);
    in.Skip(6); // the version is not examined
    ReadScreen(in);

    std::int64_t pixelsLeft = MaxPixels;
    for (;;) {
        const std::size_t before = in.Position();
        const int block = in.Peek();
        if (block == kExtensionIntroducer) {
            ReadExtension(in);
        } else if (block == kImageSeparator) {
            if (FrameCount() == kMaxFrames || !ReadFrame(in, pixelsLeft)) {
                break;
            }
        } else {
            break; // the trailer, an unknown byte or the end of the data
        }
        if (in.Position() == before) {
            break;
        }
    }
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

bool GifDecoder::ReadFrame(GifReader& in, std::int64_t& pixelsLeft) {
    TFrame frame(*this);
    if (!frame.ReadImage(in, PendingControl, pixelsLeft)) {
        return false;
    }
    pixelsLeft -= std::int64_t{frame.Width} * frame.Height;
    GlobalBits = std::max(GlobalBits, frame.TableBits);
    AnyTransparent = AnyTransparent || frame.Transparent;
    PendingControl.fill(0);
    ImageWidth = std::max(ImageWidth, frame.Left + frame.Width);
    ImageHeight = std::max(ImageHeight, frame.Top + frame.Height);
    Frames.push_back(std::move(frame));
    return true;
}

} // namespace marloven
