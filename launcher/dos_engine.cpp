// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/dos_engine.h"

#include "core/dosbox_output.h"
#include "core/dosbox_start.h"
#include "core/file_io.h"
#include "core/file_ops.h"
#include "core/launch.h"
#include "core/program_kind.h"
#include "core/text.h"
#include "os/os_file.h"
#include "platform/dos_support.h"
#include "platform/ending.h"
#include "qt_text/text_conversions.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <charconv>
#include <filesystem>
#include <utility>

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
        command.directory.empty() ? std::filesystem::path(".") : PathFromNarrow(command.directory),
        error);
    return error ? command.directory : directory.string();
}

std::optional<std::string> DirectRefusal(ProgramKind kind, const std::string& name) {
    if (kind == ProgramKind::Dos && !SystemRunsDosPrograms()) {
        return name + " is a DOS program, which this system cannot run itself: DOSBox runs "
                      "it. Set \"Use DOSBox\" to Automatic in Options > DOSBox.";
    }
    return std::nullopt;
}

std::optional<std::string> DosboxProgramRefusal(const std::string& dosbox) {
    if (dosbox.empty()) {
        return kDosboxNotFoundMessage;
    }
    if (!QFileInfo(FromBytes(dosbox)).isExecutable()) {
        return "The DOSBox chosen in Options > DOSBox, " + dosbox +
               ", cannot be run: it is not a program this system may start. Choose DOSBox "
               "itself there.";
    }
    return std::nullopt;
}

// The player's own configuration: whether it is there, and its [autoexec] lines.
std::optional<std::string> PlayersCommands(const std::string& file, DosboxStart& start) {
    if (file.empty()) {
        return std::nullopt;
    }
    if (const auto size = SizeOver(file, kMostTextFileBytes)) {
        return "The DOSBox configuration file " + file + " chosen in Options > DOSBox holds " +
               std::to_string(*size) + " bytes, more than the " +
               std::to_string(kMostTextFileBytes >> 20) +
               " MB a configuration file may hold. Choose another there.";
    }
    const auto text = ReadWholeFile(file);
    if (!text) {
        return "The DOSBox configuration file " + file +
               " chosen in Options > DOSBox was not found.";
    }
    start.playersCommands = AutoexecLines(*text);
    return std::nullopt;
}

// A start's folder is named by the launcher's process, so that the folder of a launcher
// killed before it could remove it is known, by a start of another, for a leftover.
constexpr std::string_view kStartFolderPrefix = "marloven-start-";

// Folders of ended launchers go; so would the folder of a process that ended and whose
// number another launcher took meanwhile, but never a running launcher's.
void RemoveStartFoldersOfEndedLaunchers(const std::filesystem::path& temporaries) {
    std::error_code error;
    for (std::filesystem::directory_iterator it(temporaries, error), end; !error && it != end;
         it.increment(error)) {
        const auto utf8 = it->path().filename().u8string();
        const std::string_view name(reinterpret_cast<const char*>(utf8.data()), utf8.size());
        if (!name.starts_with(kStartFolderPrefix)) {
            continue;
        }
        const std::string_view rest = name.substr(kStartFolderPrefix.size());
        std::uint32_t process = 0;
        const auto [at, parsed] = std::from_chars(rest.data(), rest.data() + rest.size(), process);
        std::error_code ignored;
        // Never through a link: it could name any folder.
        if (parsed == std::errc() && at != rest.data() && at != rest.data() + rest.size() &&
            *at == '-' && it->is_directory(ignored) && !it->is_symlink(ignored) &&
            !ProcessIsRunning(process)) {
            std::filesystem::remove_all(it->path(), ignored);
        }
    }
}

// launcherPort: where DOSBox meets the launcher for a start's link (0 while planning).
Preparation Prepare(const GameRunner& engine, const GameStart& command,
                    const DosboxSettings& settings, int launcherPort) {
    Preparation prepared{engine.GameRunner::Plan(command), {}, {}};
    PlannedStart& plan = prepared.plan;
    // Read as UTF-8, which MinGW's library would not do by itself: a program in a folder
    // named beyond ASCII was not found, and so was started without DOSBox.
    const std::filesystem::path program = PathFromNarrow(command.program);
    const std::string name = program.filename().string();
    const ProgramKind kind = ReadProgramKind(program);
    switch (ChooseStartRoute(kind, settings.use, SystemRunsDosPrograms())) {
    case StartRoute::Direct:
        plan.refusal = DirectRefusal(kind, name);
        return prepared;
    case StartRoute::Refused:
        plan.refusal = Windows16RefusalMessage(name);
        return prepared;
    case StartRoute::Dosbox:
        break;
    }
    // DOS names are upper case; DOSBox finds the file whatever case it has here.
    const std::string directory = GameDirectoryOf(command);
    const std::optional<std::string> dosboxDirectory = DosboxFolderPath(directory);
    DosboxStart start = MakeDosboxStart(dosboxDirectory.value_or(directory), UpperAscii(name),
                                        command.arguments, settings.fullScreen);
    if (command.link) {
        // Until the start, DOSBox's port is shown as the player's; each start takes a
        // free one.
        AddInternetLink(start, LinkThroughLauncher(*command.link,
                                                   launcherPort != 0 ? launcherPort
                                                                     : command.link->address.port));
        plan.link = DescribeCarriedLink(*command.link);
    }
    prepared.dosbox = FindDosbox(settings);
    prepared.playersConfiguration = settings.playersConfiguration;
    plan.refusal = command.link ? InternetLinkRefusal(*command.link) : std::nullopt;
    if (const auto missing = PlayersCommands(settings.playersConfiguration, start)) {
        plan.refusal = plan.refusal ? plan.refusal : missing;
    }
    plan.throughDosbox = true;
    plan.gameCommandLine = DosCommandLine(start);
    plan.configuration = DosboxConfiguration(start);
    plan.hostCommand =
        HostCommandText(prepared.dosbox.empty() ? "dosbox" : prepared.dosbox,
                        DosboxArguments(kDosboxConfigurationName, settings.playersConfiguration));
    if (const auto refusal = DosboxRefusal(start); refusal && !plan.refusal) {
        plan.refusal = refusal;
    }
    if (!dosboxDirectory && !plan.refusal) {
        plan.refusal = "DOSBox cannot open the game directory " + directory +
                       ": its name has letters that this system's code page for older "
                       "programs lacks, and the folder has no short name. Move the game "
                       "to a folder named with other letters.";
    }
    if (!plan.refusal) {
        plan.refusal = DosboxProgramRefusal(prepared.dosbox);
    }
    return prepared;
}

// What the player is told once DOSBox has ended: the link that failed, or DOSBox's own
// failure; nothing when all went well or the player cancelled.
RunResult Outcome(const RunResult& ran, const Relay* relay, const std::filesystem::path& output) {
    const std::string printed = ReadWholeFile(output).value_or("");
    if (relay != nullptr && !relay->IsUp() && !relay->Failure().isEmpty()) {
        return {RunOutcome::Failed, NarrowText(relay->Failure())};
    }
    if (auto trouble = DosboxTrouble({ran.exitCode, ran.crashed, printed})) {
        return {RunOutcome::Failed, *trouble};
    }
    return ran;
}

} // namespace

std::string FindDosbox(const DosboxSettings& settings) {
    if (!settings.dosboxPath.empty()) {
        return IsExistingFile(settings.dosboxPath) ? settings.dosboxPath : std::string();
    }
    // The DOSBox that came with the launcher first (Windows), so that the one the
    // launcher was tested with wins over others; then the search path, then where
    // DOSBox's installers put it (Windows).
    std::vector<QStringList> searches;
    if (const std::filesystem::path bundled = BundledDosboxFolder(); !bundled.empty()) {
        searches.push_back({QStringFromPath(bundled)});
    }
    searches.emplace_back();
    for (const std::filesystem::path& folder : DosboxInstallFolders()) {
        searches.push_back({QStringFromPath(folder)});
    }
    for (const QStringList& folders : searches) {
        for (const char* name : {"dosbox-staging", "dosbox-x", "dosbox"}) {
            const QString found = QStandardPaths::findExecutable(MessageText(name), folders);
            if (!found.isEmpty()) {
                // Qt's forward slashes would reach a Windows command line as they are.
                return NarrowText(QDir::toNativeSeparators(found));
            }
        }
    }
    return {};
}

std::string DosboxVersion(const std::string& dosbox) {
    constexpr int kBoundMs = 3000;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(FromBytes(dosbox), {QStringLiteral("--version")});
    if (!process.waitForFinished(kBoundMs)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    for (const QByteArray& line : process.readAll().split('\n')) {
        if (!line.trimmed().isEmpty()) {
            return line.trimmed().toStdString(); // bytes as DOSBox printed them
        }
    }
    return {};
}

DosEngineRunner::DosEngineRunner(std::unique_ptr<ProgramRunner> system,
                                 std::function<DosboxSettings()> settings)
    : system_(std::move(system)), settings_(std::move(settings)) {}

PlannedStart DosEngineRunner::Plan(const GameStart& start) const {
    return Prepare(*this, start, settings_(), start.relay ? start.relay->DosboxPort() : 0).plan;
}

RunResult DosEngineRunner::Run(const GameStart& command) {
    // The link is open before anything is written: hosting binds its port, and a port in
    // use stops the start here. A start that names the link's port in the driver's file
    // (a dial) opened it already.
    std::shared_ptr<Relay> relay = command.relay;
    if (command.link && !relay) {
        OpenedRelay opened = OpenRelay(*command.link);
        if (opened.refusal) {
            return {RunOutcome::Refused, *opened.refusal};
        }
        relay = std::move(opened.relay);
    }
    // The link ends with the start, whoever else holds its relay.
    const auto endLink = qScopeGuard([&relay] {
        if (relay) {
            relay->disconnect();
            relay->Close();
        }
    });
    const Preparation prepared =
        Prepare(*this, command, settings_(), relay ? relay->DosboxPort() : 0);
    if (prepared.plan.refusal) {
        return {RunOutcome::Refused, *prepared.plan.refusal};
    }
    if (!prepared.plan.throughDosbox) {
        return system_->Run(DirectCommandLine(command));
    }
    // A directory of its own for each start, removed with everything in it afterwards.
    RemoveStartFoldersOfEndedLaunchers(PathFromQString(QDir::tempPath()));
    const QTemporaryDir directory(QDir::tempPath() + '/' + FromBytes(kStartFolderPrefix) +
                                  QString::number(CurrentProcessId()) + "-XXXXXX");
    if (!directory.isValid()) {
        return {RunOutcome::Refused, "Could not make a temporary directory for DOSBox: " +
                                         NarrowText(directory.errorString())};
    }
    const std::filesystem::path folder = PathFromQString(directory.path());
    const RemovedIfEnded removedIfEnded(folder);
    const std::filesystem::path configuration = folder / kDosboxConfigurationName;
    if (const std::error_code error =
            WriteFileAtomically(configuration, prepared.plan.configuration)) {
        return {RunOutcome::Refused,
                "Could not write DOSBox's configuration: " + DescribeWriteError(error)};
    }
    std::function<void()> stop;
    bool cancelled = false;
    std::unique_ptr<QObject> watch;
    if (relay) {
        QObject::connect(relay.get(), &Relay::Failed, [&stop] {
            if (stop) {
                stop();
            }
        });
        if (watcher_) {
            watch = watcher_(*command.link, *relay, [&] {
                cancelled = true;
                if (stop) {
                    stop();
                }
            });
        }
    }
    const std::filesystem::path output = folder / "dosbox.txt";
    const RunResult result = system_->Run(
        {prepared.dosbox, DosboxArguments(configuration.string(), prepared.playersConfiguration),
         command.directory, output.string(),
         [&stop](std::function<void()> end) { stop = std::move(end); }, relay != nullptr});
    watch.reset();
    if (result.outcome == RunOutcome::NotFound || result.outcome == RunOutcome::CouldNotStart) {
        return {RunOutcome::Refused, *DosboxProgramRefusal(std::string())};
    }
    if (cancelled) {
        return {RunOutcome::Failed}; // the player's own choice: nothing to tell
    }
    return Outcome(result, relay.get(), output);
}

} // namespace marloven
