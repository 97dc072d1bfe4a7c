// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/invitation.h"

#include "core/text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <utility>
#include <vector>

namespace marloven {

namespace {

constexpr std::array<std::pair<InvitationStart, std::string_view>, 3> kStartNames{{
    {InvitationStart::ModemCall, "modem"},
    {InvitationStart::Cable, "cable"},
    {InvitationStart::Network, "network"},
}};

constexpr std::string_view kScheme = "marloven:";
// Printable ASCII without the space: what a link may hold before its escapes are read.
bool IsLinkChar(char c) {
    return c > ' ' && c < 0x7f;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return a == (b >= 'A' && b <= 'Z' ? static_cast<char>(b - 'A' + 'a') : b);
           });
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const auto at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) {
            return parts;
        }
        text.remove_prefix(at + 1);
    }
}

std::optional<int> Number(std::string_view digits, std::size_t maxDigits) {
    int value = 0;
    if (digits.empty() || digits.size() > maxDigits || (digits.size() > 1 && digits[0] == '0') ||
        !std::all_of(digits.begin(), digits.end(), IsDigit)) {
        return std::nullopt;
    }
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return value;
}

std::optional<std::string> PercentDecoded(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size() || !IsHexDigit(text[i + 1]) || !IsHexDigit(text[i + 2])) {
            return std::nullopt;
        }
        const char hex[2] = {text[i + 1], text[i + 2]};
        unsigned value = 0;
        std::from_chars(hex, hex + 2, value, 16);
        if (!IsLinkChar(static_cast<char>(value))) {
            return std::nullopt;
        }
        out += static_cast<char>(value);
        i += 2;
    }
    return out;
}

std::string_view StartName(InvitationStart start) {
    for (const auto& [value, name] : kStartNames) {
        if (value == start) {
            return name;
        }
    }
    return {};
}

// The query's values, each once; the refusal otherwise.
struct Fields {
    std::optional<std::string> start, address, port, code, meet;
};

std::string ReadFields(std::string_view query, Fields& fields) {
    for (const auto pair : Split(query, '&')) {
        const auto equals = pair.find('=');
        if (equals == std::string_view::npos) {
            return "\"" + std::string(pair) + "\" is not a name with a value.";
        }
        const auto key = pair.substr(0, equals);
        auto value = PercentDecoded(pair.substr(equals + 1));
        std::optional<std::string>* field = key == "start"     ? &fields.start
                                            : key == "address" ? &fields.address
                                            : key == "port"    ? &fields.port
                                            : key == "code"    ? &fields.code
                                            : key == "meet"    ? &fields.meet
                                                               : nullptr;
        if (field == nullptr) {
            return "it holds \"" + std::string(key) +
                   "\", and an invitation holds nothing but the start, the address, the port, "
                   "the game code and the meeting place.";
        }
        if (field->has_value()) {
            return "it names the " + std::string(key) + " twice.";
        }
        if (!value) {
            return "the " + std::string(key) + " holds a character no invitation holds.";
        }
        *field = std::move(*value);
    }
    return {};
}

// The address by the rule every address the player gives follows (ParseLinkAddress):
// "010.1.1.1" is 10.1.1.1 here as in the link dialog. The port is a field of its own,
// so an address that carries one is refused.
std::optional<LinkAddress> CheckedAddress(const std::string& address, std::string& refusal) {
    const bool bracketed = !address.empty() && address.front() == '[';
    if (bracketed ? address.back() == ']' : address.find(':') == std::string::npos) {
        if (auto parsed = ParseLinkAddress(address, 1)) {
            return parsed;
        }
    }
    refusal = "\"" + address +
              "\" is not an address: a host name, four numbers from 0 to 255 with dots between, "
              "or an IPv6 address in brackets.";
    return std::nullopt;
}

InvitationParse Refused(std::string reason) {
    return {std::nullopt, "This link is no Marloven invitation: " + std::move(reason)};
}

} // namespace

bool LooksLikeInvitation(std::string_view text) {
    return StartsWithNoCase(text, kScheme);
}

InvitationParse ParseInvitation(std::string_view link) {
    if (link.size() > kMaxInvitationLength) {
        return Refused("it is longer than " + std::to_string(kMaxInvitationLength) +
                       " characters.");
    }
    if (!std::all_of(link.begin(), link.end(), IsLinkChar)) {
        return Refused("it holds spaces, control characters or letters beyond plain ASCII.");
    }
    std::string_view rest = link;
    // Windows has been known to hand a link on with a slash added at its end.
    if (rest.size() > 1 && rest.back() == '/' && rest.find('?') != std::string_view::npos) {
        rest.remove_suffix(1);
    }
    if (!StartsWithNoCase(rest, kScheme)) {
        return Refused("it does not begin with marloven:.");
    }
    rest.remove_prefix(kScheme.size());
    for (const std::string_view head : {"//join?", "//join/?"}) {
        if (StartsWithNoCase(rest, head)) {
            Fields fields;
            std::string refusal = ReadFields(rest.substr(head.size()), fields);
            if (!refusal.empty()) {
                return Refused(std::move(refusal));
            }
            if (!fields.start || !fields.address || !fields.port) {
                return Refused("it must name the start, the address and the port.");
            }
            Invitation invitation;
            const auto start =
                std::find_if(kStartNames.begin(), kStartNames.end(),
                             [&](const auto& known) { return known.second == *fields.start; });
            if (start == kStartNames.end()) {
                return Refused("\"" + *fields.start +
                               "\" is no start; it is one of modem, cable or network.");
            }
            invitation.start = start->first;
            const auto address = CheckedAddress(*fields.address, refusal);
            if (!address) {
                return Refused(std::move(refusal));
            }
            invitation.address = *address;
            const auto port = Number(*fields.port, 5);
            if (!port || *port < 1 || *port > kHighestPort) {
                return Refused("the port \"" + *fields.port +
                               "\" is not a number from 1 to 65535.");
            }
            invitation.address.port = *port;
            if (fields.code) {
                invitation.code = ParseGameCode(*fields.code);
                if (!invitation.code) {
                    return Refused("the game code \"" + *fields.code +
                                   "\" is not eight letters and digits such as K7PW-2QXM.");
                }
            }
            if (fields.meet) {
                invitation.meetingPlace = ParseLinkAddress(*fields.meet, kMeetingPlacePort);
                if (!invitation.meetingPlace) {
                    return Refused("the meeting place \"" + *fields.meet +
                                   "\" is not an address with its port, such as "
                                   "meet.example.org:1883.");
                }
            }
            return {std::move(invitation), {}};
        }
    }
    return Refused("it does not say marloven://join?.");
}

// Brackets are escaped, since chat programs end a link at an unescaped one.
std::string LinkHost(const LinkAddress& address) {
    return address.ipv6 ? "%5B" + address.host + "%5D" : address.host;
}

std::string InvitationLink(const Invitation& invitation) {
    const LinkAddress& host = invitation.address;
    std::string link = "marloven://join?start=" + std::string(StartName(invitation.start)) +
                       "&address=" + LinkHost(host) + "&port=" + std::to_string(host.port);
    if (invitation.code) {
        link += "&code=" + ShowGameCode(*invitation.code);
    }
    if (const auto& meet = invitation.meetingPlace) {
        link += "&meet=" + LinkHost(*meet) + ":" + std::to_string(meet->port);
    }
    return link;
}

std::string InvitationAddressAndPort(const Invitation& invitation) {
    return ShowLinkAddress(invitation.address);
}

std::string InvitationPlainLine(const Invitation& invitation) {
    const std::string port = std::to_string(invitation.address.port);
    if (!invitation.plainPeersJoin && invitation.start != InvitationStart::Network) {
        return "Without Marloven: this host lets only players with Marloven join; install it, "
               "then open this invitation.";
    }
    switch (invitation.start) {
    case InvitationStart::ModemCall:
        return "Without Marloven: in DOSBox with serial1=modem, have the game's driver dial " +
               InvitationAddressAndPort(invitation) + " on COM1.";
    case InvitationStart::Cable:
        return "Without Marloven: start DOSBox with serial1=nullmodem server:" +
               invitation.address.host + " port:" + port +
               ", then the game's driver on COM1, already connected.";
    case InvitationStart::Network:
        // The host lets only a joiner that proves itself into the network game, and plain
        // DOSBox cannot, so no line would work.
        return "Without Marloven: a network game needs Marloven to join; install it, then "
               "open this invitation.";
    }
    return {};
}

} // namespace marloven
