// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/macro_page.h"

#include "core/settings.h"
#include "launcher/text_conversions.h"
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

TMacroPage::TMacroPage(AppContext& context, Forms& forms) : context_(context), forms_(forms) {
    setObjectName("MacroPage");
    AddCaption(this, "Commbat Macros", 8, 8)->setObjectName("MacroCaption");
    MacroList = Place(new QTreeWidget(this), "MacroList", 8, 26, 385, 173);
    MacroList->setColumnCount(2);
    MacroList->setHeaderLabels({"Macro #", "Macro"});
    MacroList->setRootIsDecorated(false);
    MacroList->setAllColumnsShowFocus(true);
    MacroList->header()->setStretchLastSection(false);
    MacroList->setColumnWidth(1, 296);
    MacroList->setItemDelegateForColumn(1, new NoEditDelegate(MacroList));
    MacroList->setEditTriggers(QAbstractItemView::EditKeyPressed |
                               QAbstractItemView::SelectedClicked);
    Button2 = AddButton(this, "Button2", "&Edit", 318, 204);

    DiscardTypedKeys(MacroList);
    MacroList->viewport()->installEventFilter(this);
    connect(Button2, &QPushButton::clicked, this, &TMacroPage::Button2Click);
}

void TMacroPage::FillMacroList() {
    MacroList->clear();
    const auto macros = ReadMacros(context_.store);
    for (int n = 0; n < kMacroCount; ++n) {
        auto* row = new QTreeWidgetItem(
            MacroList, {FromBytes(MacroCaption(n)), FromBytes(macros[static_cast<size_t>(n)])});
        row->setFlags(row->flags() | Qt::ItemIsEditable);
        // The row keeps its number, whatever the player makes of its caption.
        row->setData(0, Qt::UserRole, n);
    }
    // As wide as the heading, and the captions as filled, need in the list's own font.
    MacroList->resizeColumnToContents(0);
}

bool TMacroPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == MacroList->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        // "&Edit" once the list has taken the double click in: that cancels the caption
        // editing that the first click on a selected row starts after a pause.
        QMetaObject::invokeMethod(Button2, &QPushButton::click, Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}

void TMacroPage::Button2Click() {
    const QList<QTreeWidgetItem*> selected = MacroList->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    QTreeWidgetItem* row = selected.front();
    TEditMacro& dialog = *forms_.EditMacro;
    dialog.SetMacroText(ToBytes(row->text(1)));
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    // The number the row was filled with: the player may have renamed its caption.
    const int number = row->data(0, Qt::UserRole).toInt();
    row->setText(1, FromBytes(StoreMacro(context_.store, number, dialog.MacroText())));
}

} // namespace marloven
