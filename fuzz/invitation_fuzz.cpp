// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/invitation.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

// Any bytes as a clicked link. What is taken must come back the same from the link
// Marloven itself would send, so an invitation never changes on its way.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parsed =
        marloven::ParseInvitation(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!parsed.invitation) {
        return 0;
    }
    const auto again = marloven::ParseInvitation(marloven::InvitationLink(*parsed.invitation));
    if (!again.invitation || again.invitation->start != parsed.invitation->start ||
        again.invitation->address != parsed.invitation->address) {
        std::abort();
    }
    return 0;
}
