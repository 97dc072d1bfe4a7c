// SPDX-License-Identifier: GPL-3.0-or-later
// The mapping's life (bound, late answers, renewal, removal) against routers of our own
// making; the real router is in tests/integration.
#include "portmap/port_mapping.h"
#include "tests/support/scripted_router.h"

#include <gtest/gtest.h>

#include <atomic>
#include <ctime>
#include <thread>

namespace marloven {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::Calls;
using test::Scripted;

bool Eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto until = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

TEST(PortMapping, ARouterThatAnswersTooLateCostsNoMoreThanTheBoundAndKeepsNothingOpen) {
    auto calls = std::make_shared<Calls>();
    const auto started = Clock::now();
    PortMapping mapping({PortProtocol::Tcp, 2323},
                        Scripted(calls, {{RouterOutcome::Opened, 800ms}}));
    const RouterAnswer result = mapping.Wait();
    EXPECT_LT(Clock::now() - started, 450ms);
    EXPECT_EQ(result.outcome, RouterOutcome::NoRouter);
    EXPECT_NE(DescribeRouterAnswer(result).find("Forward TCP port 2323 to this machine"),
              std::string::npos);
    // The router mapped the port after the player was told it had not: it goes again.
    EXPECT_TRUE(Eventually([&] { return calls->removes == 1; }, 2s));
    EXPECT_EQ(mapping.Answer()->outcome, RouterOutcome::NoRouter);
}

TEST(PortMapping, ARefusalIsToldUnlessAnotherWayOpensThePort) {
    auto calls = std::make_shared<Calls>();
    PortMapping refused(
        {PortProtocol::Udp, 2130},
        Scripted(calls, {{RouterOutcome::Refused, 0ms}, {RouterOutcome::NoRouter, 0ms}}));
    const RouterAnswer told = refused.Wait();
    EXPECT_EQ(told.outcome, RouterOutcome::Refused);
    EXPECT_EQ(DescribeRouterAnswer(told),
              "Your router would not open UDP port 2130 (it already forwards that "
              "port to another machine). Forward UDP port 2130 to this machine on "
              "your router by hand, or let the other player host.");

    PortMapping opened({PortProtocol::Tcp, 2324}, Scripted(calls, {{RouterOutcome::NoRouter, 0ms},
                                                                   {RouterOutcome::Opened, 0ms}}));
    EXPECT_EQ(DescribeRouterAnswer(opened.Wait()),
              "Tell: 198.20.23.1:2324 \u2014 opened on your router (UPnP).");
    EXPECT_TRUE(opened.Close());
    EXPECT_EQ(calls->removes, 1);
}

TEST(PortMapping, AMappingIsRenewedWhileHeldAndRemovedWhenDropped) {
    auto calls = std::make_shared<Calls>();
    {
        PortMapping mapping(
            {PortProtocol::Tcp, 2323},
            Scripted(calls, {{RouterOutcome::Opened, 0ms}}, 300ms, std::chrono::seconds(2)));
        ASSERT_EQ(mapping.Wait().outcome, RouterOutcome::Opened);
        EXPECT_TRUE(Eventually([&] { return calls->opens >= 2; }, 3s));
        EXPECT_EQ(calls->removes, 0);
    }
    EXPECT_EQ(calls->removes, 1);
}

TEST(PortMapping, AddressesBehindAnotherRouterAreToldApart) {
    for (const char* shared : {"10.0.0.1", "172.16.0.1", "172.31.255.255", "192.168.1.1",
                               "100.64.0.1", "100.127.255.255"}) {
        EXPECT_TRUE(IsPrivateOrShared(shared)) << shared;
    }
    for (const char* open : {"198.20.23.1", "172.15.255.255", "172.32.0.1", "100.63.255.255",
                             "100.128.0.1", "11.0.0.1", "192.169.0.1", "10.0.0", "garbage"}) {
        EXPECT_FALSE(IsPrivateOrShared(open)) << open;
    }
    const RouterAnswer shared =
        MappedAnswer({PortProtocol::Tcp, 2323}, "natpmp", "100.64.7.9", 2323, {}, kMappingLease);
    EXPECT_EQ(shared.outcome, RouterOutcome::SharedAddress);
    EXPECT_NE(DescribeRouterAnswer(shared).find("100.64.7.9, is not on the internet"),
              std::string::npos);
    EXPECT_NE(DescribeRouterAnswer(shared).find("or let the other player host"), std::string::npos);
    // A hostile router's outside "address" is not told as one.
    const RouterAnswer nonsense =
        MappedAnswer({PortProtocol::Tcp, 2323}, "upnp", "999999999999999", 2323, {}, kMappingLease);
    EXPECT_EQ(DescribeRouterAnswer(nonsense).rfind("Your router opened TCP port 2323 but did not "
                                                   "say its address",
                                                   0),
              0u);
}

TEST(PortMapping, TheRecordSurvivesTheSettingsAndAnExpiredOneNeedsNoRouter) {
    const RouterAnswer opened = MappedAnswer({PortProtocol::Udp, 2130}, "upnp", "198.20.23.1", 2130,
                                             "192.168.77.2", kMappingLease);
    const MappingRecord record = *opened.record;
    const auto back = ParseMappingRecord(MappingRecordText(record));
    ASSERT_TRUE(back);
    EXPECT_EQ(MappingRecordText(*back), MappingRecordText(record));
    EXPECT_EQ(back->protocol, PortProtocol::Udp);
    EXPECT_FALSE(ParseMappingRecord("upnp tcp 2323"));
    EXPECT_FALSE(ParseMappingRecord("ftp tcp 1 1 - 1"));

    auto calls = std::make_shared<Calls>();
    MappingRecord expired = record;
    expired.expires = static_cast<std::int64_t>(std::time(nullptr)) - 1;
    EXPECT_TRUE(RemoveMappingLeftBehind(expired, Scripted(calls, {{RouterOutcome::Opened, 0ms}})));
    EXPECT_EQ(calls->removes, 0);
    EXPECT_TRUE(RemoveMappingLeftBehind(record, Scripted(calls, {{RouterOutcome::Opened, 0ms}})));
    EXPECT_EQ(calls->removes, 1);
}

} // namespace
} // namespace marloven
