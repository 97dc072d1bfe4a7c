// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/link_address.h"

#include "core/text.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace marloven {

namespace {

constexpr std::size_t kMaxHostName = 253;
constexpr std::size_t kMaxLabel = 63;
constexpr int kIpv6Groups = 8;

bool IsLetterOrDigit(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const auto end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

std::optional<int> Number(std::string_view digits, std::size_t maxDigits) {
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || digits.size() > maxDigits || error != std::errc() ||
        end != digits.data() + digits.size() || !IsDigit(digits.front())) {
        return std::nullopt;
    }
    return value;
}

std::optional<int> Port(std::string_view digits) {
    const auto port = Number(digits, 5);
    return port && *port >= 1 && *port <= kHighestPort ? port : std::nullopt;
}

// Four decimal parts, each at most 255, written back without leading zeros.
std::optional<std::string> DottedIpv4(std::string_view text) {
    const auto parts = Split(text, '.');
    if (parts.size() != 4) {
        return std::nullopt;
    }
    std::string plain;
    for (const std::string_view part : parts) {
        const auto value = Number(part, 3);
        if (!value || *value > 255) {
            return std::nullopt;
        }
        plain += (plain.empty() ? "" : ".") + std::to_string(*value);
    }
    return plain;
}

// "0x7f" or "0X1": the system's resolver reads such a label as a number, so that
// "0x7f.1" or "0x7f000001" would reach 127.0.0.1.
bool IsHexNumber(std::string_view label) {
    return label.size() > 2 && label[0] == '0' && (label[1] == 'x' || label[1] == 'X') &&
           std::ranges::all_of(label.substr(2), IsHexDigit);
}

bool IsHostName(std::string_view text) {
    if (text.empty() || text.size() > kMaxHostName) {
        return false;
    }
    // A name ending in a number is an address in one of the forms the resolver reads
    // besides four decimal numbers: only those four are taken, as written.
    const auto labels = Split(text, '.');
    const std::string_view last = labels.back();
    if (IsHexNumber(last) || (!last.empty() && std::ranges::all_of(last, IsDigit))) {
        return false;
    }
    return std::ranges::all_of(labels, [](std::string_view label) {
        return !label.empty() && label.size() <= kMaxLabel && label.front() != '-' &&
               label.back() != '-' &&
               std::ranges::all_of(label, [](char c) { return IsLetterOrDigit(c) || c == '-'; });
    });
}

// Hex groups of one to four digits, the last of which may be a dotted IPv4 address
// (two groups' worth); `::` stands for one or more zero groups.
std::optional<int> Ipv6Groups(std::string_view text) {
    if (text.empty()) {
        return 0;
    }
    const auto parts = Split(text, ':');
    int groups = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string_view part = parts[i];
        if (i + 1 == parts.size() && part.find('.') != std::string_view::npos) {
            groups += DottedIpv4(part) ? 2 : kIpv6Groups + 1;
        } else if (part.empty() || part.size() > 4 || !std::ranges::all_of(part, IsHexDigit)) {
            return std::nullopt;
        } else {
            ++groups;
        }
    }
    return groups;
}

bool IsIpv6(std::string_view text) {
    const auto gap = text.find("::");
    if (gap == std::string_view::npos) {
        return Ipv6Groups(text) == kIpv6Groups;
    }
    const auto before = Ipv6Groups(text.substr(0, gap));
    const auto after = Ipv6Groups(text.substr(gap + 2));
    return before && after && *before + *after < kIpv6Groups;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

std::optional<LinkAddress> ParseBracketed(std::string_view text, int defaultPort) {
    const auto close = text.find(']');
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view host = text.substr(1, close - 1);
    const std::string_view rest = text.substr(close + 1);
    std::optional<int> port = defaultPort;
    if (!rest.empty()) {
        port = rest.front() == ':' ? Port(rest.substr(1)) : std::nullopt;
    }
    if (!port || !IsIpv6(host)) {
        return std::nullopt;
    }
    return LinkAddress{std::string(host), *port, true};
}

} // namespace

bool IsHostingPort(int port) {
    return port >= kLowestHostingPort && port <= kHighestPort;
}

std::optional<std::string> HostingPortRefusal(int port) {
    if (IsHostingPort(port)) {
        return std::nullopt;
    }
    return "The port " + std::to_string(port) + " cannot be used for hosting. Choose one from " +
           std::to_string(kLowestHostingPort) + " to " + std::to_string(kHighestPort) +
           ", such as 2323.";
}

std::optional<LinkAddress> ParseLinkAddress(std::string_view text, int defaultPort) {
    text = Trimmed(text);
    if (!text.empty() && text.front() == '[') {
        return ParseBracketed(text, defaultPort);
    }
    const auto colon = text.find(':');
    std::optional<int> port = defaultPort;
    if (colon != std::string_view::npos) {
        port = Port(text.substr(colon + 1)); // a second colon makes the port no number
        text = text.substr(0, colon);
    }
    if (!port || *port < 1 || *port > kHighestPort) {
        return std::nullopt;
    }
    const bool numeric = std::ranges::all_of(text, [](char c) { return IsDigit(c) || c == '.'; });
    if (numeric) {
        // Never a name: the resolver would read "3232235777" or "010.1.1.1" its own way.
        const auto dotted = DottedIpv4(text);
        return dotted ? std::optional(LinkAddress{*dotted, *port, false}) : std::nullopt;
    }
    return IsHostName(text) ? std::optional(LinkAddress{std::string(text), *port, false})
                            : std::nullopt;
}

std::string LinkAddressRefusal(std::string_view text) {
    // The port after the colon, when the text has one: a bad one is the port's fault,
    // whatever the host before it.
    const std::string_view trimmed = Trimmed(text);
    const auto close = !trimmed.empty() && trimmed.front() == '[' ? trimmed.find(']') : 0;
    const auto colon = close == std::string_view::npos ? close : trimmed.find(':', close);
    if (colon != std::string_view::npos && (close != 0 || trimmed.rfind(':') == colon)) {
        const std::string_view port = trimmed.substr(colon + 1);
        if (!Port(port)) {
            return "\"" + std::string(port) +
                   "\" after the colon is no port. Ports run from 1 to " +
                   std::to_string(kHighestPort) + ".";
        }
    }
    return "\"" + std::string(text) +
           "\" is not an address to reach. Write a host name (velkaran.example.org), an IPv4 "
           "address of four numbers up to 255 (192.168.1.20), or an IPv6 address in brackets "
           "([2001:db8::7]), each optionally followed by a colon and the port (:2323).";
}

std::string ShowLinkAddress(const LinkAddress& address) {
    return ShowLinkHost(address) + ':' + std::to_string(address.port);
}

std::string ShowLinkHost(const LinkAddress& address) {
    return address.ipv6 ? '[' + address.host + ']' : address.host;
}

std::string LauncherDialNumber(int localPort) {
    return std::string(kLauncherEndAddress) + ':' + std::to_string(localPort);
}

} // namespace marloven
