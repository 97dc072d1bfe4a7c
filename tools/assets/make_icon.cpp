// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the launcher's star as the desktop's icon and writes it as a PNG file:
//
//     make_icon SIDE OUTPUT.png
//
// SIDE is the icon's width and height in pixels; the build makes one file per size
// that icon themes look for.

#include "tools/assets/star_gif.h"

#include <QImage>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const int side = argc == 3 ? std::atoi(argv[1]) : 0;
    if (side < 8 || side > 1024) {
        std::fputs("usage: make_icon SIDE OUTPUT.png (SIDE from 8 to 1024)\n", stderr);
        return 2;
    }
    const auto rgba = marloven::star::StarIcon(side);
    const QImage image(rgba.data(), side, side, qsizetype{side} * 4, QImage::Format_RGBA8888);
    if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "make_icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
