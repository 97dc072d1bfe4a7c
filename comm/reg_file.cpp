// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/reg_file.h"

#include "core/file_io.h"
#include "core/text.h"

namespace marloven {

namespace {

constexpr std::string_view kUtf16Bom = "\xFF\xFE";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kLocalMachine = "HKEY_LOCAL_MACHINE";

// UTF-16LE as 8-bit text, the way an ANSI program reads it: Latin-1 characters keep
// their byte, anything else (a surrogate pair counting once) becomes "?".
std::string NarrowUtf16(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned unit =
            static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (unit >= 0xDC00 && unit < 0xE000) {
            continue;
        }
        text += unit < 0x100 ? static_cast<char>(unit) : '?';
    }
    return text;
}

std::string DecodeText(std::string_view bytes) {
    if (bytes.starts_with(kUtf16Bom)) {
        return NarrowUtf16(bytes.substr(kUtf16Bom.size()));
    }
    if (bytes.starts_with(kUtf8Bom)) {
        bytes.remove_prefix(kUtf8Bom.size());
    }
    return std::string(bytes);
}

std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A double-quoted text at the start of rest, with "\\" and "\"" unescaped; rest then
// starts after the closing quote. Nothing when the quote is not closed.
std::optional<std::string> ReadQuoted(std::string_view& rest) {
    std::string text;
    for (std::size_t i = 1; i < rest.size(); ++i) {
        const char c = rest[i];
        if (c == '"') {
            rest.remove_prefix(i + 1);
            return text;
        }
        if (c == '\\' && i + 1 < rest.size() && (rest[i + 1] == '\\' || rest[i + 1] == '"')) {
            ++i;
        }
        text += rest[i];
    }
    return std::nullopt;
}

// The path below HKEY_LOCAL_MACHINE of a "[...]" line; nothing for another root, a
// deletion or a line that is no key.
std::optional<std::string> KeyPathOf(std::string_view line) {
    const auto close = line.rfind(']');
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    const auto name = line.substr(1, close - 1);
    if (UpperAscii(name.substr(0, kLocalMachine.size())) != kLocalMachine ||
        name.substr(kLocalMachine.size(), 1) != "\\") {
        return std::nullopt;
    }
    return std::string(name.substr(kLocalMachine.size() + 1));
}

class RegParser {
  public:
    explicit RegParser(MemoryRegistrySource& source) : source_(source) {}

    void Line(std::string_view rawLine) {
        const auto line = TrimBlanks(rawLine);
        if (inContinuation_) {
            inContinuation_ = line.ends_with('\\');
            return;
        }
        if (line.starts_with('[')) {
            key_ = KeyPathOf(line);
            if (key_) {
                source_.AddKey(*key_);
            }
        } else if (line.starts_with('"') || line.starts_with('@')) {
            Value(line);
        }
    }

  private:
    // A value line: "name"="text" or @="text" is kept; dword:, hex...: and other data is
    // read past, with its continuation lines.
    void Value(std::string_view rest) {
        std::optional<std::string> name;
        if (rest.starts_with('@')) {
            name.emplace();
            rest.remove_prefix(1);
        } else {
            name = ReadQuoted(rest);
        }
        rest = TrimBlanks(rest);
        if (!name || !rest.starts_with('=')) {
            return;
        }
        rest = TrimBlanks(rest.substr(1));
        if (!rest.starts_with('"')) {
            inContinuation_ = rest.ends_with('\\');
            return;
        }
        if (const auto text = ReadQuoted(rest); text && key_) {
            source_.SetText(*key_, *name, *text);
        }
    }

    MemoryRegistrySource& source_;
    std::optional<std::string> key_;
    bool inContinuation_ = false;
};

} // namespace

MemoryRegistrySource ParseRegFile(std::string_view bytes) {
    MemoryRegistrySource source;
    RegParser parser(source);
    for (const auto& line : SplitLines(DecodeText(bytes)).lines) {
        parser.Line(line);
    }
    return source;
}

MemoryRegistrySource LoadRegFile(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        return MemoryRegistrySource();
    }
    // Capped as the game's own text files are: a stray export of gigabytes would be
    // read whole, at three times its size, while the window stood still.
    return ParseRegFile(ReadGameTextFile(path));
}

std::optional<std::filesystem::path> ChooseRegFile(const std::string& regFileOption,
                                                   const std::filesystem::path& gameDir) {
    if (!regFileOption.empty()) {
        return std::filesystem::path(regFileOption);
    }
    const auto standing = gameDir / kModemRegFileName;
    std::error_code ignored;
    if (std::filesystem::is_regular_file(standing, ignored)) {
        return standing;
    }
    return std::nullopt;
}

} // namespace marloven
