// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/registry_source.h"

#include "core/text.h"

namespace marloven {

namespace {

std::string KeyName(std::string_view path) {
    while (!path.empty() && path.back() == '\\') {
        path.remove_suffix(1);
    }
    return UpperAscii(path);
}

class MemoryRegistryKey : public RegistryKey {
  public:
    explicit MemoryRegistryKey(std::map<std::string, std::string> values)
        : values_(std::move(values)) {}

    std::optional<std::string> ReadText(std::string_view valueName) const override {
        const auto found = values_.find(UpperAscii(valueName));
        if (found == values_.end() || found->second.size() >= kRegistryTextBufferSize) {
            return std::nullopt;
        }
        return found->second;
    }

  private:
    std::map<std::string, std::string> values_;
};

} // namespace

void MemoryRegistrySource::AddKey(std::string_view path) {
    const auto name = KeyName(path);
    for (auto end = name.find('\\'); end != std::string::npos; end = name.find('\\', end + 1)) {
        keys_[name.substr(0, end)];
    }
    keys_[name];
}

void MemoryRegistrySource::SetText(std::string_view path, std::string_view valueName,
                                   std::string_view text) {
    AddKey(path);
    keys_[KeyName(path)][UpperAscii(valueName)] = std::string(text);
}

std::unique_ptr<RegistryKey> MemoryRegistrySource::OpenKey(std::string_view path) const {
    const auto found = keys_.find(KeyName(path));
    if (found == keys_.end()) {
        return nullptr;
    }
    return std::make_unique<MemoryRegistryKey>(found->second);
}

} // namespace marloven
