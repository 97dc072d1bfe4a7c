// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace marloven {

// Whether this system starts DOS programs itself: a 32-bit Windows does; a 64-bit
// Windows and every other system need DOSBox for them.
bool SystemRunsDosPrograms();

} // namespace marloven
