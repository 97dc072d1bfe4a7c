// SPDX-License-Identifier: GPL-3.0-or-later
// The GIF decoder against giflib, and the memory one load takes.
//
// Each file is made with our own encoder. A full load is what the animated control does
// on loading a file: decode every frame's indices, start the composition and draw the
// first frame into it. It is timed against giflib's DGifSlurp (indices only), each
// decoder in its own block of runs, never interleaved, and the medians compared. Each
// load's peak memory is measured in a fresh process (this program started again with
// --peak FILE): the whole process's maximum resident size (Linux's VmHWM), file bytes
// included.
//
// gif_bench [--runs N]

#include "gif/gif_compose.h"
#include "gif/gif_decoder.h"
#include "gif/gif_encoder.h"

#include <gif_lib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using marloven::GifComposition;
using marloven::GifDecoder;
using namespace marloven;

std::vector<GifColour> Palette(int count) {
    std::vector<GifColour> colours;
    colours.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        colours.push_back({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i * 3),
                           static_cast<std::uint8_t>(i * 7)});
    }
    return colours;
}

// A ball with rings crossing a banded sky, grainy near its edge: what a small
// animation mostly holds.
std::vector<std::uint8_t> Scene(int width, int height, int frame) {
    std::vector<std::uint8_t> indices;
    indices.reserve(static_cast<std::size_t>(width) * height);
    const int centreX = 60 + frame * 2;
    const int centreY = height / 2 + (frame % 40) * 3 - 60;
    std::uint32_t grain = static_cast<std::uint32_t>(frame);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int dx = x - centreX;
            const int dy = y - centreY;
            const int ring = (dx * dx + dy * dy) / 1200;
            grain = grain * 1664525u + 1013904223u;
            const bool edge = ring > 6 && ring < 9 && (grain >> 28) == 0;
            indices.push_back(static_cast<std::uint8_t>(ring < 8 ? 32 + ring
                                                        : edge   ? 60 + (grain >> 27 & 3)
                                                                 : y / 24));
        }
    }
    return indices;
}

// One pixel far from the origin: a picture of 64 million pixels from a few bytes.
std::string FarPixel() {
    GifWriter file(1, 1, Palette(2));
    return file.Image(MakeGifImage(7999, 7999, 1, 1, {1})).Trailer().Bytes();
}

// Frames that show nothing and restore what lay beneath them: large on the screen,
// tiny in the file.
std::string TransparentFrames() {
    GifWriter file(500, 500, Palette(2));
    file.Loop(0);
    for (int frame = 0; frame < 255; ++frame) {
        file.Control({.disposal = 3, .delay = 4, .transparentIndex = 0});
        file.Image(
            MakeGifImage(0, 0, 500, 500, std::vector<std::uint8_t>(std::size_t{500} * 500, 0)));
    }
    return file.Trailer().Bytes();
}

// A real animation of the largest frame count a file may have.
std::string Animation() {
    GifWriter file(640, 480, Palette(64));
    file.Loop(0);
    for (int frame = 0; frame < 256; ++frame) {
        file.Control({.disposal = 1, .delay = 4, .transparentIndex = {}});
        file.Image(MakeGifImage(0, 0, 640, 480, Scene(640, 480, frame)));
    }
    return file.Trailer().Bytes();
}

struct Case {
    const char* name;
    std::string (*make)();
};

const Case kCases[] = {
    {"far_pixel_1x1_at_7999", FarPixel},
    {"transparent_255x500x500", TransparentFrames},
    {"animation_256x640x480", Animation},
};

struct MemoryInput {
    const std::string* bytes;
    std::size_t position;
};

int ReadFromMemory(GifFileType* file, GifByteType* out, int count) {
    auto* input = static_cast<MemoryInput*>(file->UserData);
    const std::size_t taken =
        std::min(static_cast<std::size_t>(count), input->bytes->size() - input->position);
    std::copy_n(input->bytes->data() + input->position, taken, out);
    input->position += taken;
    return static_cast<int>(taken);
}

using Rasters = std::vector<std::vector<std::uint8_t>>;

// giflib's whole-file read: every image's index raster, interlacing undone. With a
// place to put them, the rasters are copied out.
std::size_t LoadWithGiflib(const std::string& bytes, Rasters* rasters = nullptr) {
    MemoryInput input{&bytes, 0};
    int error = 0;
    GifFileType* file = DGifOpen(&input, ReadFromMemory, &error);
    if (file == nullptr || DGifSlurp(file) != GIF_OK) {
        throw std::runtime_error("giflib cannot read the benchmark file");
    }
    const auto frames = static_cast<std::size_t>(file->ImageCount);
    for (std::size_t i = 0; rasters != nullptr && i < frames; ++i) {
        const SavedImage& image = file->SavedImages[i];
        const auto* bits = image.RasterBits;
        rasters->emplace_back(bits, bits + static_cast<std::ptrdiff_t>(image.ImageDesc.width) *
                                               image.ImageDesc.height);
    }
    DGifCloseFile(file, &error);
    return frames;
}

// What the control does on loading a file.
std::size_t LoadWithOurs(const std::string& bytes, Rasters* rasters = nullptr) {
    GifDecoder gif;
    gif.DecodeGif(bytes);
    GifComposition composition;
    composition.Start(gif);
    composition.DrawFrame(gif, 1);
    for (std::size_t i = 0; rasters != nullptr && i < gif.frames.size(); ++i) {
        rasters->push_back(gif.frames[i].indexRaster);
    }
    return gif.frames.size();
}

// CPU time rather than wall time: the machine may be busy with other work.
double CpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

using Load = std::size_t (*)(const std::string&, Rasters*);

// CPU milliseconds of count loads.
double TimeLoads(Load load, const std::string& bytes, int count) {
    const double start = CpuMs();
    for (int i = 0; i < count; ++i) {
        if (load(bytes, nullptr) == 0) {
            throw std::runtime_error("no frames");
        }
    }
    return CpuMs() - start;
}

// The median CPU time of one load over samples samples, in milliseconds. A sample
// repeats the load until it takes at least 20 ms, so tiny files are timed too.
double MedianMs(Load load, const std::string& bytes, int samples) {
    int count = 1;
    while (TimeLoads(load, bytes, count) < 20) {
        count *= 2;
    }
    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(samples));
    for (int i = 0; i < samples; ++i) {
        times.push_back(TimeLoads(load, bytes, count) / count);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

std::filesystem::path CasePath(const Case& c) {
    return std::filesystem::temp_directory_path() /
           ("marloven-gif-bench-" + std::to_string(getpid()) + "-" + c.name + ".gif");
}

// The process's peak resident size in kB, from the kernel's VmHWM (counted afresh at
// exec, unlike getrusage's, which keeps the size of the process that forked).
long PeakKb() {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == "VmHWM:") {
            long kb = -1;
            status >> kb;
            return kb;
        }
    }
    return -1;
}

// In a fresh process: reads the file and loads it, then prints the frames it kept and
// the process's peak.
int LoadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::size_t frames = LoadWithOurs(bytes);
    std::printf("%zu %ld\n", frames, PeakKb());
    return 0;
}

// The peak resident size, in MB, of a process that loads the file; frames is set to the
// frames it kept.
double PeakMb(const char* self, const std::filesystem::path& file, int& frames) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        throw std::runtime_error("no pipe");
    }
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        execl(self, self, "--peak", file.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeEnds[1]);
    char text[64] = {};
    const ssize_t got = read(pipeEnds[0], text, sizeof text - 1);
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    long kb = -1;
    frames = -1;
    if (got <= 0 || std::sscanf(text, "%d %ld", &frames, &kb) != 2) {
        throw std::runtime_error("the loading process failed");
    }
    return static_cast<double>(kb) * 1024 / 1e6;
}

} // namespace

namespace {

int Run(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--peak") == 0) {
        return LoadFile(argv[2]);
    }
    const int runs = argc == 3 && std::strcmp(argv[1], "--runs") == 0 ? std::atoi(argv[2]) : 15;
    constexpr double kTimeTarget = 0.7;
    constexpr double kPeakTargetMb = 300;
    std::printf("%-26s %9s %7s %11s %11s %6s %7s %9s %6s\n", "file", "bytes", "frames", "ours_ms",
                "giflib_ms", "ratio", "target", "peak_MB", "target");
    bool met = true;
    for (const Case& c : kCases) {
        const std::string bytes = c.make();
        Rasters ours;
        Rasters theirs;
        LoadWithOurs(bytes, &ours);
        LoadWithGiflib(bytes, &theirs);
        if (ours != theirs) {
            std::printf("%s: the decoders disagree on the pixels\n", c.name);
            return 1;
        }
        // Each decoder alone, in its own block of runs.
        const double oursMs = MedianMs(LoadWithOurs, bytes, runs);
        const double giflibMs = MedianMs(LoadWithGiflib, bytes, runs);

        const std::filesystem::path file = CasePath(c);
        std::ofstream(file, std::ios::binary) << bytes;
        int frames = 0;
        const double peak = PeakMb(argv[0], file, frames);
        std::filesystem::remove(file);

        const double ratio = oursMs / giflibMs;
        met = met && ratio <= kTimeTarget && peak < kPeakTargetMb &&
              frames == static_cast<int>(theirs.size());
        std::printf("%-26s %9zu %3d/%-3zu %11.4f %11.4f %6.2f %7.2f %9.1f %6.0f\n", c.name,
                    bytes.size(), frames, theirs.size(), oursMs, giflibMs, ratio, kTimeTarget, peak,
                    kPeakTargetMb);
    }
    std::printf("all targets %s\n", met ? "met" : "NOT met");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // A failure ends the benchmark with its reason rather than an abort.
    try {
        return Run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "gif_bench: %s\n", error.what());
        return 1;
    }
}
