// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace marloven {

// Whether the launcher's error output reaches a terminal, where a person reads it.
// Started from the desktop's menu it does not, and a message must show in a window.
bool ErrorsReachATerminal();

} // namespace marloven
