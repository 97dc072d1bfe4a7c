// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the launcher's animated star and writes it as a GIF with our own encoder:
//
//     make_star OUTPUT.gif
//
// The output is the same every time, so the committed picture can be checked against
// this program.

#include "tools/assets/star_gif.h"

#include <cstdio>
#include <fstream>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_star OUTPUT.gif\n";
        return 2;
    }
    // The star plays for ever: it rests for almost two seconds between twinkles, so it
    // costs next to nothing while the window stays open.
    const std::string bytes = marloven::star::StarGif(0);
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
