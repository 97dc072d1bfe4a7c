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

namespace {

bool IsAscii(const std::wstring& text) {
    for (const wchar_t c : text) {
        if (c > 127) {
            return false;
        }
    }
    return true;
}

std::string AsciiOf(const std::wstring& text) {
    return {text.begin(), text.end()};
}

// The text in the code page, or nothing when a character has no place in it.
std::optional<std::string> InCodePage(const std::wstring& text, UINT codePage) {
    const int length = static_cast<int>(text.size());
    // UTF-8 takes every character, and refuses to be asked whether one was missing.
    BOOL missing = FALSE;
    BOOL* const askMissing = codePage == CP_UTF8 ? nullptr : &missing;
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int bytes =
        WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, nullptr, askMissing);
    if (bytes <= 0 || missing) {
        return std::nullopt;
    }
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(codePage, flags, text.data(), length, out.data(), bytes, nullptr,
                        askMissing);
    return missing ? std::nullopt : std::optional<std::string>(out);
}

} // namespace

std::optional<std::string> DosboxFolderPath(const std::string& path) {
    const int length = static_cast<int>(path.size());
    std::wstring wide(
        static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, path.data(), length, nullptr, 0)),
        L'\0');
    MultiByteToWideChar(CP_UTF8, 0, path.data(), length, wide.data(),
                        static_cast<int>(wide.size()));
    if (IsAscii(wide)) {
        return AsciiOf(wide);
    }
    // Volumes where Windows makes no short names give the long one back.
    const DWORD size = GetShortPathNameW(wide.c_str(), nullptr, 0);
    if (size > 0) {
        std::wstring shortPath(size, L'\0');
        const DWORD written = GetShortPathNameW(wide.c_str(), shortPath.data(), size);
        shortPath.resize(written < size ? written : 0);
        if (!shortPath.empty() && IsAscii(shortPath)) {
            return AsciiOf(shortPath);
        }
    }
    // The system's code page, which DOSBox has; this program's own is UTF-8 (its
    // manifest), so GetACP would not tell it.
    UINT codePage = CP_ACP;
    if (GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                       reinterpret_cast<LPWSTR>(&codePage),
                       sizeof codePage / sizeof(wchar_t)) == 0) {
        return std::nullopt;
    }
    return InCodePage(wide, codePage);
}

} // namespace marloven
