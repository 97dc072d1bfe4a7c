// SPDX-License-Identifier: GPL-3.0-or-later
// A DOSBox of our own that does what a test asks of it, on every system (a shell script
// would not run on Windows):
//
//   fake_dosbox --version           prints a version as DOSBox does
//   FAKE_DOSBOX=error fake_dosbox   says "Exit to error: Can't init SDL" and ends with 0
//   FAKE_DOSBOX=code1 fake_dosbox   prints a line and ends with 1
//   FAKE_DOSBOX=crash fake_dosbox   crashes
//
// and otherwise ends with 0 at once.

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("\nDOSBox version 9.9, ours");
        return 0;
    }
    const char* does = std::getenv("FAKE_DOSBOX");
    const char* wanted = does == nullptr ? "" : does;
    if (std::strcmp(wanted, "error") == 0) {
        std::puts("Exit to error: Can't init SDL");
        return 0;
    }
    if (std::strcmp(wanted, "code1") == 0) {
        std::puts("starting");
        return 1;
    }
    if (std::strcmp(wanted, "crash") == 0) {
        std::fflush(stdout);
        __builtin_trap();
    }
    return 0;
}
