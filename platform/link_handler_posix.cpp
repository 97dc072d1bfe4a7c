// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/link_handler.h"

namespace marloven {

LinkRegistration RegisterLinks(const std::filesystem::path&) {
    return {false, "Here the desktop entry installed with Marloven opens marloven: links; there "
                   "is nothing to register."};
}

} // namespace marloven
