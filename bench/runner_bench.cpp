// SPDX-License-Identifier: GPL-3.0-or-later
// How soon RunProgram returns once the started program has ended: 50 runs of the
// stand-in game, which ends at once and stamps the moment of its end. A runner that
// polled once a second would show up to 1000 ms here.

#include "bench/bench_doubles.h"
#include "core/cfg_store.h"
#include "launcher/game_runner.h"
#include "launcher/launcher_settings.h"
#include "platform/sound_player.h"
#include "ui/app_context.h"
#include "ui/prompter.h"
#include "ui/starts/launch.h"

#include <QWidget>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

using marloven::bench::SilentPrompter;
using marloven::bench::SilentSoundPlayer;

Clock::time_point ReadStamp(const fs::path& path) {
    long long count = 0;
    std::ifstream(path) >> count;
    return Clock::time_point(std::chrono::nanoseconds(count));
}

void BM_ExitToRunProgramReturn(benchmark::State& state) {
    const fs::path game = fs::temp_directory_path() / "marloven-runner-bench";
    fs::create_directories(game);
    fs::copy_file(STANDIN_PATH, game / "VK.EXE", fs::copy_options::overwrite_existing);
    const fs::path stamp = game / "exit.stamp";
    qputenv("STANDIN_EXIT_STAMP", QByteArray::fromStdString(stamp.string()));

    marloven::CfgStore store(game);
    SilentPrompter prompter;
    marloven::DirectGameRunner runner(marloven::MakeSystemProgramRunner());
    SilentSoundPlayer sound;
    marloven::LauncherSettings settings(QString::fromStdString((game / "marloven.ini").string()));
    marloven::AppContext context{game, store, prompter, runner, sound, settings};
    QWidget window;
    window.show();

    std::vector<double> delaysMs;
    for (auto _ : state) {
        fs::remove(stamp);
        marloven::RunProgram(context, &window, "VK.EXE", "");
        const auto returned = Clock::now();
        const std::chrono::duration<double> delay = returned - ReadStamp(stamp);
        state.SetIterationTime(delay.count());
        delaysMs.push_back(delay.count() * 1000);
    }
    std::sort(delaysMs.begin(), delaysMs.end());
    state.counters["median_ms"] = delaysMs[delaysMs.size() / 2];
    state.counters["max_ms"] = delaysMs.back();
    state.counters["messages"] = prompter.messages;
    qunsetenv("STANDIN_EXIT_STAMP");
    fs::remove_all(game);
}
BENCHMARK(BM_ExitToRunProgramReturn)
    ->Iterations(50)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
