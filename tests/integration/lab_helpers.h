// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Games in the labs of netns.h. The other players are this program again inside one of
// the lab's namespaces, running one of the helper tests (FromHomeHelper in
// from_home_test.cpp), each of which reports into a folder of its own.

#include "tests/integration/netns.h"
#include "tests/integration/players.h"
#include "tests/support/game_dir.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <filesystem>
#include <memory>
#include <optional>

namespace marloven::test {

using marloven::testing::InNamespace;
using marloven::testing::Lab;
using marloven::testing::RouterKind;

// What a helper run is given: the folder it reports into, the invitation it opens, how
// many players the game wants, and how many seconds the game lingers once started.
inline constexpr const char* kHelperFolder = "MARLOVEN_TEST_HELPER_FOLDER";
inline constexpr const char* kHelperInvitation = "MARLOVEN_TEST_HELPER_INVITATION";
inline constexpr const char* kHelperPlayers = "MARLOVEN_TEST_HELPER_PLAYERS";
inline constexpr const char* kHelperLinger = "MARLOVEN_TEST_HELPER_LINGER";

inline std::unique_ptr<QProcess> StartHelper(const marloven::testing::Lab& lab,
                                             const std::string& where, const QString& test,
                                             const GameDir& folder, const QString& invitation = {},
                                             int players = 2, int lingerSeconds = 0) {
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert(kHelperFolder, QString::fromStdString(folder.Path().string()));
    environment.insert(kHelperInvitation, invitation);
    environment.insert(kHelperPlayers, QString::number(players));
    environment.insert(kHelperLinger, QString::number(lingerSeconds));
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->start("ip",
                   {"netns", "exec", QString::fromStdString(lab.NamespaceName(where)),
                    QCoreApplication::applicationFilePath(),
                    "--gtest_filter=FromHomeHelper." + test, "--gtest_also_run_disabled_tests"});
    return process;
}

inline std::filesystem::path HelperFolder() {
    return qEnvironmentVariable(kHelperFolder).toStdString();
}

// Games in a lab, skipped where it cannot stand. The lab, and where this thread (with
// the host's launcher on it) is in it, are the test's own, and go after it.
class LabPlay : public InternetPlay {
  protected:
    // `meetingPlace`: the lab runs one, which needs mosquitto.
    explicit LabPlay(bool meetingPlace = false) : meetingPlace_(meetingPlace) {}
    void SetUp() override {
        if (const auto reason = marloven::testing::LabUnavailable(meetingPlace_)) {
            GTEST_SKIP() << *reason;
        }
        InternetPlay::SetUp();
    }
    void TearDown() override {
        home_.reset();
        lab_.reset();
        InternetPlay::TearDown();
    }

    std::optional<Lab> lab_;
    std::optional<InNamespace> home_; // left before the lab goes

  private:
    bool meetingPlace_;
};

} // namespace marloven::test
