// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings.h"

#include "core/cfg_store.h"
#include "core/text.h"

#include <charconv>

namespace marloven {

namespace {

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

ListChoice PositionInRange(std::string_view stored, int first, int last, int offset) {
    const auto number = ParseWholeNumber(stored);
    if (!number) {
        return std::nullopt;
    }
    if (*number < first || *number > last) {
        return -1;
    }
    return *number - offset;
}

// Only the listed numbers select an item; every other value leaves the list alone.
template <std::size_t N>
ListChoice PositionOfListedNumber(std::string_view stored, const std::array<int, N>& numbers) {
    const auto number = ParseWholeNumber(stored);
    if (!number) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < N; ++i) {
        if (numbers[i] == *number) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

// Links resolved, so a game directory reached through a link still contains its files.
std::filesystem::path Resolved(const std::filesystem::path& path) {
    std::error_code error;
    auto resolved = std::filesystem::weakly_canonical(path, error);
    return error ? path.lexically_normal() : resolved;
}

} // namespace

std::optional<int> ParseWholeNumber(std::string_view text) {
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') {
            return std::nullopt;
        }
    }
    int value = 0;
    const auto* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

ListChoice ColorChoice(std::string_view stored) {
    return PositionInRange(stored, 0, 7, 0);
}

ListChoice ComPortChoice(std::string_view stored) {
    return PositionInRange(stored, 1, 9, 1);
}

ListChoice BaudRateChoice(std::string_view stored) {
    return PositionOfListedNumber(stored, std::array{9600, 19200, 38400, 57600, 115200});
}

ListChoice TicDupChoice(std::string_view stored) {
    return PositionOfListedNumber(stored, std::array{0, 2, 4, 8});
}

std::string ComPortValue(int position) {
    return std::to_string(position + 1);
}

bool IsUserDefinedPort(std::string_view uart, std::string_view irq) {
    return uart != kStandardPortMark || irq != kStandardPortMark;
}

MainSettings ReadMainSettings(const CfgStore& store) {
    MainSettings s;
    s.playerName = store.CfgGetDefault(cfg_key::kPlayerName, cfg_default::kPlayerName);
    s.color = ColorChoice(store.CfgGetDefault(cfg_key::kNetColor, cfg_default::kNetColor));
    s.comPort = ComPortChoice(store.CfgGetDefault(cfg_key::kComPort, cfg_default::kComPort));
    s.irq = store.CfgGetDefault(cfg_key::kIrqNumber, kStandardPortMark);
    s.uart = store.CfgGetDefault(cfg_key::kUartAddress, kStandardPortMark);
    s.baudRate = BaudRateChoice(store.CfgGetDefault(cfg_key::kPortSpeed, cfg_default::kPortSpeed));
    s.setMouse = store.CfgGetDefault(cfg_key::kSetMouse, cfg_default::kSetMouse) == "1";
    s.smHorz = store.CfgGetDefault(cfg_key::kSmHorz, cfg_default::kSmHorz);
    s.smVert = store.CfgGetDefault(cfg_key::kSmVert, cfg_default::kSmVert);
    s.toneDial = store.CfgGetDefault(cfg_key::kToneDial, cfg_default::kToneDial) == "1";
    s.init = store.CfgGetDefault(cfg_key::kInitString, cfg_default::kInitString);
    s.hangup = store.CfgGetDefault(cfg_key::kHangupString, cfg_default::kHangupString);
    s.dialOut = store.CfgGetDefault(cfg_key::kDialOutString, cfg_default::kDialOutString);
    s.ticDup = TicDupChoice(store.CfgGetDefault(cfg_key::kTicDup, cfg_default::kTicDup));
    s.userDefinedPort = IsUserDefinedPort(s.uart, s.irq);
    if (s.userDefinedPort) {
        s.comPort = kUserDefinedPortPosition;
    }
    return s;
}

std::array<std::string, kMacroCount> ReadMacros(const CfgStore& store) {
    std::array<std::string, kMacroCount> macros;
    for (int n = 0; n < kMacroCount; ++n) {
        macros[static_cast<std::size_t>(n)] = store.CfgGet(MacroKey(n));
    }
    return macros;
}

std::string MacroCaption(int number) {
    return "Macro " + std::to_string(number);
}

std::string MacroKey(int number) {
    return "CommbatMacro#" + std::to_string(number);
}

std::string StoreMacro(CfgStore& store, int number, std::string_view text) {
    store.CfgSet(MacroKey(number), text, true);
    return OneLine(text);
}

std::string MapPathFor(const std::filesystem::path& gameDir, const std::filesystem::path& chosen) {
    const auto dir = Resolved(gameDir);
    const auto file = Resolved(chosen);
    auto inside = file.lexically_relative(dir);
    if (inside.empty() || *inside.begin() == "..") {
        return std::filesystem::path(file).make_preferred().string();
    }
    return inside.make_preferred().string();
}

} // namespace marloven
