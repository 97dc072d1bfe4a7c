// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/dosbox_start.h"

#include <algorithm>

namespace marloven {

namespace {

// The DOS command tail (the blank before the switches included) fits 126 characters.
constexpr std::size_t kMaxCommandTail = 126;

// DOSBox runs [autoexec] as a batch file, where "%%" stands for one "%".
std::string BatchText(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        escaped += c;
        if (c == '%') {
            escaped += '%';
        }
    }
    return escaped;
}

bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

// DOSBox's batch reader drops control bytes, so "ctl\x01x" would mount "ctlx", another
// folder. The first one in the text, if any.
std::optional<unsigned char> ControlByte(const std::string& text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || byte == 127) {
            return byte;
        }
    }
    return std::nullopt;
}

} // namespace

DosboxStart MakeDosboxStart(std::string gameDirectory, std::string program, std::string switches,
                            bool fullScreen) {
    DosboxStart start{std::move(gameDirectory), std::move(program), std::move(switches), {}, {}};
    start.settings.push_back({"sdl", "fullscreen", fullScreen ? "true" : "false"});
    if (fullScreen) {
        // Scaled to the whole screen; the plain surface would leave a small picture
        // in the middle.
        start.settings.push_back({"sdl", "fullresolution", "desktop"});
        start.settings.push_back({"sdl", "output", "opengl"});
    } else {
        start.settings.push_back({"sdl", "output", "surface"});
    }
    return start;
}

std::string DosCommandLine(const DosboxStart& start) {
    return start.switches.empty() ? start.program : start.program + ' ' + start.switches;
}

std::optional<std::string> DosboxRefusal(const DosboxStart& start) {
    if (start.switches.find_first_of("<>|") != std::string::npos) {
        return "DOSBox would take <, > or | in the switches \"" + start.switches +
               "\" as a redirection, so " + start.program + " cannot be started with them.";
    }
    if (HasLineBreak(start.switches)) {
        return "The switches for " + start.program +
               " hold a line break, which would end the DOS command line early.";
    }
    if (start.switches.size() + 1 > kMaxCommandTail) {
        return "The switches for " + start.program + " are longer than the " +
               std::to_string(kMaxCommandTail) +
               " characters a DOS command line holds: " + start.switches;
    }
    if (start.gameDirectory.find('"') != std::string::npos || HasLineBreak(start.gameDirectory)) {
        return "DOSBox cannot use the game directory " + start.gameDirectory +
               " because its path holds a double quote or a line break. Move the game to a "
               "directory without one.";
    }
    if (const auto byte = ControlByte(start.gameDirectory)) {
        // The path itself would carry the byte into the message; it is named instead.
        return "DOSBox cannot use the game directory because its path holds a control "
               "character (code " +
               std::to_string(*byte) +
               "), which DOSBox would drop. Move the game to a "
               "directory whose name has none.";
    }
    return std::nullopt;
}

std::string DosboxConfiguration(const DosboxStart& start) {
    std::string text = "# Written by Marloven for one start of " + start.program + ".\n";
    std::vector<std::string> sections;
    for (const DosboxSetting& setting : start.settings) {
        if (std::find(sections.begin(), sections.end(), setting.section) == sections.end()) {
            sections.push_back(setting.section);
        }
    }
    for (const std::string& section : sections) {
        text += "\n[" + section + "]\n";
        for (const DosboxSetting& setting : start.settings) {
            if (setting.section == section) {
                text += setting.key + '=' + setting.value + '\n';
            }
        }
    }
    text += "\n[autoexec]\n";
    // The launcher's own lines are not the player's to read on DOSBox's screen.
    text += "@echo off\n";
    for (const std::string& command : start.playersCommands) {
        text += command + '\n';
    }
    text += "mount C \"" + BatchText(start.gameDirectory) + "\"\n";
    text += "C:\n";
    for (const std::string& command : start.commandsBeforeProgram) {
        text += command + '\n';
    }
    text += BatchText(DosCommandLine(start)) + '\n';
    text += "exit\n";
    return text;
}

std::vector<std::string> DosboxArguments(const std::string& configurationFile,
                                         const std::string& playersConfigurationFile) {
    std::vector<std::string> arguments{"-conf", configurationFile};
    if (!playersConfigurationFile.empty()) {
        arguments.insert(arguments.end(), {"-conf", playersConfigurationFile});
    }
    return arguments;
}

StartRoute ChooseStartRoute(ProgramKind kind, DosboxUse use, bool systemRunsDosPrograms) {
    switch (kind) {
    case ProgramKind::Native:
    case ProgramKind::Windows:
        return StartRoute::Direct;
    case ProgramKind::Windows16:
        // A system that runs DOS programs runs these too; DOSBox runs neither.
        return systemRunsDosPrograms ? StartRoute::Direct : StartRoute::Refused;
    case ProgramKind::Dos:
        break;
    }
    switch (use) {
    case DosboxUse::Always:
        return StartRoute::Dosbox;
    case DosboxUse::Never:
        return StartRoute::Direct;
    case DosboxUse::Automatic:
        break;
    }
    return systemRunsDosPrograms ? StartRoute::Direct : StartRoute::Dosbox;
}

std::string Windows16RefusalMessage(const std::string& program) {
    return program + " is a program for 16-bit Windows, which this system cannot start.";
}

std::string DescribePlannedStart(const PlannedStart& start) {
    std::string text;
    if (start.throughDosbox) {
        text += "DOS command line: " + start.gameCommandLine + "\n";
        text += "Host command: " + start.hostCommand + "\n";
        if (!start.link.empty()) {
            text += "Link: " + start.link + "\n";
        }
    } else {
        text += "Command line: " + start.hostCommand + "\n";
        text += "Started directly, without DOSBox.\n";
    }
    if (start.refusal) {
        text += "Not started: " + *start.refusal + "\n";
    }
    if (start.throughDosbox) {
        text += std::string("\nConfiguration (") + kDosboxConfigurationName +
                ", written afresh for each start):\n" + start.configuration;
    }
    return text;
}

} // namespace marloven
