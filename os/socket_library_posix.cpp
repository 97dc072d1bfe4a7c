// SPDX-License-Identifier: GPL-3.0-or-later
#include "os/socket_library.h"

namespace marloven {

SocketLibraryUse::SocketLibraryUse() = default;

} // namespace marloven
