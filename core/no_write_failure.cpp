// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/file_io.h"

namespace marloven {

std::error_code InjectedWriteFailure(WriteStep) {
    return {};
}

} // namespace marloven
