// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/invitation.h"

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
constexpr std::size_t kMaxHostName = 253;
constexpr std::size_t kMaxLabel = 63;
constexpr int kHighestPort = 65535;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsHexDigit(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool IsLetterOrDigit(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
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

// Counts the 16-bit groups of one side of "::", or nothing when a group is malformed.
std::optional<int> Ipv6Groups(std::string_view side, bool mayEndInIpv4) {
    if (side.empty()) {
        return 0;
    }
    const auto groups = Split(side, ':');
    int count = 0;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const auto group = groups[i];
        if (mayEndInIpv4 && i + 1 == groups.size() && IsIpv4Address(group)) {
            count += 2;
        } else if (group.empty() || group.size() > 4 ||
                   !std::all_of(group.begin(), group.end(), IsHexDigit)) {
            return std::nullopt;
        } else {
            ++count;
        }
    }
    return count;
}

std::string_view StartName(InvitationStart start) {
    for (const auto& [value, name] : kStartNames) {
        if (value == start) {
            return name;
        }
    }
    return {};
}

// The query's three values, each once; the refusal otherwise.
struct Fields {
    std::optional<std::string> start, address, port;
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
                                                               : nullptr;
        if (field == nullptr) {
            return "it holds \"" + std::string(key) +
                   "\", and an invitation holds nothing but the start, the address and the "
                   "port.";
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

std::string CheckedAddress(const std::string& address, std::string& refusal) {
    if (address.size() > 2 && address.front() == '[' && address.back() == ']') {
        std::string inner = address.substr(1, address.size() - 2);
        if (IsIpv6Address(inner)) {
            return inner;
        }
    } else if (IsIpv4Address(address) || IsHostName(address)) {
        return address;
    }
    refusal = "\"" + address +
              "\" is not an address: a host name, four numbers from 0 to 255 with dots between, "
              "or an IPv6 address in brackets.";
    return {};
}

InvitationParse Refused(std::string reason) {
    return {std::nullopt, "This link is no Marloven invitation: " + std::move(reason)};
}

} // namespace

bool IsIpv4Address(std::string_view text) {
    const auto parts = Split(text, '.');
    return parts.size() == 4 && std::all_of(parts.begin(), parts.end(), [](std::string_view part) {
               const auto value = Number(part, 3);
               return value && *value <= 255;
           });
}

bool IsIpv6Address(std::string_view text) {
    const auto gap = text.find("::");
    if (gap == std::string_view::npos) {
        const auto groups = Ipv6Groups(text, true);
        return groups && *groups == 8;
    }
    const auto after = text.substr(gap + 2);
    if (after.find("::") != std::string_view::npos) {
        return false;
    }
    const auto left = Ipv6Groups(text.substr(0, gap), false);
    const auto right = Ipv6Groups(after, true);
    return left && right && *left + *right < 8;
}

bool IsHostName(std::string_view text) {
    if (text.empty() || text.size() > kMaxHostName) {
        return false;
    }
    const auto labels = Split(text, '.');
    const auto last = labels.back();
    // A last label of digits is a mistyped number, not a name ("999.1.1.1").
    if (std::all_of(last.begin(), last.end(), IsDigit)) {
        return false;
    }
    return std::all_of(labels.begin(), labels.end(), [](std::string_view label) {
        return !label.empty() && label.size() <= kMaxLabel && label.front() != '-' &&
               label.back() != '-' && std::all_of(label.begin(), label.end(), [](char c) {
                   return IsLetterOrDigit(c) || c == '-';
               });
    });
}

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
            invitation.address = CheckedAddress(*fields.address, refusal);
            if (!refusal.empty()) {
                return Refused(std::move(refusal));
            }
            const auto port = Number(*fields.port, 5);
            if (!port || *port < 1 || *port > kHighestPort) {
                return Refused("the port \"" + *fields.port +
                               "\" is not a number from 1 to 65535.");
            }
            invitation.port = *port;
            return {std::move(invitation), {}};
        }
    }
    return Refused("it does not say marloven://join?.");
}

std::string InvitationLink(const Invitation& invitation) {
    // Brackets are escaped, since chat programs end a link at an unescaped one.
    const bool ipv6 = IsIpv6Address(invitation.address);
    const std::string address = ipv6 ? "%5B" + invitation.address + "%5D" : invitation.address;
    return "marloven://join?start=" + std::string(StartName(invitation.start)) +
           "&address=" + address + "&port=" + std::to_string(invitation.port);
}

std::string InvitationAddressAndPort(const Invitation& invitation) {
    const bool ipv6 = IsIpv6Address(invitation.address);
    return (ipv6 ? "[" + invitation.address + "]" : invitation.address) + ":" +
           std::to_string(invitation.port);
}

std::string InvitationPlainLine(const Invitation& invitation) {
    const std::string port = std::to_string(invitation.port);
    switch (invitation.start) {
    case InvitationStart::ModemCall:
        return "Without Marloven: in DOSBox with serial1=modem, have the game's driver dial " +
               InvitationAddressAndPort(invitation) + " on COM1.";
    case InvitationStart::Cable:
        return "Without Marloven: start DOSBox with serial1=nullmodem server:" +
               invitation.address + " port:" + port +
               ", then the game's driver on COM1, already connected.";
    case InvitationStart::Network:
        return "Without Marloven: in DOSBox with ipx=true, type ipxnet connect " +
               invitation.address + " " + port + ", then start the game's network driver.";
    }
    return {};
}

} // namespace marloven
