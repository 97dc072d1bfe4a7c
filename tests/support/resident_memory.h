// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>

namespace marloven::test {

// This process's resident memory in KB, from /proc/self/status (0 where there is none).
inline long ResidentKb() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').front().toLong();
        }
    }
    return 0;
}

} // namespace marloven::test
