// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/errors.h"

namespace marloven {

std::string CannotOpenFileMessage(const std::string& fileName) {
    return "Cannot open file " + fileName;
}

std::string CannotCreateFileMessage(const std::string& fileName) {
    return "Cannot create file " + fileName;
}

} // namespace marloven
