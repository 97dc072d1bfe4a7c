// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the launcher's star as the desktop's icon:
//
//     make_icon SIDE OUTPUT.png    one PNG file, SIDE pixels wide and high
//     make_icon OUTPUT.ico         a Windows icon holding every size Windows asks for
//
// The build makes one PNG per size that icon themes look for; the Windows icon
// (assets/marloven.ico, for the program, its shortcuts and its installer) is made with
// the second form and kept with the other assets.

#include "tools/assets/star_gif.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

QByteArray StarPng(int side) {
    const auto rgba = marloven::star::StarIcon(side);
    const QImage image(rgba.data(), side, side, qsizetype{side} * 4, QImage::Format_RGBA8888);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

void AppendLittleEndian(QByteArray& out, unsigned value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.append(static_cast<char>((value >> (8 * i)) & 0xff));
    }
}

// An icon file whose images are PNGs, as Windows reads them from Vista on: the header,
// one directory entry per image, then the images.
QByteArray StarIco() {
    constexpr int kSides[] = {16, 20, 24, 32, 40, 48, 64, 256};
    constexpr int kCount = sizeof kSides / sizeof kSides[0];
    constexpr int kHeaderBytes = 6;
    constexpr int kEntryBytes = 16;
    QByteArray directory;
    AppendLittleEndian(directory, 0, 2);
    AppendLittleEndian(directory, 1, 2); // an icon, not a cursor
    AppendLittleEndian(directory, kCount, 2);
    QByteArray images;
    for (const int side : kSides) {
        const QByteArray png = StarPng(side);
        AppendLittleEndian(directory, side == 256 ? 0 : side, 1); // 0 stands for 256
        AppendLittleEndian(directory, side == 256 ? 0 : side, 1);
        AppendLittleEndian(directory, 0, 2); // no palette
        AppendLittleEndian(directory, 1, 2); // planes
        AppendLittleEndian(directory, 32, 2);
        AppendLittleEndian(directory, static_cast<unsigned>(png.size()), 4);
        AppendLittleEndian(
            directory, kHeaderBytes + kCount * kEntryBytes + static_cast<unsigned>(images.size()),
            4);
        images += png;
    }
    return directory + images;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2) {
        const char* output = argv[1];
        QFile file(QString::fromLocal8Bit(output));
        const QByteArray ico = StarIco();
        if (!file.open(QIODevice::WriteOnly) || file.write(ico) != ico.size()) {
            std::fprintf(stderr, "make_icon: cannot write %s\n", output);
            return 1;
        }
        return 0;
    }
    const int side = argc == 3 ? std::atoi(argv[1]) : 0;
    if (side < 8 || side > 1024) {
        std::fputs("usage: make_icon SIDE OUTPUT.png (SIDE from 8 to 1024)\n"
                   "       make_icon OUTPUT.ico\n",
                   stderr);
        return 2;
    }
    const QByteArray png = StarPng(side);
    QFile file(QString::fromLocal8Bit(argv[2]));
    if (png.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(png) != png.size()) {
        std::fprintf(stderr, "make_icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
