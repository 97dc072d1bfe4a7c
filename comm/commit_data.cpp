// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/commit_data.h"

#include "comm/link_address.h"
#include "core/text.h"

namespace marloven {

namespace {

// The socket the driver uses when the player leaves the network dialog's "~" standing.
constexpr const char* kDefaultSocket = "34889";

void SetNetworkKeys(CommitLines& lines, const CommitSettings& settings) {
    SetCommitKey(lines, "COMMTYPE", "3", false);
    SetCommitKey(lines, "NUMPLAYERS", settings.value, false);
    SetCommitKey(lines, kSocketNumberKey, settings.socket == "~" ? kDefaultSocket : settings.socket,
                 false);
}

void SetModemKeys(CommitLines& lines, const CommitSettings& settings) {
    const int connectType = ConnectionMode(settings.mode) - 1;
    SetCommitKey(lines, "COMMTYPE", "2", false);
    SetCommitKey(lines, "CONNECTTYPE", std::to_string(connectType), false);
    SetCommitKey(lines, "NUMPLAYERS", "2", false);
    const std::string number = settings.launcherDialPort != 0
                                   ? LauncherDialNumber(settings.launcherDialPort)
                                   : settings.value;
    SetCommitKey(lines, "PHONENUMBER", settings.dialOut + number, true);
    SetCommitKey(lines, "INITSTRING", settings.init, true);
    SetCommitKey(lines, "HANGUPSTRING", settings.hangup, true);
    SetCommitKey(lines, "USETONE", settings.useTone ? "1" : "0", false);
    SetCommitKey(lines, "COMPORT", std::to_string(settings.comPortIndex + 1), false);
    SetCommitKey(lines, "IRQNUMBER", settings.irq, false);
    SetCommitKey(lines, "UARTADDRESS", settings.uart, false);
    SetCommitKey(lines, "PORTSPEED", settings.baudRate, false);
}

} // namespace

const std::vector<std::string>& DefaultCommitLines() {
    static const std::vector<std::string> kLines = {
        "[Commit]",
        ";COMMIT data file",
        ";",
        ";This data file defines the configurable options of COMMIT.  Presumably,",
        ";the user never sees this file, but rather it is setup by another",
        ";program which launches COMMIT.",
        ";",
        ";",
        ";COMMTYPE",
        "; - SERIAL - 1",
        "; - MODEM - 2",
        "; - NETWORK - 3",
        ";",
        "; NUMPLAYERS",
        "; - 0..MAXPLAYERS",
        ";",
        "; VECTOR",
        "; - ~ find an empty one",
        "; - 0x60..0x69 specify one",
        ";",
        "; CONNECTTYPE",
        "; - DIALMODE - 0",
        "; - ANSWERMODE - 1",
        "; - ALREADYCONNECTED - 2",
        ";",
        "COMMTYPE = 3",
        "NUMPLAYERS = 2",
        "PAUSE = 0",
        "VECTOR = ~",
        "SOCKETNUMBER = 34889",
        "INITSTRING = \"ATZ\"",
        "HANGUPSTRING = \"ATH0=0\"",
        "PHONENUMBER = \"\"",
        "LAUNCHNAME = \"VK.EXE\"",
        "CONNECTTYPE = 0",
        "USETONE = 1",
        "COMPORT = 2",
        "IRQNUMBER = ~",
        "UARTADDRESS = ~",
        "PORTSPEED = 14400",
        "SHOWSTATS = 0",
    };
    return kLines;
}

std::string DefaultCommitText() {
    const auto& lines = DefaultCommitLines();
    return JoinLines({lines.begin(), lines.end()}, true);
}

void SetCommitKey(CommitLines& lines, std::string_view name, std::string_view value, bool quoted) {
    lines.Set(name, DriverLine(value), quoted);
}

std::string ComposeCommitData(const std::optional<std::string>& fileText,
                              const CommitSettings& settings) {
    CommitLines lines(fileText ? *fileText : DefaultCommitText());
    if (settings.mode == LaunchMode::Network) {
        SetNetworkKeys(lines, settings);
    } else {
        SetModemKeys(lines, settings);
    }
    return lines.WrittenForm();
}

} // namespace marloven
