// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings.h"

#include <QString>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace marloven {

// Builders for the controls of the main window and its pages, each placed at its fixed
// position and named for the tests.

template <typename Widget>
Widget* Place(Widget* widget, const char* name, int x, int y, int width, int height) {
    widget->setObjectName(name);
    widget->setGeometry(x, y, width, height);
    return widget;
}

QLineEdit* AddEdit(QWidget* parent, const char* name, const QString& text, int x, int y, int width);
QComboBox* AddList(QWidget* parent, const char* name, const QStringList& items, int x, int y,
                   int width);
QCheckBox* AddCheck(QWidget* parent, const char* name, const QString& caption, int x, int y,
                    int width, bool ticked);
// A label as wide as its text.
QLabel* AddLabel(QWidget* parent, const QString& text, int x, int y);
// A note centred over the given width, wrapped when it is longer.
QLabel* AddNote(QWidget* parent, const QString& text, int x, int y, int width, int height);

// Sets a list to a chosen position, leaves it ("leave it"), or selects nothing ("none
// chosen", which also drops the list's initial text, so no stale port or colour stays
// on show).
void Select(QComboBox* list, ListChoice choice);

// The position of a list's chosen item; -1 when none is chosen, also when the player
// has typed over the text of an editable list.
int ListPosition(const QComboBox* list);

} // namespace marloven
