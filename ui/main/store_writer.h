// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QScopedValueRollback>
#include <QString>

class QLineEdit;

namespace marloven {

class CfgStore;

// Writes the player's changes into the configuration store as they are made, but not
// the changes the window makes itself while it fills its controls from the store.
class StoreWriter {
  public:
    explicit StoreWriter(CfgStore& store) : store_(store) {}

    void Set(const char* key, const QString& value, bool quoted) const;
    // Writes the box's text under key at each change.
    void FollowEdits(QLineEdit* box, const char* key, bool quoted) const;
    // Nothing is written for as long as the returned guard lives.
    [[nodiscard]] QScopedValueRollback<bool> Filling() {
        return QScopedValueRollback<bool>(filling_, true);
    }

  private:
    CfgStore& store_;
    bool filling_ = false;
};

} // namespace marloven
