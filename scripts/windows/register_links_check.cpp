// SPDX-License-Identifier: GPL-3.0-or-later
// Registers marloven: links for the program named, for scripts/check-windows under Wine:
//   register_links_check PROGRAM
// prints what it did, and ends with 1 when it could not.
#include "platform/link_handler.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    const auto registration = marloven::RegisterLinks(argv[1]);
    std::printf("%s\n", registration.message.c_str());
    return registration.done ? 0 : 1;
}
