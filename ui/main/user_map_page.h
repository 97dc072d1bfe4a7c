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
class UserMapPage : public Page {
  public:
    explicit UserMapPage(AppContext& context);
    // The box shows its own first text, not the stored map: the store is written, never
    // read, for the user map.
    void Load(const MainSettings&) override {}

    QLineEdit* userMapEdit = nullptr;
    QPushButton* browseButton = nullptr; // "Browse"
    QPlainTextEdit* mapNotesText = nullptr;

  private:
    void BrowseUserMap();

    AppContext& context_;
    StoreWriter store_;
};

} // namespace marloven
