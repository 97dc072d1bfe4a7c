// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <filesystem>
#include <string>
#include <string_view>

namespace marloven {

// Text crosses between Qt and the rest of the launcher in three ways, one per kind of
// text. Use the one that fits what the text is, not where it happens to come from.

// Game text, that is everything read from or written to the game's files (VK.CFG
// values, macros, phonebook entries, COMMIT.DAT): 8-bit bytes as in the files, each
// byte one character on screen and back, so untouched bytes survive a round trip.
QString FromBytes(std::string_view bytes);
std::string ToBytes(const QString& text);

// File and directory names: through UTF-16, which both QString and
// std::filesystem::path hold losslessly on every system.
QString QStringFromPath(const std::filesystem::path& path);
std::filesystem::path PathFromQString(const QString& text);
// A path the standard library spelled in 8 bits (path::string()), read back as the same
// path: MinGW's library writes UTF-8 there but would read the text in another code page.
std::filesystem::path PathFromNarrow(const std::string& text);

// Messages made by the system or the standard library (error descriptions, program
// names and command lines as the player reads them), and the command line the launcher
// was started with: the system's local 8-bit encoding, in which they are written. The
// platform layer hands paths that the core keeps as narrow strings to Qt the same way.
QString MessageText(std::string_view message);
// And back: what the player typed or picked that the core keeps as a narrow string (a
// DOSBox path, a host address), and messages for the terminal.
std::string NarrowText(const QString& text);

} // namespace marloven
