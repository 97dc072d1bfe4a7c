// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/program_runner.h"

#include "core/file_ops.h"
#include "platform/ending.h"
#include "platform/module_places.h"
#include "qt_text/text_conversions.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QSocketNotifier>
#include <QStringList>
#include <array>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace marloven {

namespace {

QStringList ArgumentsOf(const CommandLine& command) {
    QStringList arguments;
    for (const std::string& argument : command.arguments) {
        arguments << MessageText(argument);
    }
    return arguments;
}

// The signals that end the launcher from outside: the session ending, the terminal
// closing, Ctrl+C.
constexpr std::array kEndingSignals = {SIGTERM, SIGHUP, SIGINT};

int g_signalPipe[2] = {-1, -1};

extern "C" void NoteEndingSignal(int signal) {
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

// While a program runs, an ending signal reaches the event loop (through a pipe, as
// little may happen inside a handler) instead of ending the launcher at once, which
// would leave the program running and its start's files behind.
class EndingSignals {
  public:
    EndingSignals() {
        if (g_signalPipe[0] < 0 && ::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
            return;
        }
        struct sigaction action {};
        action.sa_handler = NoteEndingSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (std::size_t i = 0; i < kEndingSignals.size(); ++i) {
            sigaction(kEndingSignals[i], &action, &previous_[i]);
        }
        notifier_ = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
    }
    ~EndingSignals() {
        if (notifier_) {
            for (std::size_t i = 0; i < kEndingSignals.size(); ++i) {
                sigaction(kEndingSignals[i], &previous_[i], nullptr);
            }
        }
    }
    EndingSignals(const EndingSignals&) = delete;
    EndingSignals& operator=(const EndingSignals&) = delete;

    QSocketNotifier* Notifier() const { return notifier_.get(); }
    int Take() const {
        unsigned char byte = 0;
        return ::read(g_signalPipe[0], &byte, 1) == 1 ? byte : 0;
    }

  private:
    std::array<struct sigaction, kEndingSignals.size()> previous_{};
    std::unique_ptr<QSocketNotifier> notifier_;
};

// Ends the program (asked first, then made to), removes its start's files, and ends the
// launcher by the signal it was sent, as it would have ended without the program.
[[noreturn]] void EndWithProgram(QProcess& process, int signal) {
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(3000);
    }
    RemoveWhatAnEndingLeaves();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    std::_Exit(128 + signal);
}

// The program ends with the launcher, even one killed outright; run in the child
// before the program starts.
void DieWithLauncher(pid_t launcher) {
#ifdef __linux__
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != launcher) {
        // The launcher ended before the line above took effect.
        ::_exit(1);
    }
#else
    (void)launcher;
#endif
}

// What the launcher holds open and did not mark to close at a start (the router
// library's sockets among them) closes as the program starts: else the program would
// hold their ports bound to every address for its whole life. Run in the child; its
// standard channels stay.
void KeepLaunchersFilesFromProgram() {
#ifdef CLOSE_RANGE_CLOEXEC
    if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0) {
        return;
    }
#endif
    constexpr int kMostFilesLooked = 4096;
    for (int file = 3; file < kMostFilesLooked; ++file) {
        const int flags = ::fcntl(file, F_GETFD);
        if (flags >= 0) {
            ::fcntl(file, F_SETFD, flags | FD_CLOEXEC);
        }
    }
}

// Whether Qt's strings carry these bytes of a path unchanged: a name that is not valid
// UTF-8 (a Latin-1 folder from an older disk) would come out as another name.
bool QtKeeps(const std::string& bytes) {
    return PathFromQString(QStringFromPath(bytes)).native() == bytes;
}

// Sets the program and the directory it runs in; true when the directory must be
// entered with its own bytes in the child, as Qt would name another. The program is
// named absolutely, so that the directory cannot change which file runs; one lying in
// that directory is then named relative to it.
bool SetPlace(QProcess& process, const CommandLine& command) {
    const std::filesystem::path program = std::filesystem::absolute(command.program);
    const bool bytesOnly = !QtKeeps(command.directory) || !QtKeeps(program.native());
    if (!bytesOnly) {
        process.setProgram(QStringFromPath(program));
        process.setWorkingDirectory(QStringFromPath(command.directory));
        return false;
    }
    std::error_code error;
    if (std::filesystem::equivalent(program.parent_path(), command.directory, error)) {
        process.setProgram("./" + QStringFromPath(program.filename()));
    } else {
        process.setProgram(QStringFromPath(program));
    }
    return true;
}

// Loads the launcher's loopback library into the program (see loopback_only_posix.cpp);
// why it cannot, or nothing.
std::optional<std::string> KeepToThisMachine([[maybe_unused]] QProcess& process) {
#ifdef MARLOVEN_LOOPBACK_MODULE_NAME
    for (const QString& place : ModulePlaces(MARLOVEN_LOOPBACK_MODULE_NAME)) {
        if (QFileInfo(place).isFile()) {
            auto environment = QProcessEnvironment::systemEnvironment();
            const QString others = environment.value(QStringLiteral("LD_PRELOAD"));
            environment.insert(QStringLiteral("LD_PRELOAD"),
                               QFileInfo(place).absoluteFilePath() +
                                   (others.isEmpty() ? QString() : ':' + others));
            process.setProcessEnvironment(environment);
            return std::nullopt;
        }
    }
    return std::string("Marloven's part that keeps DOSBox's link on this machine (" +
                       std::string(MARLOVEN_LOOPBACK_MODULE_NAME) +
                       ") is missing beside the program. Install Marloven again.");
#else
    return std::nullopt; // no such means on this system
#endif
}

// Starts the file itself with each switch as an argument of its own, never through a
// shell, so "-dr$$MRV$$.DMO" arrives as written.
class PosixProgramRunner : public ProgramRunner {
  public:
    RunResult Run(const CommandLine& command) override {
        if (!IsExistingFile(command.program)) {
            return RunOutcome::NotFound;
        }
        QProcess process;
        if (command.loopbackOnly) {
            if (auto refusal = KeepToThisMachine(process)) {
                return {RunOutcome::Refused, *refusal};
            }
        }
        const bool bytesOnly = SetPlace(process, command);
        process.setArguments(ArgumentsOf(command));
        // The game owns the terminal while it runs, unless its output is to be kept.
        process.setInputChannelMode(QProcess::ForwardedInputChannel);
        if (command.outputFile.empty()) {
            process.setProcessChannelMode(QProcess::ForwardedChannels);
        } else {
            process.setProcessChannelMode(QProcess::MergedChannels);
            process.setStandardOutputFile(QStringFromPath(command.outputFile));
        }
        process.setChildProcessModifier(
            [launcher = ::getpid(), directory = bytesOnly ? command.directory : std::string()] {
                DieWithLauncher(launcher);
                KeepLaunchersFilesFromProgram();
                if (!directory.empty() && ::chdir(directory.c_str()) != 0) {
                    ::_exit(127);
                }
            });
        const EndingSignals endingSignals;

        // The loop ends on the program's own end signal, so the window comes back at
        // once, while events keep being handled meanwhile.
        QEventLoop loop;
        bool over = false;
        const auto finish = [&] {
            over = true;
            loop.quit();
        };
        QObject::connect(&process, &QProcess::finished, &loop, finish);
        if (endingSignals.Notifier() != nullptr) {
            QObject::connect(endingSignals.Notifier(), &QSocketNotifier::activated, &loop, [&] {
                if (const int signal = endingSignals.Take()) {
                    EndWithProgram(process, signal);
                }
            });
        }
        QObject::connect(&process, &QProcess::errorOccurred, &loop,
                         [&](QProcess::ProcessError error) {
                             if (error == QProcess::FailedToStart) {
                                 finish();
                             }
                         });
        process.start();
        if (!over && command.started) {
            command.started([&process] { process.kill(); });
        }
        if (!over) {
            loop.exec();
        }
        if (process.error() == QProcess::FailedToStart) {
            return RunOutcome::CouldNotStart;
        }
        RunResult result(RunOutcome::Ended);
        result.exitCode = process.exitCode();
        result.crashed = process.exitStatus() == QProcess::CrashExit;
        return result;
    }
};

} // namespace

std::unique_ptr<ProgramRunner> MakeSystemProgramRunner() {
    return std::make_unique<PosixProgramRunner>();
}

} // namespace marloven
