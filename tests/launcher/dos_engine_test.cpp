// SPDX-License-Identifier: GPL-3.0-or-later
// The DOS engine's starts as DOSBox receives them, with a DOSBox of the test's own that
// keeps what it was given: the configuration for each kind of start, the link's port
// where the launcher carries it, and what the player is told when DOSBox fails.
#include "core/dosbox_start.h"
#include "core/file_io.h"
#include "core/named_start.h"
#include "launcher/dos_engine.h"
#include "launcher/start_plan.h"
#include "link/relay_parts.h"
#include "tests/support/game_dir.h"

#include <QTcpServer>
#include <fstream>
#include <gtest/gtest.h>

namespace marloven {
namespace {

namespace fs = std::filesystem;
using test::GameDir;

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Stands in for the system's runner beneath the engine: keeps DOSBox's configuration
// (ours lives only while the start runs) and answers as the test says.
struct Dosbox : ProgramRunner {
    RunResult Run(const CommandLine& command) override {
        ++starts;
        configuration = ReadWholeFile(command.arguments.at(1)).value_or("");
        return whileRunning ? whileRunning(command) : RunResult(RunOutcome::Ended);
    }
    int starts = 0;
    std::string configuration;
    std::function<RunResult(const CommandLine&)> whileRunning;
};

class DosEngine : public testing::Test {
  protected:
    DosEngine() : engine_(std::unique_ptr<ProgramRunner>(dosbox_), [this] { return settings_; }) {
        for (const char* name : {"VK.EXE", "SETUP.EXE", "COMMIT.EXE", "VKSETMS.EXE"}) {
            game_.Write(name, "MZ"); // the header alone marks a DOS program
        }
        game_.Write("dosbox.exe", "");
        fs::permissions(game_ / "dosbox.exe", fs::perms::owner_exec, fs::perm_options::add);
        settings_.dosboxPath = (game_ / "dosbox.exe").string();
        settings_.use = DosboxUse::Always;
    }

    GameStart Named(std::string_view name, bool mouseTweak = false) const {
        const auto start = ComposeNamedStart(name, {true, false, -1, -1, 1}, mouseTweak);
        return MakeGameStart(game_.Path(), start->program, start->arguments);
    }

    GameDir game_;
    DosboxSettings settings_;
    Dosbox* dosbox_ = new Dosbox; // owned by the engine
    DosEngineRunner engine_;
};

// Each start's program runs in the game directory; a link start's relay, opened by the
// start, is named by its port on 127.0.0.1 (its hosting port the other players'), and
// ends with the start although the start's holder still has it.
TEST_F(DosEngine, EachStartRunsItsProgramAndALinkStartTheRelayItOpened) {
    const int tcp = FreeLocalPort(LinkTransport::Tcp);
    const int udp = FreeLocalPort(LinkTransport::Udp);
    const LinkAddress host{"127.0.0.1", tcp, false};
    const struct {
        const char* name;
        std::optional<InternetLink> link;
        std::string told; // before the relay's port, and after it
        std::string after;
    } cases[] = {
        {"single", {}, "C:\nVK.EXE -nopred\nexit\n", {}},
        {"setup", {}, "C:\nSETUP.EXE\nexit\n", {}},
        {"demo", {}, "C:\nVK.EXE\nexit\n", {}},
        {"mouse", {}, "C:\nVKSETMS.EXE -nopred\nexit\n", {}},
        {"dial",
         InternetLink{LaunchMode::Dial, 1, LinkSide::Join, host},
         "serial2=modem listenport:0\n",
         {}},
        {"answer", InternetLink{LaunchMode::Answer, 1, LinkSide::Host, {{}, tcp, false}},
         "serial2=modem listenport:", "\n"},
        {"connected",
         InternetLink{LaunchMode::AlreadyConnected, 0, LinkSide::Host, {{}, tcp, false}},
         "serial1=nullmodem server:127.0.0.1 port:", "\n"},
        {"connected", InternetLink{LaunchMode::AlreadyConnected, 0, LinkSide::Join, host},
         "serial1=nullmodem server:127.0.0.1 port:", "\n"},
        {"network", InternetLink{LaunchMode::Network, -1, LinkSide::Host, {{}, udp, false}},
         "C:\nipxnet connect 127.0.0.1 ", "\nCOMMIT.EXE -nopred -f1\n"},
        {"network",
         InternetLink{LaunchMode::Network, -1, LinkSide::Join, {"127.0.0.1", udp, false}},
         "C:\nipxnet connect 127.0.0.1 ", "\nCOMMIT.EXE -nopred -f1\n"},
    };
    for (const auto& [name, link, told, after] : cases) {
        const bool mouse = std::string_view(name) == "mouse";
        GameStart start = Named(mouse ? "single" : name, mouse);
        std::string expected = told;
        if (link) {
            start.link = link;
            OpenedRelay opened = OpenRelay(*link);
            ASSERT_TRUE(opened.relay) << *opened.refusal;
            start.relay = std::move(opened.relay);
            expected += after.empty() ? "" : std::to_string(start.relay->DosboxPort()) + after;
        }
        EXPECT_EQ(engine_.Run(start).outcome, RunOutcome::Ended) << name;
        EXPECT_TRUE(Has(dosbox_->configuration, expected)) << dosbox_->configuration;
        if (link && link->side == LinkSide::Host) {
            EXPECT_TRUE(OpenRelay(*link).relay) << name << ": the hosting port is still held";
        }
    }
    EXPECT_TRUE(Has(dosbox_->configuration, "mount C \"" + game_.Path().string() + "\"\n"));
}

TEST_F(DosEngine, ADosboxThatIsMissingCannotStartOrFailsIsToldAndAPortInUseStartsNothing) {
    dosbox_->whileRunning = [](const CommandLine& command) {
        std::ofstream(command.outputFile) << "Exit to error: Can't init SDL\n";
        RunResult ended(RunOutcome::Ended);
        ended.exitCode = 1;
        return ended;
    };
    const RunResult failed = engine_.Run(Named("single"));
    EXPECT_EQ(failed.outcome, RunOutcome::Failed);
    EXPECT_TRUE(Has(failed.message, "Can't init SDL")) << failed.message;

    dosbox_->whileRunning = [](const CommandLine&) { return RunResult(RunOutcome::CouldNotStart); };
    const RunResult unstartable = engine_.Run(Named("single"));
    EXPECT_EQ(unstartable.outcome, RunOutcome::Refused);
    EXPECT_TRUE(Has(unstartable.message, kDosboxNotFoundMessage)) << unstartable.message;
    EXPECT_EQ(dosbox_->starts, 2);

    QTcpServer other;
    ASSERT_TRUE(other.listen(QHostAddress::Any, 0));
    GameStart hosting = Named("answer");
    hosting.link = InternetLink{
        LaunchMode::Answer, 1, LinkSide::Host, {{}, static_cast<int>(other.serverPort()), false}};
    const RunResult taken = engine_.Run(hosting);
    EXPECT_EQ(taken.outcome, RunOutcome::Refused);
    EXPECT_TRUE(Has(taken.message, "is in use")) << taken.message;

    settings_.dosboxPath = (game_ / "no-dosbox").string();
    const RunResult missing = engine_.Run(Named("single"));
    EXPECT_EQ(missing.outcome, RunOutcome::Refused);
    EXPECT_EQ(missing.message, kDosboxNotFoundMessage);
    EXPECT_EQ(dosbox_->starts, 2);
}

} // namespace
} // namespace marloven
