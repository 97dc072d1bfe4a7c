// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/terminal.h"

#include <cstdio>
#include <io.h>

namespace marloven {

// The launcher is a windowed program: it has a console only when one was given to it.
bool ErrorsReachATerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

} // namespace marloven
