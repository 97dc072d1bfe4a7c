// SPDX-License-Identifier: GPL-3.0-or-later
// gifdump FILE [OUTDIR]: prints what the GIF decoder makes of a file, one frame a line;
// with OUTDIR also writes each frame's picture and mask as PAM files.

#include "gif/gif_decoder.h"
#include "gif/gif_frame_pictures.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

namespace {

using marloven::GifDecoder;
using marloven::GifFrame;
using marloven::GifMask;
using marloven::GifPicture;

bool WritePam(const std::filesystem::path& path, int width, int height, int depth,
              const std::string& tupleType, const std::string& pixels) {
    std::ofstream out(path, std::ios::binary);
    out << "P7\nWIDTH " << width << "\nHEIGHT " << height << "\nDEPTH " << depth
        << "\nMAXVAL 255\nTUPLTYPE " << tupleType << "\nENDHDR\n"
        << pixels;
    return static_cast<bool>(out);
}

bool WriteImage(const std::filesystem::path& path, const GifPicture& picture) {
    std::string rgb;
    rgb.reserve(picture.pixels.size() * 3);
    for (const std::uint32_t pixel : picture.pixels) {
        rgb += static_cast<char>((pixel >> 16) & 0xff);
        rgb += static_cast<char>((pixel >> 8) & 0xff);
        rgb += static_cast<char>(pixel & 0xff);
    }
    return WritePam(path, picture.width, picture.height, 3, "RGB", rgb);
}

bool WriteMask(const std::filesystem::path& path, const GifMask& mask) {
    std::string gray;
    gray.reserve(mask.bits.size());
    for (const std::uint8_t bit : mask.bits) {
        gray += static_cast<char>(bit ? 255 : 0);
    }
    return WritePam(path, mask.width, mask.height, 1, "GRAYSCALE", gray);
}

void PrintFrame(int number, const GifFrame& frame) {
    std::printf("frame %d: left %d top %d width %d height %d table-bits %d local-table %s "
                "interlaced %s transparent %s index %d delay %d disposal %d\n",
                number, frame.left, frame.top, frame.width, frame.height, frame.tableBits,
                frame.hasLocalTable ? "yes" : "no", frame.interlaced ? "yes" : "no",
                frame.transparent ? "yes" : "no", frame.transparentIndex, frame.delay,
                frame.disposal);
}

bool WriteFrames(const GifDecoder& gif, const std::filesystem::path& outDir) {
    std::error_code error;
    std::filesystem::create_directories(outDir, error);
    bool ok = !error;
    for (int n = 1; n <= gif.FrameCount() && ok; ++n) {
        const GifFrame& frame = gif.frames[n - 1];
        const std::string stem = "frame" + std::to_string(n);
        ok = WriteImage(outDir / (stem + "-image.pam"), FramePicture(frame)) &&
             (!frame.transparent || WriteMask(outDir / (stem + "-mask.pam"), FrameMask(frame)));
    }
    if (!ok) {
        std::cerr << "gifdump: cannot write to " << outDir.string() << '\n';
    }
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: gifdump FILE [OUTDIR]\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "gifdump: cannot open " << argv[1] << '\n';
        return 1;
    }
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};

    GifDecoder gif;
    const bool accepted = gif.DecodeGif(bytes);
    std::printf("signature %s\n", accepted ? "accepted" : "rejected");
    if (!accepted) {
        return 1;
    }
    std::printf("screen %d x %d, picture %d x %d, global-bits %d, loop-count %d, "
                "any-transparent %s, frames %d\n",
                gif.screenWidth, gif.screenHeight, gif.imageWidth, gif.imageHeight, gif.globalBits,
                gif.loopCount, gif.anyTransparent ? "yes" : "no", gif.FrameCount());
    for (int n = 1; n <= gif.FrameCount(); ++n) {
        PrintFrame(n, gif.frames[n - 1]);
    }
    return argc == 3 && !WriteFrames(gif, argv[2]) ? 1 : 0;
}
