// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/link_handler.h"

#include <windows.h>

namespace marloven {

namespace {

constexpr const wchar_t* kClassKey = L"Software\\Classes\\marloven";

// Sets one text value of a key under HKEY_CURRENT_USER, making the key when needed.
bool SetText(const std::wstring& subKey, const wchar_t* name, const std::wstring& value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, subKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    const bool set =
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes) ==
        ERROR_SUCCESS;
    RegCloseKey(key);
    return set;
}

} // namespace

// Per user, so no administrator is needed; the link reaches the program as one
// argument, quoted, and the program reads it as an invitation and nothing else.
LinkRegistration RegisterLinks(const std::filesystem::path& given) {
    // Qt names the program with forward slashes; the shell's command wants the system's.
    const std::filesystem::path program = std::filesystem::path(given).make_preferred();
    const std::wstring base = kClassKey;
    const std::wstring quoted = L"\"" + program.wstring() + L"\"";
    // An empty value made from L"" trips GCC 12's false -Warray-bounds on the copy of
    // its one character, which -Werror turns into a failed build.
    const bool done = SetText(base, nullptr, L"URL:Marloven invitation") &&
                      SetText(base, L"URL Protocol", std::wstring()) &&
                      SetText(base + L"\\DefaultIcon", nullptr, quoted + L",0") &&
                      SetText(base + L"\\shell\\open\\command", nullptr, quoted + L" \"%1\"");
    if (!done) {
        return {false, "Windows did not let Marloven register its links under "
                       "HKEY_CURRENT_USER\\Software\\Classes\\marloven."};
    }
    return {true, "marloven: links now open " + program.string() + "."};
}

} // namespace marloven
