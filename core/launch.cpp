// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/launch.h"

#include <filesystem>

namespace marloven {

std::string JoinPathWith(char separator, std::string_view directory, std::string_view fileName) {
    if (directory.empty()) {
        return std::string(fileName);
    }
    if (directory.back() == separator) {
        directory.remove_suffix(1);
    }
    std::string path(directory);
    path += separator;
    path += fileName;
    return path;
}

std::string JoinPath(std::string_view directory, std::string_view fileName) {
    return JoinPathWith(static_cast<char>(std::filesystem::path::preferred_separator), directory,
                        fileName);
}

std::string AppendArg(std::string_view line, std::string_view switchText) {
    std::string result(line);
    if (!result.empty()) {
        result += ' ';
    }
    result += switchText;
    return result;
}

std::string ComposeSwitches(LaunchMode mode, const GameOptions& options) {
    std::string line;
    if (options.netPred) {
        line = AppendArg(line, "-nopred");
    }
    if (options.recordDemo) {
        line = AppendArg(line, "-dr$$MRV$$.DMO");
        // The starting level and skill only make sense for a game played alone.
        if (mode == LaunchMode::SinglePlayer) {
            line = AppendArg(line, "-level" + std::to_string(options.levelPosition + 1));
            line = AppendArg(line, "-s" + std::to_string(options.skillPosition + 1));
        }
    }
    // The driver takes the list position (1 to 3), not the ticdup value itself.
    const bool passesTicDup = mode != LaunchMode::SinglePlayer && mode != LaunchMode::Dial;
    if (passesTicDup && options.ticDupPosition > 0) {
        line = AppendArg(line, "-f" + std::to_string(options.ticDupPosition));
    }
    return line;
}

std::string CommandLineText(std::string_view path, std::string_view arguments) {
    std::string line(path);
    line += ' ';
    line += arguments;
    return line;
}

std::string QuotedCommandLine(std::string_view path, std::string_view arguments) {
    // Without quotes, a path such as C:\Program Files\VK.EXE would make the system
    // try C:\Program.exe first: another program could be started in the game's place.
    if (path.find(' ') == std::string_view::npos) {
        return CommandLineText(path, arguments);
    }
    return CommandLineText("\"" + std::string(path) + "\"", arguments);
}

namespace {

std::string WindowsArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) {
        return argument;
    }
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes count only before a quote: there each stands for half of them.
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + '"';
}

} // namespace

std::string WindowsArgumentLine(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& argument : arguments) {
        line = AppendArg(line, WindowsArgument(argument));
    }
    return line;
}

} // namespace marloven
