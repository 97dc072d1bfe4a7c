// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/program_runner.h"

#include "core/file_ops.h"
#include "core/launch.h"

#include <QEventLoop>
#include <QWinEventNotifier>
#include <vector>
#include <windows.h>

namespace marloven {

namespace {

// Every program started lies in one job that ends when the launcher does, however it
// ends, so that no DOSBox is left running without it. Null where the system refuses.
HANDLE LauncherJob() {
    static const HANDLE job = [] {
        HANDLE made = CreateJobObjectW(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (made != nullptr && !SetInformationJobObject(made, JobObjectExtendedLimitInformation,
                                                        &limits, sizeof limits)) {
            CloseHandle(made);
            made = nullptr;
        }
        return made;
    }();
    return job;
}

class WindowsProgramRunner : public ProgramRunner {
  public:
    RunResult Run(const CommandLine& command) override {
        if (!IsExistingFile(command.program)) {
            return RunOutcome::NotFound;
        }
        // CreateProcessA may write into the command line, so it gets a copy of its own.
        const std::string text =
            QuotedCommandLine(command.program, WindowsArgumentLine(command.arguments));
        std::vector<char> line(text.begin(), text.end());
        line.push_back('\0');

        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOW;
        PROCESS_INFORMATION process{};
        // No application name: the system takes the program from the line, the way it
        // must for a DOS program. An empty directory means the launcher's own, as the
        // system refuses an empty name.
        const char* directory = command.directory.empty() ? nullptr : command.directory.c_str();
        // Started suspended, so that it is in the job before it can start anything itself.
        if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE,
                            NORMAL_PRIORITY_CLASS | CREATE_SUSPENDED, nullptr, directory, &startup,
                            &process)) {
            return RunOutcome::CouldNotStart;
        }
        if (const HANDLE job = LauncherJob()) {
            AssignProcessToJobObject(job, process.hProcess);
        }
        ResumeThread(process.hThread);

        // The process handle is signalled when the program ends; the notifier turns
        // that into an event, so the window is serviced and the end noticed at once.
        // A handle that is already signalled still fires once the loop runs.
        {
            QEventLoop loop;
            QWinEventNotifier ended(process.hProcess);
            QObject::connect(&ended, &QWinEventNotifier::activated, &loop, &QEventLoop::quit);
            if (command.started) {
                command.started([&process] { TerminateProcess(process.hProcess, 1); });
            }
            loop.exec();
        }
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        RunResult result(RunOutcome::Ended);
        result.exitCode = static_cast<int>(code);
        // An unhandled exception ends a program with its NTSTATUS code (0xC...).
        result.crashed = (code & 0xC0000000u) == 0xC0000000u;
        return result;
    }
};

} // namespace

std::unique_ptr<ProgramRunner> MakeSystemProgramRunner() {
    return std::make_unique<WindowsProgramRunner>();
}

} // namespace marloven
