// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line.h"

#include "comm/invitation.h"
#include "core/named_start.h"
#include "qt_text/text_conversions.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QUrl>
#include <cstdio>

namespace marloven {

namespace {

const QCommandLineOption kModemsOption(
    "modems",
    "Read the installed modems for \"Detect Modem\" from <file>, a registry export "
    "(.reg); without it Marloven reads the Windows registry, or elsewhere MODEMS.REG in "
    "the game directory.",
    "file");
const QCommandLineOption kAnswersOption(
    "answers",
    "For unattended runs such as tests: answer the launcher's questions in turn from "
    "<list> (for example no or yes,no; a folder question takes a folder from the list) "
    "without showing them, print its messages to standard error, and close the main "
    "window as soon as it is shown.",
    "list");

const QCommandLineOption kPrintCommandOption(
    "print-command",
    MessageText(
        "Print what the named <start> would run with the game directory's VK.CFG as stored: "
        "the DOS command line, the host command and DOSBox's configuration; then exit. The "
        "starts are " +
        marloven::StartNameList() + "."),
    "start");

const QCommandLineOption kRegisterLinksOption(
    "register-links",
    "Make marloven: links (the invitations players send each other) open this Marloven, "
    "for this user; then exit. Needed on Windows only: elsewhere the desktop entry "
    "installed with Marloven does it.");

// Every option the launcher knows; a new option is added here and read in
// ParseLauncherOptions.
void DefineOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        "Starts the Marloven launcher for Velkaran in the game directory, where VK.CFG, "
        "VK.EXE and the game's other files live.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(kModemsOption);
    parser.addOption(kAnswersOption);
    parser.addOption(kPrintCommandOption);
    parser.addOption(kRegisterLinksOption);
    parser.addPositionalArgument(
        "game-directory",
        "The game directory (default: the current directory when it holds VK.EXE, else "
        "the one used last, else the one you choose); or an invitation, "
        "marloven://join?..., which opens the dialog to join the host in that game "
        "directory.",
        "[game-directory | invitation]");
}

int Refuse(const QString& reason) {
    std::fprintf(stderr, "marloven: %s\nTry 'marloven --help' for the options.\n",
                 NarrowText(reason).c_str());
    return 2;
}

QStringList BareArguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << MessageText(argv[i]);
    }
    return arguments;
}

} // namespace

bool AsksToPrintCommand(int argc, char** argv) {
    QCommandLineParser parser;
    DefineOptions(parser);
    parser.parse(BareArguments(argc, argv));
    return parser.isSet(kPrintCommandOption);
}

bool AsksToRegisterLinks(int argc, char** argv) {
    QCommandLineParser parser;
    DefineOptions(parser);
    parser.parse(BareArguments(argc, argv));
    return parser.isSet(kRegisterLinksOption);
}

void AnswerHelpOrVersion(int& argc, char** argv) {
    QCommandLineParser parser;
    DefineOptions(parser);
    // Qt's own options are still among the arguments here and count as unknown; only
    // --help and --version matter at this point.
    parser.parse(BareArguments(argc, argv));
    if (!parser.isSet("help") && !parser.isSet("version")) {
        return;
    }
    // The help names the program as it was started; that needs an application object,
    // though not a window system.
    const QCoreApplication application(argc, argv);
    if (parser.isSet("help")) {
        parser.showHelp(0);
    }
    parser.showVersion();
}

std::variant<LauncherOptions, int> ParseLauncherOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    DefineOptions(parser);
    if (!parser.parse(arguments)) {
        return Refuse(parser.errorText());
    }
    LauncherOptions options;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1) {
        return Refuse("more than one game directory given: " + positional.join(' '));
    }
    if (!positional.isEmpty()) {
        const QString& given = positional.front();
        // The desktop entry hands on links; a folder may come as a file: link too.
        if (LooksLikeInvitation(NarrowText(given))) {
            options.invitation = given;
        } else if (given.startsWith("file://", Qt::CaseInsensitive)) {
            options.gameDirectory = QUrl(given).toLocalFile();
        } else {
            options.gameDirectory = given;
        }
    }
    if (parser.isSet(kAnswersOption)) {
        options.answers = parser.value(kAnswersOption);
    }
    if (parser.isSet(kPrintCommandOption)) {
        options.printCommand = parser.value(kPrintCommandOption);
    }
    if (parser.isSet(kModemsOption)) {
        const QString file = parser.value(kModemsOption);
        if (file.isEmpty()) {
            return Refuse("--modems needs a file name");
        }
        // Named from where the launcher was started, read from the game directory.
        options.modemsFile = QDir::current().absoluteFilePath(file);
    }
    return options;
}

} // namespace marloven
