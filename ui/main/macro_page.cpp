// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/macro_page.h"

#include "core/settings.h"
#include "qt_text/text_conversions.h"
#include "ui/app_context.h"
#include "ui/dialogs/macro_dialog.h"
#include "ui/look/char_filter.h"
#include "ui/look/look.h"
#include "ui/main/page_controls.h"
#include "ui/startup.h"
#include "widgets/outlined_label.h"

#include <QEvent>
#include <QHeaderView>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTreeWidget>

namespace marloven {

namespace {

// Only the first column of the macro list, the row's caption, is edited in place.
class NoEditDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget*, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        return nullptr;
    }
};

} // namespace

MacroPage::MacroPage(AppContext& context, Forms& forms) : context_(context), forms_(forms) {
    setObjectName("MacroPage");
    AddCaption(this, "Commbat Macros", 8, 8)->setObjectName("MacroCaption");
    macroList = Place(new QTreeWidget(this), "MacroList", 8, 26, 385, 173);
    macroList->setColumnCount(2);
    macroList->setHeaderLabels({"Macro #", "Macro"});
    macroList->setRootIsDecorated(false);
    macroList->setAllColumnsShowFocus(true);
    macroList->header()->setStretchLastSection(false);
    macroList->setColumnWidth(1, 296);
    macroList->setItemDelegateForColumn(1, new NoEditDelegate(macroList));
    macroList->setEditTriggers(QAbstractItemView::EditKeyPressed |
                               QAbstractItemView::SelectedClicked);
    editButton = AddButton(this, "Button2", "&Edit", 318, 204);

    DiscardTypedKeys(macroList);
    macroList->viewport()->installEventFilter(this);
    connect(editButton, &QPushButton::clicked, this, &MacroPage::EditSelectedMacro);
}

void MacroPage::FillMacroList() {
    macroList->clear();
    const auto macros = ReadMacros(context_.store);
    for (int n = 0; n < kMacroCount; ++n) {
        auto* row = new QTreeWidgetItem(
            macroList, {FromBytes(MacroCaption(n)), FromBytes(macros[static_cast<size_t>(n)])});
        row->setFlags(row->flags() | Qt::ItemIsEditable);
        // The row keeps its number, whatever the player makes of its caption.
        row->setData(0, Qt::UserRole, n);
    }
    // As wide as the heading, and the captions as filled, need in the list's own font.
    macroList->resizeColumnToContents(0);
}

bool MacroPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == macroList->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        // "&Edit" once the list has taken the double click in: that cancels the caption
        // editing that the first click on a selected row starts after a pause.
        QMetaObject::invokeMethod(editButton, &QPushButton::click, Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}

void MacroPage::EditSelectedMacro() {
    const QList<QTreeWidgetItem*> selected = macroList->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    QTreeWidgetItem* row = selected.front();
    MacroDialog& dialog = *forms_.macroDialog;
    dialog.SetMacroText(ToBytes(row->text(1)));
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    // The number the row was filled with: the player may have renamed its caption.
    const int number = row->data(0, Qt::UserRole).toInt();
    row->setText(1, FromBytes(StoreMacro(context_.store, number, dialog.MacroText())));
}

} // namespace marloven
