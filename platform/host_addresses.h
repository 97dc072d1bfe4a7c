// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace marloven {

// This machine's IPv4 addresses, loopback included, as dotted text. DOSBox links use
// IPv4 only.
std::vector<std::string> LocalIpv4Addresses();

} // namespace marloven
