// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

namespace marloven {

struct MainSettings;

// A tab page of the main window. It fills its controls from VK.CFG once the store is
// loaded, and writes each change the player makes back into the store at once (through
// its StoreWriter), so that nothing waits for the page to be left.
class Page : public QWidget {
  public:
    using QWidget::QWidget;
    // Fills the controls from the settings just read from the store.
    virtual void Load(const MainSettings& settings) = 0;
};

} // namespace marloven
