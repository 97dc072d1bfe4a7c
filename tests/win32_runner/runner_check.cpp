// SPDX-License-Identifier: GPL-3.0-or-later
// Starts programs through the Windows runner, for scripts/check-windows under Wine:
//   runner_check PROGRAM ARGUMENTS DIRECTORY [PROGRAM ARGUMENTS DIRECTORY ...]
// prints one outcome a line (Ended, NotFound, CouldNotStart). The arguments are a line
// of switches, as the main window composes them.
#include "launcher/game_runner.h"

#include <cstdio>

int main(int argc, char** argv) {
    const char* outcomes[] = {"Ended", "NotFound", "CouldNotStart", "Refused"};
    marloven::DirectGameRunner runner(marloven::MakeSystemProgramRunner());
    for (int i = 1; i + 2 < argc; i += 3) {
        const auto outcome = runner.Run({argv[i], argv[i + 1], argv[i + 2]});
        std::printf("%s\n", outcomes[static_cast<int>(outcome.outcome)]);
    }
}
