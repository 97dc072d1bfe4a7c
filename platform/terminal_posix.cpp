// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/terminal.h"

#include <unistd.h>

namespace marloven {

bool ErrorsReachATerminal() {
    return isatty(STDERR_FILENO) != 0;
}

} // namespace marloven
