// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/write_failure.h"

#include "core/file_io.h"

namespace marloven {

namespace {

std::error_code g_injectedFailure;
WriteFailureForTesting::Scope g_injectedScope = WriteFailureForTesting::Scope::EveryWrite;

} // namespace

// The tests' side of the seam in core/file_io.h.
std::error_code InjectedWriteFailure(WriteStep step) {
    using Scope = WriteFailureForTesting::Scope;
    switch (g_injectedScope) {
    case Scope::EveryWrite:
        return step == WriteStep::Flush ? std::error_code() : g_injectedFailure;
    case Scope::NewFiles:
        return step == WriteStep::NewFile ? g_injectedFailure : std::error_code();
    case Scope::Flush:
        return step == WriteStep::Flush ? g_injectedFailure : std::error_code();
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
