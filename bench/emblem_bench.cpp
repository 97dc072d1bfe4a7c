// SPDX-License-Identifier: GPL-3.0-or-later
// What the animated star costs on the launcher's main window (offscreen platform):
//
// - MainWindowOpenFor10s/star and /no_star: the main window left open for 10 seconds,
//   with our star twinkling in its corner and without a star.gif. The CPU column is
//   the whole process's CPU time over those seconds; the difference is the star's.
// - WakeUpsAfterTheStarFinished: a star that plays one pass and stops, then 5 seconds
//   of the open window. Counts the star timer's events after the end: there must be
//   none.

#include "bench/bench_doubles.h"
#include "core/cfg_store.h"
#include "launcher/game_runner.h"
#include "launcher/launcher_settings.h"
#include "tools/assets/star_gif.h"
#include "ui/app_context.h"
#include "ui/main/main_window.h"
#include "ui/startup.h"
#include "widgets/gif_image.h"
#include "widgets/star_emblem.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

namespace {

namespace fs = std::filesystem;

// The launcher's forms over a game directory of its own, made current while they are
// built so that the main window reads star.gif from it, with the main window open.
class OpenLauncher {
  public:
    explicit OpenLauncher(const std::optional<std::string>& star)
        : dir_(fs::temp_directory_path() / "marloven-emblem-bench"), store_(dir_) {
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        std::ofstream(dir_ / "VK.CFG") << "PlayerName = \"Bench\"\r\n";
        if (star) {
            std::ofstream(dir_ / marloven::kStarFileName, std::ios::binary) << *star;
        }
        const fs::path previous = fs::current_path();
        fs::current_path(dir_);
        context_.emplace(
            marloven::AppContext{dir_, store_, prompter_, *runner_, sound_, settings_});
        forms_ = marloven::CreateForms(*context_);
        fs::current_path(previous);
        forms_->mainWindow->LoadSettings();
        forms_->mainWindow->show();
    }
    ~OpenLauncher() {
        forms_.reset();
        fs::remove_all(dir_);
    }

    marloven::GifImage& Star() const { return *forms_->mainWindow->emblem; }

  private:
    fs::path dir_;
    marloven::CfgStore store_;
    marloven::bench::SilentPrompter prompter_;
    std::unique_ptr<marloven::GameRunner> runner_ =
        std::make_unique<marloven::DirectGameRunner>(marloven::MakeSystemProgramRunner());
    marloven::bench::SilentSoundPlayer sound_;
    marloven::LauncherSettings settings_{QString::fromStdString((dir_ / "marloven.ini").string())};
    std::optional<marloven::AppContext> context_;
    std::unique_ptr<marloven::Forms> forms_;
};

void RunEventLoopFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// Counts the timer events that reach one timer, whoever handles them.
class TimerEventCounter : public QObject {
  public:
    explicit TimerEventCounter(const QObject* timer) : timer_(timer) {
        qApp->installEventFilter(this);
    }
    ~TimerEventCounter() override { qApp->removeEventFilter(this); }
    int count = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == timer_ && event->type() == QEvent::Timer) {
            ++count;
        }
        return false;
    }

  private:
    const QObject* timer_;
};

void BM_MainWindowOpenFor10s(benchmark::State& state) {
    const bool withStar = state.range(0) != 0;
    OpenLauncher launcher(withStar ? std::optional(marloven::star::StarGif(0)) : std::nullopt);
    int frames = 0;
    launcher.Star().onChange = [&](marloven::GifImage&) { ++frames; };
    RunEventLoopFor(100); // the first paint, which starts the star
    for (auto _ : state) {
        RunEventLoopFor(10000);
    }
    if (withStar && frames == 0) {
        state.SkipWithError("the star did not animate");
    }
    state.counters["frame_changes"] = frames;
}
BENCHMARK(BM_MainWindowOpenFor10s)
    ->ArgName("star")
    ->Arg(1)
    ->Arg(0)
    ->Iterations(1)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_WakeUpsAfterTheStarFinished(benchmark::State& state) {
    OpenLauncher launcher(marloven::star::StarGif(1));
    marloven::GifImage& star = launcher.Star();
    QElapsedTimer played;
    played.start();
    RunEventLoopFor(100);
    while (star.Timer().isActive() && played.elapsed() < 20000) {
        RunEventLoopFor(50);
    }
    if (star.Timer().isActive()) {
        state.SkipWithError("the star did not finish within 20 s");
        return;
    }
    const double playMs = static_cast<double>(played.elapsed());
    TimerEventCounter wakeUps(&star.Timer());
    for (auto _ : state) {
        RunEventLoopFor(5000);
    }
    state.counters["play_ms"] = playMs;
    state.counters["wake_ups"] = wakeUps.count;
}
BENCHMARK(BM_WakeUpsAfterTheStarFinished)
    ->Iterations(1)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
