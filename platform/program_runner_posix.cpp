// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/program_runner.h"

#include "core/file_ops.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

namespace marloven {

namespace {

QStringList ArgumentsOf(const CommandLine& command) {
    QStringList arguments;
    for (const std::string& argument : command.arguments) {
        arguments << QString::fromLocal8Bit(argument);
    }
    return arguments;
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
        // Absolute, so that the working directory below cannot change which file runs.
        process.setProgram(QFileInfo(QString::fromLocal8Bit(command.program)).absoluteFilePath());
        process.setArguments(ArgumentsOf(command));
        process.setWorkingDirectory(QString::fromLocal8Bit(command.directory));
        // The game owns the terminal while it runs, unless its output is to be kept.
        process.setInputChannelMode(QProcess::ForwardedInputChannel);
        if (command.outputFile.empty()) {
            process.setProcessChannelMode(QProcess::ForwardedChannels);
        } else {
            process.setProcessChannelMode(QProcess::MergedChannels);
            process.setStandardOutputFile(QString::fromLocal8Bit(command.outputFile));
        }

        // The loop ends on the program's own end signal, so the window comes back at
        // once, while events keep being handled meanwhile.
        QEventLoop loop;
        bool over = false;
        const auto finish = [&] {
            over = true;
            loop.quit();
        };
        QObject::connect(&process, &QProcess::finished, &loop, finish);
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
