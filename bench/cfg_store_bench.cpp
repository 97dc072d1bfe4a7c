// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cfg_store.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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

// CPU time of the whole process (user and system), which other work on a busy
// machine does not inflate as it does wall time.
double CpuMilliseconds() {
    return static_cast<double>(std::clock()) * 1000.0 / CLOCKS_PER_SEC;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The store's load and save of a 15 MB file (the store reads at most 16 MB) beside a plain read and
// write of the same bytes, in alternating pairs; "ratio" is the median over pairs of the store's
// wall time over the plain one, "cpu_ratio" the same for CPU time. Target: at most 2.
void BM_CfgLoadSave15MB(benchmark::State& state) {
    ScratchDir dir;
    const auto path = dir.Path() / marloven::CfgStore::kFileName;
    const auto plainPath = dir.Path() / "PLAIN.CFG";
    const auto text = ConfigText(0, 15u << 20);
    PlainWrite(path, text);
    PlainWrite(plainPath, text);
    marloven::CfgStore store(dir.Path());
    std::vector<double> plainMs, storeMs, ratios, cpuRatios;
    for (auto _ : state) {
        auto start = Clock::now();
        double cpuStart = CpuMilliseconds();
        PlainWrite(plainPath, PlainRead(plainPath));
        const double plainCpu = CpuMilliseconds() - cpuStart;
        plainMs.push_back(MillisecondsSince(start));

        start = Clock::now();
        cpuStart = CpuMilliseconds();
        store.CfgLoad();
        store.CfgSave();
        const double storeCpu = CpuMilliseconds() - cpuStart;
        storeMs.push_back(MillisecondsSince(start));
        state.SetIterationTime(storeMs.back() / 1000);
        ratios.push_back(storeMs.back() / plainMs.back());
        cpuRatios.push_back(storeCpu / plainCpu);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.counters["plain_ms"] = Median(plainMs);
    state.counters["store_ms"] = Median(storeMs);
    state.counters["ratio"] = Median(ratios);
    state.counters["cpu_ratio"] = Median(cpuRatios);
}
BENCHMARK(BM_CfgLoadSave15MB)->UseManualTime()->Iterations(15)->Unit(benchmark::kMillisecond);

} // namespace
