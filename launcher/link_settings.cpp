// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/link_settings.h"

#include "core/named_start.h"
#include "launcher/launcher_settings.h"
#include "meet/meeting_place.h"
#include "qt_text/text_conversions.h"

namespace marloven {

namespace {

struct LinkKeys {
    LauncherKey side;
    LauncherKey host;
    LauncherKey port;
};

// Dialling needs no choice: the number is in the phonebook. Answering only has a port;
// its side and host are never read.
LinkKeys KeysOf(LaunchMode mode) {
    switch (mode) {
    case LaunchMode::AlreadyConnected:
        return {LauncherKey::NullModemSide, LauncherKey::NullModemHost, LauncherKey::NullModemPort};
    case LaunchMode::Network:
        return {LauncherKey::IpxSide, LauncherKey::IpxHost, LauncherKey::IpxPort};
    case LaunchMode::SinglePlayer:
    case LaunchMode::Dial:
    case LaunchMode::Answer:
        break;
    }
    return {LauncherKey::NullModemSide, LauncherKey::NullModemHost, LauncherKey::ModemAnswerPort};
}

bool ChoosesSide(LaunchMode mode) {
    return mode == LaunchMode::AlreadyConnected || mode == LaunchMode::Network;
}

// An address kept in the settings as the player writes it; one that no longer reads as
// an address (edited by hand) is no host, with the port given.
LinkAddress ReadAddress(const LauncherSettings& settings, LauncherKey key, int port) {
    return ParseLinkAddress(NarrowText(settings.Get(key).toString()), port)
        .value_or(LinkAddress{{}, port, false});
}

} // namespace

std::optional<LinkAddress> MeetingPlaceOf(const LauncherSettings& settings) {
    return ParseMeetingPlace(settings.Get(LauncherKey::MeetServer).toString());
}

InternetLink LoadLinkChoice(const LauncherSettings& settings, LaunchMode mode) {
    const LinkKeys keys = KeysOf(mode);
    InternetLink link;
    link.mode = mode;
    link.meetingPlace = MeetingPlaceOf(settings);
    if (mode == LaunchMode::Dial) {
        // The number called last, for the player to see what a dial would call.
        link.address = ReadAddress(settings, LauncherKey::DialNumber, kDosboxModemDialPort);
        return link;
    }
    link.plainPeersJoin = settings.Get(LauncherKey::PlainPeersJoin).toBool();
    link.listedForEveryone = settings.Get(LauncherKey::ListedForEveryone).toBool();
    bool number = false;
    link.address.port = settings.Get(keys.port).toInt(&number);
    if (!number || link.address.port < 1 || link.address.port > kHighestPort) {
        link.address.port = LauncherSettings::Default(keys.port).toInt();
    }
    if (ChoosesSide(mode)) {
        link.side = settings.Get(keys.side).toString() == "join" ? LinkSide::Join : LinkSide::Host;
        // The host last joined, shown again in the link dialog even when hosting.
        link.address = ReadAddress(settings, keys.host, link.address.port);
    }
    return link;
}

void SaveLinkChoice(LauncherSettings& settings, const InternetLink& link) {
    if (link.mode == LaunchMode::Dial) {
        settings.Set(LauncherKey::DialNumber, MessageText(ShowLinkAddress(link.address)));
        return;
    }
    const LinkKeys keys = KeysOf(link.mode);
    settings.Set(keys.port, link.address.port);
    // Only the modem and the cable ask it: the tunnel always needs Marloven.
    if (!LinkReaches(link) && link.mode != LaunchMode::Network) {
        settings.Set(LauncherKey::PlainPeersJoin, link.plainPeersJoin);
    }
    if (ChoosesSide(link.mode) && link.side == LinkSide::Host) {
        settings.Set(LauncherKey::ListedForEveryone, link.listedForEveryone);
    }
    if (ChoosesSide(link.mode)) {
        settings.Set(keys.side, link.side == LinkSide::Join ? "join" : "host");
        // A game joined from the meeting place's list has no host to keep: the one last
        // typed stays for the next time.
        if (!link.address.host.empty()) {
            settings.Set(keys.host, MessageText(ShowLinkHost(link.address)));
        }
    }
}

std::optional<InternetLink> RememberedLink(const LauncherSettings& settings,
                                           std::string_view startName, int comPortIndex) {
    const std::optional<LaunchMode> mode = CommDriverStartMode(startName);
    if (!mode) {
        return std::nullopt;
    }
    InternetLink link = LoadLinkChoice(settings, *mode);
    link.comPortIndex = comPortIndex;
    return link;
}

} // namespace marloven
