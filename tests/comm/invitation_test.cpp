// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/invitation.h"
#include "comm/link_address.h"

#include <gtest/gtest.h>

namespace marloven {
namespace {

TEST(Invitation, WhatIsSentIsWhatArrivesForEveryStartAndKindOfAddress) {
    for (const auto start :
         {InvitationStart::ModemCall, InvitationStart::Cable, InvitationStart::Network}) {
        for (const LinkAddress& address :
             {LinkAddress{"velkaran.example.org", 2323, false},
              LinkAddress{"203.0.113.7", 2323, false}, LinkAddress{"2001:db8::7", 2323, true},
              LinkAddress{"::ffff:192.0.2.1", 2323, true}}) {
            Invitation sent{start, address, ParseGameCode("K7PW-2QXM")};
            sent.meetingPlace = address.ipv6 ? LinkAddress{"2001:db8::9", 8883, true}
                                             : LinkAddress{"meet.example.org", 1883, false};
            const std::string link = InvitationLink(sent);
            const auto parsed = ParseInvitation(link);
            ASSERT_TRUE(parsed.invitation) << link << ": " << parsed.refusal;
            EXPECT_EQ(parsed.invitation->start, start);
            EXPECT_EQ(parsed.invitation->address, address);
            EXPECT_EQ(parsed.invitation->code, sent.code);
            EXPECT_EQ(parsed.invitation->meetingPlace, sent.meetingPlace);
            // Chat programs end a link at a bracket or a space: the link has neither.
            EXPECT_EQ(link.find_first_of("[] "), std::string::npos) << link;
        }
    }
    EXPECT_EQ(InvitationAddressAndPort({InvitationStart::Cable, {"2001:db8::7", 2324, true}}),
              "[2001:db8::7]:2324");
}

TEST(Invitation, LinksAsPeopleAndProgramsWriteThemAreRead) {
    const auto upper = ParseInvitation("MARLOVEN://JOIN?start=network&address=[::1]&port=2130");
    ASSERT_TRUE(upper.invitation) << upper.refusal;
    EXPECT_EQ(upper.invitation->address, (LinkAddress{"::1", 2130, true}));
    const auto slash =
        ParseInvitation("marloven://join/?port=2324&address=host-1.example&start=cable");
    ASSERT_TRUE(slash.invitation) << slash.refusal;
    EXPECT_EQ(slash.invitation->start, InvitationStart::Cable);
    const auto trailing = ParseInvitation("marloven://join?start=modem&address=h.example&port=23/");
    ASSERT_TRUE(trailing.invitation) << trailing.refusal;
    EXPECT_EQ(trailing.invitation->address.port, 23);
    // Read as the link dialog reads what a player types: decimal, not octal.
    const auto zeros = ParseInvitation("marloven://join?start=cable&address=010.1.1.1&port=2324");
    ASSERT_TRUE(zeros.invitation) << zeros.refusal;
    EXPECT_EQ(zeros.invitation->address, ParseLinkAddress("010.1.1.1", 2324));
    EXPECT_TRUE(LooksLikeInvitation("Marloven://join?x"));
    EXPECT_FALSE(LooksLikeInvitation("/home/me/marloven"));
}

TEST(Invitation, HostileAndMalformedLinksAreRefusedWithTheirReason) {
    const std::string good = "marloven://join?start=cable&address=198.51.100.4&port=2324";
    const std::pair<std::string, std::string> cases[] = {
        {good + std::string(kMaxInvitationLength, 'x'), "longer than 600"},
        {"marloven://join?start=cable&address=198.51.100.4&port=2324\n", "control"},
        {"marloven://join?start=cable&address=198.51.100.4&port=23\x01"
         "24",
         "control"},
        {"marloven://join?start=cable&address=host name&port=2324", "spaces"},
        {"marloven://join?start=cable&address=h\xc3\xb6st&port=2324", "ASCII"},
        {good + "&run=format", "nothing but"},
        {good + "&port=2325", "twice"},
        {good + "&code=K7PW-2QX", "game code \"K7PW-2QX\" is not"},
        {good + "&code=K7PW-2QXM&code=K7PW-2QXM", "twice"},
        {good + "&meet=[2001:db8::9", "meeting place \"[2001:db8::9\" is not"},
        {good + "&meet=meet.example.org:0", "meeting place"},
        {good + "#x", "not a number"},
        {"marloven://join?start=shell&address=198.51.100.4&port=2324", "no start"},
        {"marloven://join?start=cable&address=999.1.1.1&port=2324", "not an address"},
        {"marloven://join?start=cable&address=198.51.100.4:2324&port=2324", "not an address"},
        {"marloven://join?start=cable&address=1.2.3&port=2324", "not an address"},
        {"marloven://join?start=cable&address=2001:db8::7&port=2324", "not an address"},
        {"marloven://join?start=cable&address=[1::2::3]&port=2324", "not an address"},
        {"marloven://join?start=cable&address=-x.example&port=2324", "not an address"},
        {"marloven://join?start=cable&address=a%26port%3D1&port=2324", "not an address"},
        {"marloven://join?start=cable&address=a%0Ab&port=2324", "character no invitation"},
        {"marloven://join?start=cable&address=a%G0&port=2324", "character no invitation"},
        {"marloven://join?start=cable&address=198.51.100.4&port=0", "not a number"},
        {"marloven://join?start=cable&address=198.51.100.4&port=65536", "not a number"},
        {"marloven://join?start=cable&address=198.51.100.4&port=+2324", "not a number"},
        {"marloven://join?start=cable&address=198.51.100.4&port=99999999999", "not a number"},
        {"marloven://join?start=cable&address=198.51.100.4", "must name"},
        {"marloven://run?start=cable&address=198.51.100.4&port=2324", "marloven://join?"},
        {"https://join?start=cable&address=198.51.100.4&port=2324", "begin with"},
    };
    ASSERT_TRUE(ParseInvitation(good).invitation);
    for (const auto& [link, reason] : cases) {
        const auto parsed = ParseInvitation(link);
        EXPECT_FALSE(parsed.invitation) << link;
        EXPECT_NE(parsed.refusal.find(reason), std::string::npos) << link << ": " << parsed.refusal;
    }
}

TEST(Invitation, ThePlainLineNamesWhatPlainDosboxNeeds) {
    EXPECT_EQ(InvitationPlainLine({InvitationStart::Network, {"198.51.100.4", 2130, false}}),
              "Without Marloven: a network game needs Marloven to join; install it, then "
              "open this invitation.");
    // Plain DOSBox joins only a host that lets it.
    EXPECT_NE(InvitationPlainLine({InvitationStart::Cable, {"198.51.100.4", 2324, false}, {}, true})
                  .find("serial1=nullmodem server:198.51.100.4 port:2324"),
              std::string::npos);
    EXPECT_NE(
        InvitationPlainLine({InvitationStart::ModemCall, {"2001:db8::7", 2323, true}, {}, true})
            .find("dial [2001:db8::7]:2323"),
        std::string::npos);
    EXPECT_EQ(InvitationPlainLine({InvitationStart::Cable, {"198.51.100.4", 2324, false}}),
              "Without Marloven: this host lets only players with Marloven join; install it, "
              "then open this invitation.");
}

} // namespace
} // namespace marloven
