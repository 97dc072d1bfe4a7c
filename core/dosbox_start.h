// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/dosbox_settings.h"
#include "core/program_kind.h"

#include <optional>
#include <string>
#include <vector>

namespace marloven {

// One line of a DOSBox configuration: "[section]" then "key=value".
struct DosboxSetting {
    std::string section;
    std::string key;
    std::string value;
};

// A start of a DOS program inside DOSBox, as a value: the game directory mounted as
// C:, the program and its switches exactly as the launcher composed them, and what
// else DOSBox is told. Settings and commands are lists, so a start that needs a link
// ([serial], [ipx], "ipxnet connect ...") adds to them and nothing else changes.
struct DosboxStart {
    std::string gameDirectory; // the host's path
    std::string program;       // the DOS name, e.g. "VK.EXE"
    std::string switches;      // e.g. "-nopred"; empty for none
    std::vector<DosboxSetting> settings;
    std::vector<std::string> commandsBeforeProgram;
    // The [autoexec] lines of the player's own configuration, which run first: DOSBox
    // would run them only after ours, which leave it.
    std::vector<std::string> playersCommands = {};
};

// The screen settings of a start: full screen or a window.
DosboxStart MakeDosboxStart(std::string gameDirectory, std::string program, std::string switches,
                            bool fullScreen);

// The DOS command line as the game receives it: "VK.EXE -nopred".
std::string DosCommandLine(const DosboxStart& start);

// Why the start cannot pass to DOSBox unchanged, in the player's words; nothing when it
// can. The DOS command tail holds 126 characters at most, DOSBox's shell takes <, >
// and | as redirection, and a path with a double quote, a line break or any other
// control byte (below 32, or 127) cannot be mounted as it is.
std::optional<std::string> DosboxRefusal(const DosboxStart& start);

// The configuration file: each section with its settings, then [autoexec] mounting
// the game directory, changing to it, running the program and leaving DOSBox.
std::string DosboxConfiguration(const DosboxStart& start);

// DOSBox's arguments: our configuration, then the player's own file (when set), whose
// settings are read later and so win.
std::vector<std::string> DosboxArguments(const std::string& configurationFile,
                                         const std::string& playersConfigurationFile);

// The start a command will make, as shown to the player before it runs.
struct PlannedStart {
    bool throughDosbox = false;
    std::string gameCommandLine; // the program and switches as the game receives them
    std::string hostCommand;     // what the system starts (DOSBox and its arguments)
    std::string configuration;   // the configuration DOSBox is given; empty when direct
    std::string link;            // how the launcher carries a comm-driver start's link
    std::optional<std::string> refusal;
};

// The name our configuration file has in the fresh directory of each start.
inline constexpr const char* kDosboxConfigurationName = "marloven.conf";

// The start in the player's words: the DOS command line, the host command and the
// configuration, or why it would not be made.
std::string DescribePlannedStart(const PlannedStart& start);

// How a program of this kind starts: by the system itself, through DOSBox, or not at all.
enum class StartRoute {
    Direct,
    Dosbox,
    Refused, // a 16-bit Windows program where the system cannot run one
};
StartRoute ChooseStartRoute(ProgramKind kind, DosboxUse use, bool systemRunsDosPrograms);

// What the player is told for a refused 16-bit Windows program, and when no DOSBox is
// there to start or it would not start.
std::string Windows16RefusalMessage(const std::string& program);
inline constexpr const char* kDosboxNotFoundMessage =
    "DOSBox was not found. Install it (Debian: apt install dosbox) or choose it in "
    "Options > DOSBox.";

} // namespace marloven
