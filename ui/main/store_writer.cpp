// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/store_writer.h"

#include "core/cfg_store.h"
#include "qt_text/text_conversions.h"

#include <QLineEdit>

namespace marloven {

void StoreWriter::Set(const char* key, const QString& value, bool quoted) const {
    if (!filling_) {
        store_.CfgSet(key, ToBytes(value), quoted);
    }
}

void StoreWriter::FollowEdits(QLineEdit* box, const char* key, bool quoted) const {
    QObject::connect(box, &QLineEdit::textChanged, box,
                     [this, key, quoted](const QString& value) { Set(key, value, quoted); });
}

} // namespace marloven
