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
        // The game owns the terminal while it runs; nothing of its output is kept.
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.setInputChannelMode(QProcess::ForwardedInputChannel);

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
        if (!over) {
            loop.exec();
        }
        if (process.error() == QProcess::FailedToStart) {
            return RunOutcome::CouldNotStart;
        }
        return RunOutcome::Ended;
    }
};

} // namespace

std::unique_ptr<ProgramRunner> MakeSystemProgramRunner() {
    return std::make_unique<PosixProgramRunner>();
}

} // namespace marloven
