// SPDX-License-Identifier: GPL-3.0-or-later
// From the click to the game running: a start of our DOS stand-in VK.EXE through
// DOSBox (headless) beside a direct start of the native stand-in, taken in turns in
// the same sitting. "Running" is the moment the program's log first appears, seen
// by a 1 ms timer while the launcher waits; "whole" is the click until RunProgram
// returns. The figures to read are the ratios; absolute times depend on the machine.
//
//   build/bench/bench/bench_dosbox

#include "bench/bench_doubles.h"
#include "core/cfg_store.h"
#include "core/game_file.h"
#include "launcher/dos_engine.h"
#include "launcher/launcher_settings.h"
#include "ui/app_context.h"
#include "ui/starts/launch.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

namespace fs = std::filesystem;

using marloven::bench::SilentPrompter;
using marloven::bench::SilentSoundPlayer;

struct Timing {
    double runningMs = 0;
    double wholeMs = 0;
};

// A game directory with one VK.EXE, started as the Single Player button starts it.
class BenchGame {
  public:
    BenchGame(const char* name, const fs::path& program, const marloven::DosboxSettings& settings)
        : dir_(fs::temp_directory_path() / name), store_(dir_),
          runner_(marloven::MakeSystemProgramRunner(), [settings] { return settings; }),
          context_{dir_, store_, prompter_, runner_, sound_, settings_} {
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        fs::copy_file(program, dir_ / "VK.EXE");
        window_.show();
    }
    ~BenchGame() { fs::remove_all(dir_); }

    Timing Start() {
        for (const char* log : {"standin.log", "STANDIN.LOG"}) {
            fs::remove(dir_ / log);
        }
        Timing timing;
        QElapsedTimer clock;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (timing.runningMs == 0 && fs::exists(marloven::FindGameFile(dir_, "STANDIN.LOG"))) {
                timing.runningMs = clock.nsecsElapsed() / 1e6;
            }
        });
        watch.start(1);
        clock.start();
        marloven::RunProgram(context_, &window_, "VK.EXE", "-nopred");
        timing.wholeMs = clock.nsecsElapsed() / 1e6;
        if (timing.runningMs == 0) {
            timing.runningMs = timing.wholeMs; // the log came in the last millisecond
        }
        return timing;
    }
    int Messages() const { return prompter_.messages; }

  private:
    fs::path dir_;
    marloven::CfgStore store_;
    SilentPrompter prompter_;
    marloven::DosEngineRunner runner_;
    SilentSoundPlayer sound_;
    marloven::LauncherSettings settings_{QString::fromStdString((dir_ / "marloven.ini").string())};
    marloven::AppContext context_;
    QWidget window_;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void BM_DosboxBesideDirectStart(benchmark::State& state) {
    marloven::DosboxSettings headless;
    headless.dosboxPath = marloven::FindDosbox({});
    if (headless.dosboxPath.empty() || !fs::exists(DOS_STANDIN_DIR "/VK.EXE")) {
        state.SkipWithError("needs DOSBox and the DOS stand-ins (nasm)");
        return;
    }
    const fs::path configuration = fs::temp_directory_path() / "marloven-bench-headless.conf";
    std::ofstream(configuration) << "[sdl]\noutput=surface\n[mixer]\nnosound=true\n";
    headless.playersConfiguration = configuration.string();
    qputenv("SDL_VIDEODRIVER", "dummy");
    qputenv("SDL_AUDIODRIVER", "dummy");

    BenchGame direct("marloven-bench-direct", STANDIN_PATH, {});
    BenchGame dosbox("marloven-bench-dosbox", DOS_STANDIN_DIR "/VK.EXE", headless);
    std::vector<double> directRunning, directWhole, dosboxRunning, dosboxWhole;
    for (auto _ : state) {
        const Timing native = direct.Start();
        const Timing dos = dosbox.Start();
        directRunning.push_back(native.runningMs);
        directWhole.push_back(native.wholeMs);
        dosboxRunning.push_back(dos.runningMs);
        dosboxWhole.push_back(dos.wholeMs);
    }
    state.counters["direct_running_ms"] = Median(directRunning);
    state.counters["dosbox_running_ms"] = Median(dosboxRunning);
    state.counters["running_ratio"] = Median(dosboxRunning) / Median(directRunning);
    state.counters["direct_whole_ms"] = Median(directWhole);
    state.counters["dosbox_whole_ms"] = Median(dosboxWhole);
    state.counters["whole_ratio"] = Median(dosboxWhole) / Median(directWhole);
    state.counters["messages"] = direct.Messages() + dosbox.Messages();
    fs::remove(configuration);
}
BENCHMARK(BM_DosboxBesideDirectStart)->Iterations(10)->Unit(benchmark::kMillisecond);

} // namespace
