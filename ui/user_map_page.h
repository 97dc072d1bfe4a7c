#pragma once

#include "ui/store_writer.h"

#include <QWidget>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace marloven {

struct AppContext;

// " User Map ": a map file of the player's own for the game's next start.
class TUserMapPage : public QWidget {
  public:
    explicit TUserMapPage(AppContext& context);

    QLineEdit* UserMap = nullptr;
    QPushButton* Button4 = nullptr; // "Browse"
    QPlainTextEdit* MapNotes = nullptr;

  private:
    void Button4Click();

    AppContext& context_;
    StoreWriter store_;
};

} // namespace marloven
