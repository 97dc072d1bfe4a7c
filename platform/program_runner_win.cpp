// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/program_runner.h"

#include "core/launch.h"

#include <QEventLoop>
#include <QProcessEnvironment>
#include <QTimer>
#include <QWinEventNotifier>
#include <string>
#include <vector>
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

// The file that takes a program's output (both channels), open for it to inherit; null
// when none is asked for or it cannot be made, and the program then writes where it
// would (DOSBox for Windows: stdout.txt, or its own console window).
class OutputFile {
  public:
    explicit OutputFile(const std::string& path) {
        if (path.empty()) {
            return;
        }
        SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
        handle = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            handle = nullptr;
        }
    }
    ~OutputFile() {
        if (handle != nullptr) {
            CloseHandle(handle);
        }
    }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    HANDLE handle = nullptr;
};

// Lets the program inherit that one handle and no other of the launcher's (the output
// files of other starts running beside it among them, which would stay open, and their
// folders with them, until this program ends).
class InheritOnly {
  public:
    explicit InheritOnly(HANDLE handle) : handle_(handle) {
        SIZE_T bytes = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &bytes);
        space_.resize(bytes);
        auto* made = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(space_.data());
        if (InitializeProcThreadAttributeList(made, 1, 0, &bytes) &&
            UpdateProcThreadAttribute(made, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &handle_,
                                      sizeof handle_, nullptr, nullptr)) {
            list = made;
        }
    }
    ~InheritOnly() {
        if (list != nullptr) {
            DeleteProcThreadAttributeList(list);
        }
    }
    InheritOnly(const InheritOnly&) = delete;
    InheritOnly& operator=(const InheritOnly&) = delete;

    LPPROC_THREAD_ATTRIBUTE_LIST list = nullptr;

  private:
    HANDLE handle_;
    std::vector<char> space_;
};

// The launcher's own environment with MARLOVEN_LOOPBACK_ONLY=1, as a block for
// CreateProcessW. The DOSBox that comes with Marloven then binds its modem's listener and
// its IPX tunnel to 127.0.0.1 (its network part is the launcher's own), so that no other
// machine reaches the driver past the launcher; a DOSBox of another make ignores it.
std::wstring LoopbackOnlyEnvironment() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("MARLOVEN_LOOPBACK_ONLY"), QStringLiteral("1"));
    std::wstring block;
    for (const QString& entry : environment.toStringList()) {
        block += entry.toStdWString();
        block.push_back(L'\0');
    }
    block.push_back(L'\0');
    return block;
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

        STARTUPINFOEXW startup{};
        startup.StartupInfo.cb = sizeof(startup);
        startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW;
        startup.StartupInfo.wShowWindow = SW_SHOW;
        const OutputFile output(command.outputFile);
        const InheritOnly inherit(output.handle);
        DWORD flags = NORMAL_PRIORITY_CLASS | CREATE_SUSPENDED;
        if (output.handle != nullptr && inherit.list != nullptr) {
            startup.StartupInfo.dwFlags |= STARTF_USESTDHANDLES;
            startup.StartupInfo.hStdOutput = output.handle;
            startup.StartupInfo.hStdError = output.handle;
            startup.lpAttributeList = inherit.list;
            flags |= EXTENDED_STARTUPINFO_PRESENT;
        }
        const BOOL inherits = (flags & EXTENDED_STARTUPINFO_PRESENT) != 0;
        std::wstring environment;
        if (command.loopbackOnly) {
            environment = LoopbackOnlyEnvironment();
            flags |= CREATE_UNICODE_ENVIRONMENT;
        }
        PROCESS_INFORMATION process{};
        // No application name: the system takes the program from the line, the way it
        // must for a DOS program. An empty directory means the launcher's own, as the
        // system refuses an empty name.
        // Started suspended, so that it is in the job before it can start anything itself.
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, inherits, flags,
                            environment.empty() ? nullptr : environment.data(),
                            directory.empty() ? nullptr : directory.c_str(), &startup.StartupInfo,
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
