// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/main/page.h"

class QPushButton;
class QTreeWidget;

namespace marloven {

struct AppContext;
struct Forms;

// " Commbat Macros": the ten combat macros, each edited in the "Edit Macro" dialog and
// stored at once.
class MacroPage : public Page {
  public:
    // The forms are created after this page; it reaches them only once they exist.
    MacroPage(AppContext& context, Forms& forms);

    // Rebuilds the ten rows "Macro 0" to "Macro 9" from the store.
    void FillMacroList();
    void Load(const MainSettings&) override { FillMacroList(); }

    QTreeWidget* macroList = nullptr;
    QPushButton* editButton = nullptr; // "&Edit"; a double click in the list clicks it

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Edits the selected row's macro in the "Edit Macro" dialog and stores it.
    void EditSelectedMacro();

    AppContext& context_;
    Forms& forms_;
};

} // namespace marloven
