// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/internet_link.h"

#include <gtest/gtest.h>

namespace marloven {
namespace {

InternetLink Link(LaunchMode mode, int comPortIndex, LinkSide side = LinkSide::Host,
                  std::string host = {}, int port = 2324) {
    return {mode, comPortIndex, side, {std::move(host), port, false}};
}

std::string ConfigurationFor(const InternetLink& link) {
    DosboxStart start = MakeDosboxStart("/games/vk", "COMMIT.EXE", "-nopred", false);
    AddInternetLink(start, link);
    return DosboxConfiguration(start);
}

TEST(InternetLink, SerialStartsNeedOneOfDosboxsFourPorts) {
    for (const auto mode : {LaunchMode::Dial, LaunchMode::Answer, LaunchMode::AlreadyConnected}) {
        EXPECT_FALSE(InternetLinkRefusal(Link(mode, 3, LinkSide::Host, "10.0.0.2")));
        // COM5, "User Defined" and no port at all.
        for (const int index : {4, 8, -1}) {
            const auto refusal = InternetLinkRefusal(Link(mode, index));
            ASSERT_TRUE(refusal);
            EXPECT_NE(refusal->find("COM1 to COM4"), std::string::npos);
        }
    }
    // The network has no serial port, whatever the modem page says.
    EXPECT_FALSE(InternetLinkRefusal(Link(LaunchMode::Network, 8)));
}

TEST(InternetLink, JoiningNeedsAHostAndHostingAPortItMayBind) {
    EXPECT_FALSE(InternetLinkRefusal(Link(LaunchMode::Network, -1, LinkSide::Join, "10.0.0.2")));
    EXPECT_TRUE(InternetLinkRefusal(Link(LaunchMode::AlreadyConnected, 0, LinkSide::Join)));
    // A dial's number is picked at the start, after the check.
    EXPECT_FALSE(InternetLinkRefusal(Link(LaunchMode::Dial, 0)));
    // A host needs no address.
    EXPECT_FALSE(InternetLinkRefusal(Link(LaunchMode::AlreadyConnected, 0)));
    EXPECT_TRUE(InternetLinkRefusal(Link(LaunchMode::Network, 0, LinkSide::Host, {}, 70000)));
    EXPECT_TRUE(InternetLinkRefusal(Link(LaunchMode::Answer, 0, LinkSide::Host, {}, 1023)));
}

TEST(InternetLink, TheCallerListensOnNoPortAndTheAnswererOnItsOwn) {
    // Two players on one machine must not both claim the answering port.
    EXPECT_NE(ConfigurationFor(Link(LaunchMode::Dial, 1, LinkSide::Host, {}, 2323))
                  .find("[serial]\nserial2=modem listenport:0\n"),
              std::string::npos);
    EXPECT_NE(ConfigurationFor(Link(LaunchMode::Answer, 2, LinkSide::Host, {}, 5001))
                  .find("[serial]\nserial3=modem listenport:5001\n"),
              std::string::npos);
    EXPECT_NE(
        ConfigurationFor(Link(LaunchMode::AlreadyConnected, 0, LinkSide::Join, "10.0.0.2", 6000))
            .find("serial1=nullmodem server:10.0.0.2 port:6000\n"),
        std::string::npos);
}

TEST(InternetLink, TheTunnelIsUpBeforeTheDriverStarts) {
    const std::string joined =
        ConfigurationFor(Link(LaunchMode::Network, -1, LinkSide::Join, "10.0.0.2", 2130));
    const auto connect = joined.find("ipxnet connect 10.0.0.2 2130\n");
    ASSERT_NE(connect, std::string::npos);
    EXPECT_LT(connect, joined.find("COMMIT.EXE -nopred"));
    EXPECT_NE(joined.find("[ipx]\nipx=true\n"), std::string::npos);
    EXPECT_NE(ConfigurationFor(Link(LaunchMode::Network, -1)).find("ipxnet startserver 2324\n"),
              std::string::npos);
}

TEST(InternetLink, TheAnswererTellsReachableAddressesBeforeLoopback) {
    EXPECT_EQ(AddressesToTell({"127.0.0.1", "192.168.1.20", "203.0.113.7"}, 2323),
              (std::vector<std::string>{"192.168.1.20:2323", "203.0.113.7:2323"}));
    EXPECT_EQ(AddressesToTell({"127.0.0.1"}, 99), (std::vector<std::string>{"127.0.0.1:99"}));
}

} // namespace
} // namespace marloven
