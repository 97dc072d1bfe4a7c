// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/dos_support.h"

#include <windows.h>

namespace marloven {

bool SystemRunsDosPrograms() {
    // The machine's own processor, not the one this program was built for: a 32-bit
    // launcher on a 64-bit Windows still has no DOS beneath it.
    SYSTEM_INFO info{};
    GetNativeSystemInfo(&info);
    return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_INTEL;
}

} // namespace marloven
