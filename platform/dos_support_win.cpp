// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/dos_support.h"

#include <cwctype>
#include <string>
#include <windows.h>

namespace marloven {

namespace {

std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

// The folder an environment variable names, with a subfolder; nothing when unset.
void AddEnvironmentFolder(std::vector<std::filesystem::path>& folders, const wchar_t* name,
                          const wchar_t* subfolder) {
    std::wstring value(MAX_PATH, L'\0');
    DWORD length = GetEnvironmentVariableW(name, value.data(), MAX_PATH);
    if (length >= MAX_PATH) {
        value.resize(length);
        length = GetEnvironmentVariableW(name, value.data(), length);
    }
    if (length == 0 || length >= value.size()) {
        return;
    }
    value.resize(length);
    const std::filesystem::path folder = std::filesystem::path(value) / subfolder;
    for (const std::filesystem::path& known : folders) {
        if (known == folder) {
            return;
        }
    }
    folders.push_back(folder);
}

bool StartsWithDosbox(const std::wstring& name) {
    const std::wstring prefix = L"dosbox";
    if (name.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::towlower(name[i]) != prefix[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

bool SystemRunsDosPrograms() {
    // The machine's own processor, not the one this program was built for: a 32-bit
    // launcher on a 64-bit Windows still has no DOS beneath it. On a 32-bit Windows
    // NTVDM is an optional feature, off unless the player turned it on.
    SYSTEM_INFO info{};
    GetNativeSystemInfo(&info);
    if (info.wProcessorArchitecture != PROCESSOR_ARCHITECTURE_INTEL) {
        return false;
    }
    const std::wstring system = SystemFolder();
    return !system.empty() &&
           GetFileAttributesW((system + L"\\ntvdm.exe").c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::filesystem::path BundledDosboxFolder() {
    std::wstring program(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size()));
        if (length == 0) {
            return {};
        }
        if (length < program.size()) {
            program.resize(length);
            return std::filesystem::path(program).parent_path();
        }
        // A path longer than the buffer comes back cut short: a longer buffer, again.
        program.resize(program.size() * 2);
    }
}

std::vector<std::filesystem::path> DosboxInstallFolders() {
    // The installers name their folders after themselves and often the version
    // ("DOSBox-0.74-3", "DOSBox Staging", "DOSBox-X"), and DOSBox-X offers C:\DOSBox-X.
    std::vector<std::filesystem::path> roots;
    for (const wchar_t* name : {L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432"}) {
        AddEnvironmentFolder(roots, name, L"");
    }
    AddEnvironmentFolder(roots, L"LOCALAPPDATA", L"Programs");
    AddEnvironmentFolder(roots, L"SystemDrive", L"\\");
    std::vector<std::filesystem::path> folders;
    for (const std::filesystem::path& root : roots) {
        std::error_code error;
        for (std::filesystem::directory_iterator entry(root, error), end; !error && entry != end;
             entry.increment(error)) {
            std::error_code ignored;
            if (entry->is_directory(ignored) &&
                StartsWithDosbox(entry->path().filename().wstring())) {
                folders.push_back(entry->path());
            }
        }
    }
    return folders;
}

} // namespace marloven
