// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace marloven {

class CfgStore;

// The VK.CFG keys behind the main window's controls, in the form the launcher
// writes them.
namespace cfg_key {
inline constexpr const char* kPlayerName = "PlayerName";
inline constexpr const char* kNetColor = "NetColor";
inline constexpr const char* kComPort = "ComPort";
inline constexpr const char* kUartAddress = "UartAddress";
inline constexpr const char* kIrqNumber = "IrqNumber";
inline constexpr const char* kPortSpeed = "PortSpeed";
inline constexpr const char* kToneDial = "ToneDial";
inline constexpr const char* kInitString = "InitString";
inline constexpr const char* kHangupString = "HangupString";
inline constexpr const char* kDialOutString = "DialOutString";
inline constexpr const char* kTicDup = "TicDup";
inline constexpr const char* kUsePred = "UsePred";
inline constexpr const char* kUserMap = "UserMap";
inline constexpr const char* kSetMouse = "SetMouse";
inline constexpr const char* kSmHorz = "SM_Horz";
inline constexpr const char* kSmVert = "SM_Vert";
inline constexpr const char* kSocketNumber = "SocketNumber";
} // namespace cfg_key

// What a key reads as when VK.CFG does not have it, and what the controls show before
// the file is read.
namespace cfg_default {
inline constexpr const char* kPlayerName = "Revu";
inline constexpr const char* kNetColor = "0";
inline constexpr const char* kComPort = "3";
inline constexpr const char* kPortSpeed = "57600";
inline constexpr const char* kToneDial = "1";
inline constexpr const char* kInitString = "AT&F1";
inline constexpr const char* kHangupString = "ATH0=0";
inline constexpr const char* kDialOutString = "";
inline constexpr const char* kTicDup = "0";
inline constexpr const char* kSetMouse = "0";
inline constexpr const char* kSmHorz = "50";
inline constexpr const char* kSmVert = "0";
} // namespace cfg_default

// "~" in both the UART and the IRQ key means "take the standard port's values".
inline constexpr const char* kStandardPortMark = "~";
// The COM port list's last item, "User Defined".
inline constexpr int kUserDefinedPortPosition = 8;
inline constexpr int kMacroCount = 10;

// What loading a stored value does to one of the main window's lists: nothing means
// the list is left as it is, -1 means no item is selected, otherwise the position.
using ListChoice = std::optional<int>;

// A decimal whole number, with blanks allowed around it and an optional sign.
// Anything else (empty, letters, a fraction, too large for an int) gives nothing.
std::optional<int> ParseWholeNumber(std::string_view text);

// The list positions that stored values select. A value that is no whole number
// leaves its list alone, since there is no sound place to put it.
ListChoice ColorChoice(std::string_view stored);    // 0 to 7, else none selected
ListChoice ComPortChoice(std::string_view stored);  // 1 to 9 at position 0 to 8
ListChoice BaudRateChoice(std::string_view stored); // one of the five speeds only
ListChoice TicDupChoice(std::string_view stored);   // 0, 2, 4 or 8 only

// The stored ComPort value for a list position: "1" for COM1 ... "9" for "User Defined".
std::string ComPortValue(int position);

// A port is user defined as soon as either of its two values is not the standard mark.
bool IsUserDefinedPort(std::string_view uart, std::string_view irq);

// Everything the main window shows from the store, read in one go so that filling
// the controls writes nothing back.
struct MainSettings {
    std::string playerName;
    ListChoice color;
    ListChoice comPort;
    std::string irq;
    std::string uart;
    ListChoice baudRate;
    bool setMouse = false;
    std::string smHorz;
    std::string smVert;
    bool toneDial = true;
    std::string init;
    std::string hangup;
    std::string dialOut;
    ListChoice ticDup;
    // Set when the stored UART or IRQ asks for "User Defined": the COM port list then
    // shows it and the UART and IRQ boxes are enabled, whatever ComPort holds.
    bool userDefinedPort = false;
};

MainSettings ReadMainSettings(const CfgStore& store);

// The ten macro texts in number order; a missing key reads as the empty text.
std::array<std::string, kMacroCount> ReadMacros(const CfgStore& store);

// "Macro 0" to "Macro 9": the first column of the macro list.
std::string MacroCaption(int number);

// "CommbatMacro#0" to "CommbatMacro#9": the key a macro is written under.
std::string MacroKey(int number);

// Writes a macro's text into the store, quoted, and returns the text as stored (each
// line break one blank, as the store keeps every value on its own line).
std::string StoreMacro(CfgStore& store, int number, std::string_view text);

// How a chosen map file is written into the UserMap key: relative to the game
// directory when the file lies inside it (the game runs there), else the full path.
std::string MapPathFor(const std::filesystem::path& gameDir, const std::filesystem::path& chosen);

} // namespace marloven
