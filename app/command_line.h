// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <variant>

namespace marloven {

// What the launcher was asked to do on its command line.
struct LauncherOptions {
    // Where the game lives; the current directory when not given.
    std::optional<QString> gameDirectory;
    // Answers for an unattended run ("yes,no,..."); unset for a run with a person.
    std::optional<QString> answers;
    // The registry export that lists the modems, made absolute; empty when not given.
    QString modemsFile;
    // The start whose command line is to be printed instead of opening the window.
    std::optional<QString> printCommand;
    // A marloven: link given in place of the game directory, as a click hands it on.
    std::optional<QString> invitation;
};

// Prints the help or the version and ends the program when either is asked for.
// Runs on the bare arguments, before the window system is opened, so that both work
// on a machine without a display.
void AnswerHelpOrVersion(int& argc, char** argv);

// Whether the command line asks for --print-command, which needs no window system.
bool AsksToPrintCommand(int argc, char** argv);
// Whether it asks for --register-links, which needs none either.
bool AsksToRegisterLinks(int argc, char** argv);

// The options, or the exit code when the run ends here because the command line is
// wrong (the reason is printed). Takes the arguments Qt has left once it has taken its
// own (-style, -platform and the like).
std::variant<LauncherOptions, int> ParseLauncherOptions(const QStringList& arguments);

} // namespace marloven
