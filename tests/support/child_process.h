// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>

namespace marloven::test {

// Waits for a process the test forked; its exit code, or -1 when a signal ended it.
inline int ExitCodeOf(pid_t child) {
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace marloven::test
#endif
