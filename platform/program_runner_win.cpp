// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/program_runner.h"

#include "core/launch.h"

#include <QEventLoop>
#include <QTimer>
#include <QWinEventNotifier>
#include <string>
#include <windows.h>

namespace marloven {

namespace {

// The launcher's 8-bit paths are UTF-8 on Windows, as the standard library spells a
// path in 8 bits there (and as the program's manifest has the system read them): the
// wide calls then take every letter of a folder's name, whatever the system's code page.
std::wstring Wide(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
    return wide;
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

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
        if (!IsFile(Wide(command.program))) {
            return RunOutcome::NotFound;
        }
        // CreateProcessW may write into the command line, so it gets a copy of its own.
        std::wstring line =
            Wide(QuotedCommandLine(command.program, WindowsArgumentLine(command.arguments)));
        const std::wstring directory = Wide(command.directory);

        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOW;
        PROCESS_INFORMATION process{};
        // No application name: the system takes the program from the line, the way it
        // must for a DOS program. An empty directory means the launcher's own, as the
        // system refuses an empty name.
        // Started suspended, so that it is in the job before it can start anything itself.
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE,
                            NORMAL_PRIORITY_CLASS | CREATE_SUSPENDED, nullptr,
                            directory.empty() ? nullptr : directory.c_str(), &startup, &process)) {
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
            // A look now and then as well: a notification lost under load (seen under
            // Wine) must not leave the launcher waiting for a program long gone.
            QTimer look;
            QObject::connect(&look, &QTimer::timeout, &loop, [&] {
                if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
                    loop.quit();
                }
            });
            look.start(250);
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
