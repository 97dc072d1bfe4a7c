// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/modem_detect.h"

#include "core/cfg_store.h"
#include "core/settings.h"

#include <charconv>
#include <initializer_list>

namespace marloven {

namespace {

// When subkey 0000 is missing, the first modem may still sit a little further on.
constexpr int kLastFirstSubkey = 31;

std::string SubkeyPath(std::string_view branch, int number) {
    auto digits = std::to_string(number);
    if (digits.size() < 4) {
        digits.insert(0, 4 - digits.size(), '0');
    }
    return std::string(branch) + digits + '\\';
}

// The list takes "COM" and one port digit 1 to 8; anything else, however odd, is
// passed over so that it cannot hide the modems after it.
bool IsListedPort(std::string_view attachedTo) {
    return attachedTo.size() == 4 && attachedTo.find("COM") != std::string_view::npos &&
           attachedTo[3] >= '1' && attachedTo[3] <= '8';
}

// Adds the modems of one branch to the rows; false when the branch has no subkey.
bool ScanBranch(const RegistrySource& source, std::string_view branch,
                std::vector<ModemRow>& rows) {
    int number = 0;
    auto key = source.OpenKey(SubkeyPath(branch, number));
    while (!key && number < kLastFirstSubkey) {
        key = source.OpenKey(SubkeyPath(branch, ++number));
    }
    if (!key) {
        return false;
    }
    for (; key; key = source.OpenKey(SubkeyPath(branch, ++number))) {
        const auto attachedTo = key->ReadText("AttachedTo");
        if (!attachedTo || !IsListedPort(*attachedTo)) {
            continue;
        }
        if (auto description = key->ReadText("DriverDesc")) {
            rows.push_back({std::move(*description), SubkeyPath(branch, number)});
        }
    }
    return true;
}

// The port number after "COM", when it is one of COM1 to COM8.
std::optional<int> ReadPortNumber(const RegistrySource& source, const std::string& keyPath) {
    const auto key = source.OpenKey(keyPath);
    const auto attachedTo = key ? key->ReadText("AttachedTo") : std::nullopt;
    if (!attachedTo || attachedTo->size() < 4) {
        return std::nullopt;
    }
    int port = 0;
    const char* first = attachedTo->data() + 3;
    const char* last = attachedTo->data() + attachedTo->size();
    const auto [end, error] = std::from_chars(first, last, port);
    if (error != std::errc() || end != last || port < 1 || port > 8) {
        return std::nullopt;
    }
    return port;
}

// The first of the named values that can be read in a subkey of the modem; the empty
// text when the subkey itself cannot be opened, nothing when none of the values reads.
std::optional<std::string> ReadSubkeyValue(const RegistrySource& source,
                                           const std::string& subkeyPath,
                                           std::initializer_list<std::string_view> names) {
    const auto key = source.OpenKey(subkeyPath);
    if (!key) {
        return std::string();
    }
    for (const auto name : names) {
        if (auto text = key->ReadText(name)) {
            return text;
        }
    }
    return std::nullopt;
}

} // namespace

std::vector<ModemRow> ListInstalledModems(const RegistrySource& source) {
    std::vector<ModemRow> rows;
    if (!ScanBranch(source, kWin95ModemPath, rows)) {
        ScanBranch(source, kNtModemPath, rows);
    }
    return rows;
}

std::optional<DetectedModem> DetectModem(const RegistrySource& source, const ModemRow* pickedRow) {
    if (pickedRow == nullptr) {
        return std::nullopt;
    }
    const auto port = ReadPortNumber(source, pickedRow->keyPath);
    const auto init = ReadSubkeyValue(source, pickedRow->keyPath + "Init", {"2", "1"});
    const auto flowControl =
        ReadSubkeyValue(source, pickedRow->keyPath + "Settings", {"FlowControl_Hard"});
    if (!port || !init || !flowControl) {
        return std::nullopt;
    }
    auto suggestedInit = *init + ' ' + *flowControl;
    if (const auto cr = suggestedInit.find("<cr>"); cr != std::string::npos) {
        suggestedInit.erase(cr, 4);
    }
    return DetectedModem{*port - 1, std::move(suggestedInit)};
}

ModemChoice ChooseModemSettings(const DetectedModem& modem, bool acceptSuggestion) {
    if (acceptSuggestion) {
        return {modem.suggestedInit, 3, "57600"};
    }
    return {"ATZ", 0, "9600"};
}

void StoreModemSettings(CfgStore& store, std::string_view initText, std::string_view baudRateText,
                        int comPortIndex) {
    store.CfgSet(cfg_key::kInitString, initText, true);
    store.CfgSet(cfg_key::kPortSpeed, baudRateText, false);
    store.CfgSet(cfg_key::kComPort, ComPortValue(comPortIndex), false);
}

} // namespace marloven
