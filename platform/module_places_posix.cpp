// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/module_places.h"

#include <QCoreApplication>

namespace marloven {

QStringList ModulePlaces(const char* fileName) {
    const QString name = QString::fromUtf8(fileName);
    const QString programDir = QCoreApplication::applicationDirPath();
    QStringList places = {programDir + '/' + name,
                          programDir + "/../" MARLOVEN_MODULE_INSTALL_DIR "/" + name};
    const QString named = qEnvironmentVariable("MARLOVEN_MODULE_DIR");
    if (!named.isEmpty()) {
        places.prepend(named + '/' + name);
    }
    return places;
}

} // namespace marloven
