// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "comm/registry_source.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marloven {

class CfgStore;

// Where Windows 95 keeps its installed modems, and where Windows NT and later do.
inline constexpr std::string_view kWin95ModemPath =
    "System\\CurrentControlSet\\Services\\Class\\Modem\\";
inline constexpr std::string_view kNtModemPath =
    "System\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}\\";

// One row of the modem list: the modem's name and the key it was read from.
struct ModemRow {
    std::string description;
    std::string keyPath;
};

// The installed modems on COM1 to COM8, in the order of their numbered subkeys. The
// Windows 95 branch is read first; when it has no modem subkey at all, the Windows NT
// modem class is read instead.
std::vector<ModemRow> ListInstalledModems(const RegistrySource& source);

// What the picked modem's entries say: the port to select and the init string that
// the suggestion offers.
struct DetectedModem {
    // The ComPort position, 0 to 7 for COM1 to COM8.
    int comPortIndex = 0;
    // The modem's Init value, one blank and its hardware flow-control command, with the
    // first "<cr>" removed.
    std::string suggestedInit;
};

// Reads the picked row's modem; nothing when a value it needs cannot be read (the
// window then shows kDetectFailedMessage). No row picked counts as such a failure.
std::optional<DetectedModem> DetectModem(const RegistrySource& source, const ModemRow* pickedRow);

inline constexpr std::string_view kDetectFailedMessage = "Could not Detect modem properly.";

// The question asked once the modem is read; Yes takes the modem's own init string.
inline constexpr std::string_view kModemSuggestionQuestion =
    "Orvane suggests that you use an init string of ATZ and a port speed of 9600 for best "
    "gameplay.  Although this may work, it may not give you the best possible speed.  We "
    "suggest using the default init for your modem as defined by WIN95 and setting the port "
    "rate to 57600.In most cases, this will produce a better game.  Do you wish to do this?";

// What the answer puts into the modem page: the Init text and the BaudRate entry.
struct ModemChoice {
    std::string init;
    int baudRateIndex = 0;
    std::string baudRate;
};
ModemChoice ChooseModemSettings(const DetectedModem& modem, bool acceptSuggestion);

// Stores the modem page's Init, BaudRate and ComPort as the detection leaves them.
void StoreModemSettings(CfgStore& store, std::string_view initText, std::string_view baudRateText,
                        int comPortIndex);

} // namespace marloven
