// SPDX-License-Identifier: GPL-3.0-or-later
// The hosting port on the router as the launcher keeps it: asked only when the player
// lets it and the start hosts, noted in the settings while it lasts, removed at the end
// and after a crash.
#include "launcher/launcher_settings.h"
#include "launcher/router_port.h"
#include "link/relay.h"
#include "tests/support/scratch_settings.h"
#include "tests/support/scripted_router.h"

#include <gtest/gtest.h>

#include <ctime>
#include <thread>

namespace marloven {
namespace {

using test::Calls;
using test::Scripted;

InternetLink Hosting(LaunchMode mode, int port) {
    return {mode, 0, LinkSide::Host, {{}, port, false}};
}

QString Noted(const LauncherSettings& settings) {
    return settings.Get(LauncherKey::RouterMapping).toString();
}

// The answer as the link window reads it, polled within a bound.
std::optional<RouterAnswer> AnswerOf(RouterPort& port) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!port.Answer() && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return port.Answer();
}

TEST(RouterPort, AHostingStartOpensTheRelaysPortNotesItAndRemovesItAtTheEnd) {
    test::ScratchSettings settings;
    settings.Set(LauncherKey::RouterAsk, true);
    auto calls = std::make_shared<Calls>();
    const InternetLink link = Hosting(LaunchMode::Network, 2130);
    const auto relay = MakeRelay(PlanRelay(link));
    {
        auto port =
            AskRouterFor(settings, link, *relay,
                         Scripted(calls, {{RouterOutcome::Opened, std::chrono::milliseconds(0)}}));
        ASSERT_TRUE(port);
        ASSERT_TRUE(AnswerOf(*port));
        EXPECT_EQ(port->Words(), QString::fromUtf8("Tell: 198.20.23.1:2130 \u2014 opened on your "
                                                   "router (UPnP)."));
        const auto invitation = port->RouterInvitation();
        ASSERT_TRUE(invitation);
        EXPECT_EQ(InvitationLink(*invitation),
                  "marloven://join?start=network&address=198.20.23.1&port=2130");
        EXPECT_TRUE(Noted(settings).startsWith("upnp udp 2130 2130 192.168.77.2 "));
    }
    EXPECT_EQ(calls->removes, 1);
    EXPECT_TRUE(Noted(settings).isEmpty());
}

TEST(RouterPort, NothingIsAskedWhenThePlayerSaidNoOrTheStartDoesNotHost) {
    test::ScratchSettings settings;
    settings.Set(LauncherKey::RouterAsk, true);
    InternetLink joining = Hosting(LaunchMode::AlreadyConnected, 2324);
    joining.side = LinkSide::Join;
    for (const auto& link : {joining, Hosting(LaunchMode::Dial, 0)}) {
        EXPECT_FALSE(AskRouterFor(settings, link, *MakeRelay(PlanRelay(link))));
    }
    settings.Set(LauncherKey::RouterAsk, false);
    const InternetLink answering = Hosting(LaunchMode::Answer, 2323);
    EXPECT_FALSE(AskRouterFor(settings, answering, *MakeRelay(PlanRelay(answering))));
}

TEST(RouterPort, WhatACrashLeftIsRemovedAtTheNextStartAndKeptWhileTheRouterIsSilent) {
    test::ScratchSettings settings;
    auto calls = std::make_shared<Calls>();
    const auto later = static_cast<long long>(std::time(nullptr)) + 3600;
    const QString left = "upnp tcp 2323 2323 192.168.77.2 " + QString::number(later);
    settings.Set(LauncherKey::RouterMapping, left);
    calls->removable = false;
    RemoveLeftoverMapping(settings,
                          Scripted(calls, {{RouterOutcome::Opened, std::chrono::milliseconds(0)}}));
    EXPECT_EQ(Noted(settings), left);

    calls->removable = true;
    RemoveLeftoverMapping(settings,
                          Scripted(calls, {{RouterOutcome::Opened, std::chrono::milliseconds(0)}}));
    EXPECT_TRUE(Noted(settings).isEmpty());
    EXPECT_EQ(calls->removes, 2);

    settings.Set(LauncherKey::RouterMapping, QStringLiteral("garbage"));
    RemoveLeftoverMapping(settings,
                          Scripted(calls, {{RouterOutcome::Opened, std::chrono::milliseconds(0)}}));
    EXPECT_TRUE(Noted(settings).isEmpty());
}

} // namespace
} // namespace marloven
