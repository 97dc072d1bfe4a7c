// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/dos_engine.h"
#include "tests/support/game_dir.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>
#include <fstream>
#include <gtest/gtest.h>

#ifndef _WIN32
#include <csignal>
#include <unistd.h>
#endif

namespace marloven::test {
namespace {

// Run in a launcher process of its own by the tests below: one start through a
// "DOSBox" that notes its process and its configuration, then waits to be ended.
TEST(EndingHelper, DISABLED_StartsTheGameThroughDosbox) {
    const std::string game = qEnvironmentVariable("MARLOVEN_ENDING_GAME").toStdString();
    DosEngineRunner runner(MakeSystemProgramRunner(), [&] {
        return DosboxSettings{game + "/dosbox", DosboxUse::Always, false, ""};
    });
    runner.Run({game + "/VK.EXE", "", game});
}

#ifndef _WIN32
bool IsGone(pid_t process) {
    if (kill(process, 0) != 0) {
        return true;
    }
    // Ended, but not yet reaped by whoever inherited it.
    std::ifstream stat("/proc/" + std::to_string(process) + "/stat");
    std::string pid, name, state;
    return stat >> pid >> name >> state && state == "Z";
}

// Starts the launcher process and waits (bounded) until its "DOSBox" runs; gives the
// DOSBox process and its configuration's path.
bool StartLauncher(QProcess& launcher, const GameDir& game, pid_t& dosbox,
                   std::string& configuration) {
    launcher.setProgram(QCoreApplication::applicationFilePath());
    launcher.setArguments({"--gtest_filter=EndingHelper.*", "--gtest_also_run_disabled_tests"});
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert("MARLOVEN_ENDING_GAME", QString::fromStdString(game.Path().string()));
    launcher.setProcessEnvironment(environment);
    launcher.start();
    const QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired() && !game.Exists("dosbox.ran")) {
        QThread::msleep(20);
    }
    std::ifstream noted(game / "dosbox.ran");
    return static_cast<bool>(noted >> dosbox >> configuration);
}

bool EndsWithin(pid_t process, int milliseconds) {
    const QDeadlineTimer deadline(milliseconds);
    while (!IsGone(process) && !deadline.hasExpired()) {
        QThread::msleep(20);
    }
    return IsGone(process);
}
#endif

// The session ending (SIGTERM) or the terminal closing (SIGHUP) while DOSBox runs: the
// launcher ends DOSBox and removes the configuration it wrote, then ends by the
// signal. Killed outright, it can clean nothing, but DOSBox still ends with it.
TEST(EndingTheLauncher, EndsDosboxAndRemovesTheStartsConfiguration) {
#ifdef _WIN32
    GTEST_SKIP() << "signals are POSIX; Windows ends DOSBox through the launcher's job";
#else
    const GameDir game({{"VK.EXE", "MZ"},
                        {"dosbox", "#!/bin/sh\necho $$ \"$2\" > dosbox.ran.new\n"
                                   "mv dosbox.ran.new dosbox.ran\nexec sleep 60\n"}});
    std::filesystem::permissions(game / "dosbox", std::filesystem::perms::owner_all);
    for (const int signal : {SIGTERM, SIGHUP, SIGKILL}) {
        std::filesystem::remove(game / "dosbox.ran");
        QProcess launcher;
        pid_t dosbox = 0;
        std::string configuration;
        ASSERT_TRUE(StartLauncher(launcher, game, dosbox, configuration)) << signal;
        ASSERT_TRUE(std::filesystem::exists(configuration));
        // Never 0 or below: kill() would reach a whole group of processes.
        const auto pid = static_cast<pid_t>(launcher.processId());
        ASSERT_GT(pid, 0);
        ASSERT_GT(dosbox, 0);
        kill(pid, signal);
        ASSERT_TRUE(launcher.waitForFinished(10000)) << signal;
        EXPECT_EQ(launcher.exitStatus(), QProcess::CrashExit) << signal;
        EXPECT_TRUE(EndsWithin(dosbox, 10000)) << "DOSBox outlived the launcher: " << signal;
        if (signal == SIGKILL) {
            std::filesystem::remove_all(std::filesystem::path(configuration).parent_path());
        } else {
            EXPECT_FALSE(
                std::filesystem::exists(std::filesystem::path(configuration).parent_path()))
                << signal;
        }
    }
#endif
}

} // namespace
} // namespace marloven::test
