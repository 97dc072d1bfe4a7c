// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/main/page.h"
#include "ui/main/store_writer.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace marloven {

struct AppContext;

// " User Map ": a map file of the player's own for the game's next start.
class TUserMapPage : public Page {
  public:
    explicit TUserMapPage(AppContext& context);
    // The box shows its own first text, not the stored map: the store is written, never
    // read, for the user map.
    void Load(const MainSettings&) override {}

    QLineEdit* UserMap = nullptr;
    QPushButton* Button4 = nullptr; // "Browse"
    QPlainTextEdit* MapNotes = nullptr;

  private:
    void Button4Click();

    AppContext& context_;
    StoreWriter store_;
};

} // namespace marloven
