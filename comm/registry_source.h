// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace marloven {

// Values are read into a buffer of this many bytes; a text that does not fit with its
// terminating zero counts as a failed read.
inline constexpr std::size_t kRegistryTextBufferSize = 127;

// One open key of a registry source; closed when destroyed.
class RegistryKey {
  public:
    virtual ~RegistryKey() = default;
    // The text of the named value; nothing when it is missing, holds no text, or is
    // too long for the buffer.
    virtual std::optional<std::string> ReadText(std::string_view valueName) const = 0;
};

// Read-only access to keys below HKEY_LOCAL_MACHINE, named by their path with
// backslashes ("System\CurrentControlSet\..."). Names match without regard to case.
class RegistrySource {
  public:
    virtual ~RegistrySource() = default;
    // The key at the path, or nothing when it does not exist or may not be read.
    virtual std::unique_ptr<RegistryKey> OpenKey(std::string_view path) const = 0;
};

// Keys and values held in memory: the contents of a .reg file, or a test's registry.
class MemoryRegistrySource : public RegistrySource {
  public:
    // Adds the key and the keys above it, as the registry always has them.
    void AddKey(std::string_view path);
    // Adds the key when needed and sets one of its text values.
    void SetText(std::string_view path, std::string_view valueName, std::string_view text);

    std::unique_ptr<RegistryKey> OpenKey(std::string_view path) const override;

  private:
    // Values by upper-cased name, in keys by upper-cased path without a trailing
    // backslash.
    using Values = std::map<std::string, std::string>;
    std::map<std::string, Values> keys_;
};

} // namespace marloven
