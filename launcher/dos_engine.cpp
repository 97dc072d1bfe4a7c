// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/dos_engine.h"

#include "core/dosbox_start.h"
#include "core/file_io.h"
#include "core/file_ops.h"
#include "core/launch.h"
#include "core/program_kind.h"
#include "core/text.h"
#include "launcher/text_conversions.h"
#include "platform/dos_support.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <filesystem>

namespace marloven {

namespace {

// Everything a start through DOSBox needs, worked out before anything is written.
struct Preparation {
    PlannedStart plan;
    std::string dosbox;
    std::string playersConfiguration;
};

std::string HostCommandText(const std::string& program, const std::vector<std::string>& arguments) {
    return QuotedCommandLine(program, WindowsArgumentLine(arguments));
}

std::string GameDirectoryOf(const GameStart& command) {
    std::error_code error;
    const std::filesystem::path directory = std::filesystem::absolute(
        command.directory.empty() ? std::filesystem::path(".")
                                  : std::filesystem::path(command.directory),
        error);
    return error ? command.directory : directory.string();
}

Preparation Prepare(const GameRunner& engine, const GameStart& command,
                    const DosboxSettings& settings) {
    Preparation prepared{engine.GameRunner::Plan(command), {}, {}};
    PlannedStart& plan = prepared.plan;
    const std::string name = std::filesystem::path(command.program).filename().string();
    switch (
        ChooseStartRoute(ReadProgramKind(command.program), settings.use, SystemRunsDosPrograms())) {
    case StartRoute::Direct:
        return prepared;
    case StartRoute::Refused:
        plan.refusal = Windows16RefusalMessage(name);
        return prepared;
    case StartRoute::Dosbox:
        break;
    }
    // DOS names are upper case; DOSBox finds the file whatever case it has here.
    DosboxStart start = MakeDosboxStart(GameDirectoryOf(command), UpperAscii(name),
                                        command.arguments, settings.fullScreen);
    if (command.link) {
        AddInternetLink(start, *command.link);
    }
    plan.throughDosbox = true;
    plan.gameCommandLine = DosCommandLine(start);
    plan.configuration = DosboxConfiguration(start);
    prepared.dosbox = FindDosbox(settings);
    prepared.playersConfiguration = settings.playersConfiguration;
    plan.hostCommand =
        HostCommandText(prepared.dosbox.empty() ? "dosbox" : prepared.dosbox,
                        DosboxArguments(kDosboxConfigurationName, settings.playersConfiguration));
    plan.refusal = DosboxRefusal(start);
    if (!plan.refusal && command.link) {
        plan.refusal = InternetLinkRefusal(*command.link);
    }
    if (!plan.refusal && prepared.dosbox.empty()) {
        plan.refusal = kDosboxNotFoundMessage;
    }
    if (!plan.refusal && !settings.playersConfiguration.empty() &&
        !IsExistingFile(settings.playersConfiguration)) {
        plan.refusal = "The DOSBox configuration file " + settings.playersConfiguration +
                       " chosen in Options > DOSBox was not found.";
    }
    return prepared;
}

} // namespace

std::string FindDosbox(const DosboxSettings& settings) {
    if (!settings.dosboxPath.empty()) {
        return IsExistingFile(settings.dosboxPath) ? settings.dosboxPath : std::string();
    }
    // The search path first, then where DOSBox's installers put it (Windows).
    std::vector<QStringList> searches{QStringList()};
    for (const std::filesystem::path& folder : DosboxInstallFolders()) {
        searches.push_back({QStringFromPath(folder)});
    }
    for (const QStringList& folders : searches) {
        for (const char* name : {"dosbox-staging", "dosbox-x", "dosbox"}) {
            const QString found =
                QStandardPaths::findExecutable(QString::fromLatin1(name), folders);
            if (!found.isEmpty()) {
                // Qt's forward slashes would reach a Windows command line as they are.
                return NarrowText(QDir::toNativeSeparators(found));
            }
        }
    }
    return {};
}

DosEngineRunner::DosEngineRunner(std::unique_ptr<ProgramRunner> system,
                                 std::function<DosboxSettings()> settings)
    : system_(std::move(system)), settings_(std::move(settings)) {}

PlannedStart DosEngineRunner::Plan(const GameStart& start) const {
    return Prepare(*this, start, settings_()).plan;
}

RunResult DosEngineRunner::Run(const GameStart& command) {
    const Preparation prepared = Prepare(*this, command, settings_());
    if (prepared.plan.refusal) {
        return {RunOutcome::Refused, *prepared.plan.refusal};
    }
    if (!prepared.plan.throughDosbox) {
        return system_->Run(DirectCommandLine(command));
    }
    // A directory of its own for each start, removed with everything in it afterwards.
    const QTemporaryDir directory;
    if (!directory.isValid()) {
        return {RunOutcome::Refused, "Could not make a temporary directory for DOSBox: " +
                                         NarrowText(directory.errorString())};
    }
    const std::filesystem::path configuration =
        std::filesystem::path(directory.path().toStdU16String()) / kDosboxConfigurationName;
    if (const std::error_code error =
            WriteFileAtomically(configuration, prepared.plan.configuration)) {
        return {RunOutcome::Refused,
                "Could not write DOSBox's configuration: " + DescribeWriteError(error)};
    }
    RunResult result = system_->Run(
        {prepared.dosbox, DosboxArguments(configuration.string(), prepared.playersConfiguration),
         command.directory});
    if (result.outcome == RunOutcome::NotFound || result.outcome == RunOutcome::CouldNotStart) {
        return {RunOutcome::Refused, kDosboxNotFoundMessage};
    }
    return result;
}

} // namespace marloven
