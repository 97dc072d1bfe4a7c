#include "core/cfg_store.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

// A directory of its own under the system's temporary directory, gone at the end.
class ScratchDir {
  public:
    ScratchDir()
        : path_(std::filesystem::temp_directory_path() /
                ("marloven-bench-" + std::to_string(Clock::now().time_since_epoch().count()))) {
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// A VK.CFG of at least the given size: key lines, quoted values, now and then a
// comment or a section header, CR LF after each.
std::string ConfigText(std::size_t lineCount, std::size_t minimumBytes) {
    std::string text;
    for (std::size_t i = 0; i < lineCount || text.size() < minimumBytes; ++i) {
        if (i % 50 == 0) {
            text += "; settings block " + std::to_string(i) + "\r\n[Section]\r\n";
        }
        text += "Key" + std::to_string(i) + " = \"value " + std::to_string(i * 7) + "\"\r\n";
    }
    return text;
}

std::string PlainRead(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes(std::filesystem::file_size(path), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

void PlainWrite(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// One keystroke in a settings box rewrites its key; the last line's key makes the
// lookup walk the whole store.
void BM_CfgSetOn10000Lines(benchmark::State& state) {
    ScratchDir dir;
    std::ofstream(dir.Path() / marloven::CfgStore::kFileName, std::ios::binary)
        << ConfigText(10'000, 0);
    marloven::CfgStore store(dir.Path());
    store.CfgLoad();
    const auto lastKey = "Key" + std::to_string(10'000 - 1);
    std::string value = "typed";
    for (auto _ : state) {
        value.back() = static_cast<char>('a' + state.iterations() % 26);
        store.CfgSet(lastKey, value, true);
        benchmark::DoNotOptimize(store.Lines().data());
    }
}
BENCHMARK(BM_CfgSetOn10000Lines)->Unit(benchmark::kMicrosecond);

// The store's load and save of a 20 MB file beside a plain read and write of the same
// bytes; "ratio" is the store's time over the plain time.
void BM_CfgLoadSave20MB(benchmark::State& state) {
    ScratchDir dir;
    const auto path = dir.Path() / marloven::CfgStore::kFileName;
    const auto plainPath = dir.Path() / "PLAIN.CFG";
    const auto text = ConfigText(0, 20u << 20);
    PlainWrite(path, text);
    PlainWrite(plainPath, text);
    marloven::CfgStore store(dir.Path());
    double storeMs = 0;
    double plainMs = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        PlainWrite(plainPath, PlainRead(plainPath));
        plainMs += MillisecondsSince(start);

        start = Clock::now();
        store.CfgLoad();
        store.CfgSave();
        const double elapsed = MillisecondsSince(start);
        storeMs += elapsed;
        state.SetIterationTime(elapsed / 1000);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.counters["plain_ms"] = plainMs / static_cast<double>(state.iterations());
    state.counters["store_ms"] = storeMs / static_cast<double>(state.iterations());
    state.counters["ratio"] = storeMs / plainMs;
}
BENCHMARK(BM_CfgLoadSave20MB)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
