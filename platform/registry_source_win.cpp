// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/registry_source.h"

#include "comm/reg_file.h"

#include <windows.h>

namespace marloven {

namespace {

class WindowsRegistryKey : public RegistryKey {
  public:
    explicit WindowsRegistryKey(HKEY key) : key_(key) {}
    ~WindowsRegistryKey() override { RegCloseKey(key_); }
    WindowsRegistryKey(const WindowsRegistryKey&) = delete;
    WindowsRegistryKey& operator=(const WindowsRegistryKey&) = delete;

    std::optional<std::string> ReadText(std::string_view valueName) const override {
        char buffer[kRegistryTextBufferSize];
        DWORD size = sizeof buffer;
        DWORD type = 0;
        const std::string name(valueName);
        if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                             &size) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ)) {
            return std::nullopt;
        }
        // A stored text need not end in a zero; one that fills the buffer has no room
        // left for it.
        const std::string_view text(buffer, size);
        const auto zero = text.find('\0');
        if (zero == std::string_view::npos && size >= sizeof buffer) {
            return std::nullopt;
        }
        return std::string(text.substr(0, zero));
    }

  private:
    HKEY key_;
};

// The registry under HKEY_LOCAL_MACHINE, opened for reading only.
class WindowsRegistrySource : public RegistrySource {
  public:
    std::unique_ptr<RegistryKey> OpenKey(std::string_view path) const override {
        while (!path.empty() && path.back() == '\\') {
            path.remove_suffix(1);
        }
        const std::string subkey(path);
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
            return nullptr;
        }
        return std::make_unique<WindowsRegistryKey>(key);
    }
};

} // namespace

std::unique_ptr<RegistrySource> MakeSystemRegistrySource(const std::string& regFileOption,
                                                         const std::filesystem::path&) {
    if (!regFileOption.empty()) {
        return std::make_unique<MemoryRegistrySource>(LoadRegFile(regFileOption));
    }
    return std::make_unique<WindowsRegistrySource>();
}

} // namespace marloven
