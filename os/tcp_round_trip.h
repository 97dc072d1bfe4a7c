// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>

namespace marloven {

// The round trip the system measures on a connected TCP socket (its smoothed estimate),
// in microseconds; nothing where the system does not tell it. A direct link carries only
// the game's bytes, so this is how its round trip is known. One source per system.
std::optional<std::int64_t> TcpRoundTripMicroseconds(std::intptr_t socketDescriptor);

} // namespace marloven
