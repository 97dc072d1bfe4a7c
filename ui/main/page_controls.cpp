// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/page_controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace marloven {

QLineEdit* AddEdit(QWidget* parent, const char* name, const QString& text, int x, int y,
                   int width) {
    return Place(new QLineEdit(text, parent), name, x, y, width, 21);
}

QComboBox* AddList(QWidget* parent, const char* name, const QStringList& items, int x, int y,
                   int width) {
    auto* list = Place(new QComboBox(parent), name, x, y, width, 21);
    list->addItems(items);
    return list;
}

QCheckBox* AddCheck(QWidget* parent, const char* name, const QString& caption, int x, int y,
                    int width, bool ticked) {
    auto* check = Place(new QCheckBox(caption, parent), name, x, y, width, 17);
    check->setChecked(ticked);
    return check;
}

QLabel* AddLabel(QWidget* parent, const QString& text, int x, int y) {
    auto* label = new QLabel(text, parent);
    label->move(x, y);
    label->adjustSize();
    return label;
}

QLabel* AddNote(QWidget* parent, const QString& text, int x, int y, int width, int height) {
    auto* note = new QLabel(text, parent);
    note->setGeometry(x, y, width, height);
    note->setAlignment(Qt::AlignCenter);
    note->setWordWrap(true);
    return note;
}

void Select(QComboBox* list, ListChoice choice) {
    if (!choice) {
        return;
    }
    if (*choice < 0) {
        list->setPlaceholderText(QString());
    }
    list->setCurrentIndex(*choice);
}

int ListPosition(const QComboBox* list) {
    const int position = list->currentIndex();
    if (position >= 0 && list->isEditable() && list->currentText() != list->itemText(position)) {
        return -1;
    }
    return position;
}

} // namespace marloven
