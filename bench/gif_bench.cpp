// Decoding speed of our GIF decoder against giflib, both making index rasters, measured
// in the same run and reported as a ratio (ours / giflib: at most 1 is the aim). The
// turning of index rasters into display pictures and masks is timed on its own.

#include "tools/gif_encoder.h"
#include "widgets/GIFDecoder.h"

#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <string>

namespace {

using marloven::GifDecoder;
using namespace marloven::gifenc;

std::vector<Colour> Palette(int count) {
    std::vector<Colour> colours;
    colours.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        colours.push_back({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i * 3),
                           static_cast<std::uint8_t>(i * 7)});
    }
    return colours;
}

std::vector<std::uint8_t> Noise(int count, int colours, std::uint32_t seed) {
    std::vector<std::uint8_t> indices(static_cast<std::size_t>(count));
    for (auto& index : indices) {
        seed = seed * 1664525u + 1013904223u;
        index = static_cast<std::uint8_t>((seed >> 24) % static_cast<unsigned>(colours));
    }
    return indices;
}

// Soft shapes that move from frame to frame: what an animation mostly holds.
std::vector<std::uint8_t> Scene(int width, int height, int frame) {
    std::vector<std::uint8_t> indices;
    indices.reserve(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int dx = x - width / 2 - frame;
            const int dy = y - height / 2;
            indices.push_back(static_cast<std::uint8_t>(((dx * dx + dy * dy) / 97 + frame) % 64));
        }
    }
    return indices;
}

std::string NoisePicture() {
    const ImageBlock block = MakeImage(0, 0, 1920, 1080, Noise(1920 * 1080, 256, 7));
    return GifWriter(1920, 1080, Palette(256)).Image(block).Trailer().Bytes();
}

std::string Animation() {
    GifWriter file(320, 240, Palette(64));
    file.Loop(0);
    for (int frame = 0; frame < 100; ++frame) {
        file.Control({.disposal = 1, .delay = 4, .transparentIndex = 0});
        file.Image(MakeImage(0, 0, 320, 240, Scene(320, 240, frame)));
    }
    return file.Trailer().Bytes();
}

std::string InterlacedPicture() {
    ImageBlock block = MakeImage(0, 0, 1024, 768, Scene(1024, 768, 3));
    const auto noise = Noise(1024 * 768, 8, 3);
    for (std::size_t i = 0; i < block.indices.size(); ++i) {
        block.indices[i] = static_cast<std::uint8_t>(block.indices[i] ^ noise[i]);
    }
    block.interlaced = true;
    return GifWriter(1024, 768, Palette(64)).Image(block).Trailer().Bytes();
}

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
std::size_t DecodeWithGiflib(const std::string& bytes, Rasters* rasters = nullptr) {
    MemoryInput input{&bytes, 0};
    int error = 0;
    GifFileType* file = DGifOpen(&input, ReadFromMemory, &error);
    if (file == nullptr || DGifSlurp(file) != GIF_OK) {
        throw std::runtime_error("giflib cannot read the benchmark file");
    }
    const std::size_t frames = static_cast<std::size_t>(file->ImageCount);
    for (std::size_t i = 0; rasters != nullptr && i < frames; ++i) {
        const SavedImage& image = file->SavedImages[i];
        const auto* bits = image.RasterBits;
        rasters->emplace_back(bits, bits + static_cast<std::ptrdiff_t>(image.ImageDesc.Width) *
                                               image.ImageDesc.Height);
    }
    DGifCloseFile(file, &error);
    return frames;
}

// Ours, rows padded to four bytes; the padding is left out of copies.
std::size_t DecodeWithOurs(const std::string& bytes, Rasters* rasters = nullptr) {
    GifDecoder gif;
    gif.KeepRasters = true;
    gif.DecodeGif(bytes);
    for (std::size_t i = 0; rasters != nullptr && i < gif.Frames.size(); ++i) {
        const marloven::TFrame& frame = gif.Frames[i];
        auto& raster = rasters->emplace_back();
        for (int y = 0; y < frame.Height; ++y) {
            const auto row =
                frame.IndexRaster.begin() + static_cast<std::ptrdiff_t>(frame.IndexRowLength * y);
            raster.insert(raster.end(), row, row + frame.Width);
        }
    }
    return gif.Frames.size();
}

void CompareDecoders(benchmark::State& state, std::string (*make)()) {
    const std::string bytes = make();
    Rasters oursRasters;
    Rasters theirsRasters;
    DecodeWithOurs(bytes, &oursRasters);
    DecodeWithGiflib(bytes, &theirsRasters);
    if (oursRasters != theirsRasters) {
        state.SkipWithError("the decoders disagree on the pixels");
        return;
    }
    using Clock = std::chrono::steady_clock;
    Clock::duration ours{};
    Clock::duration theirs{};
    for (auto _ : state) {
        const auto start = Clock::now();
        benchmark::DoNotOptimize(DecodeWithOurs(bytes));
        const auto middle = Clock::now();
        benchmark::DoNotOptimize(DecodeWithGiflib(bytes));
        theirs += Clock::now() - middle;
        ours += middle - start;
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["ours_ms"] = std::chrono::duration<double, std::milli>(ours).count() / runs;
    state.counters["giflib_ms"] = std::chrono::duration<double, std::milli>(theirs).count() / runs;
    state.counters["ratio"] =
        static_cast<double>(ours.count()) / static_cast<double>(theirs.count());
}

void MakePictures(benchmark::State& state, std::string (*make)()) {
    const std::string bytes = make();
    GifDecoder gif;
    gif.KeepRasters = true;
    for (auto _ : state) {
        state.PauseTiming();
        gif.DecodeGif(bytes);
        state.ResumeTiming();
        for (marloven::TFrame& frame : gif.Frames) {
            frame.MakePictures(frame.HasLocalTable ? frame.TableBits : gif.GlobalBits);
        }
        benchmark::DoNotOptimize(gif.Frames.back().Image.Pixels.data());
    }
}

BENCHMARK_CAPTURE(CompareDecoders, noise_1920x1080, NoisePicture)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CompareDecoders, animation_100x320x240, Animation)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CompareDecoders, interlaced_1024x768, InterlacedPicture)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(MakePictures, noise_1920x1080, NoisePicture)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(MakePictures, animation_100x320x240, Animation)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
