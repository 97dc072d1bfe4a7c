// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/write_failure.h"

#include "core/file_io.h"

namespace marloven {

namespace {

std::error_code g_injectedFailure;
WriteFailureForTesting::Scope g_injectedScope = WriteFailureForTesting::Scope::EveryWrite;

} // namespace

// The tests' side of the seam in core/file_io.h.
std::error_code InjectedWriteFailure(bool newFile) {
    if (newFile || g_injectedScope == WriteFailureForTesting::Scope::EveryWrite) {
        return g_injectedFailure;
    }
    return {};
}

WriteFailureForTesting::WriteFailureForTesting(std::error_code error, Scope scope) {
    g_injectedFailure = error;
    g_injectedScope = scope;
}

WriteFailureForTesting::~WriteFailureForTesting() {
    g_injectedFailure.clear();
    g_injectedScope = Scope::EveryWrite;
}

} // namespace marloven
