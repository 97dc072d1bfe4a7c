// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <filesystem>
#include <string>
#include <string_view>

class QLabel;
class QPushButton;
class QWidget;

namespace marloven {

class OutlinedLabel;

// The game's own colours for edit boxes, lists and credits.
inline const QColor kLime{0, 255, 0};

// Liberation Sans stands in for Arial and for MS Sans Serif: it has Arial's metrics,
// and at 11 pixels it fills the boxes laid out for MS Sans Serif 8 point.
QFont SansFont(int pixelSize, bool bold = false, bool italic = false);
// The windows' default font.
QFont FormFont();

// Lime text on a black ground, for the boxes the player types into.
void PaintLimeOnBlack(QWidget* widget);
// A plain label with a transparent ground and the given text colour.
void PaintTextColor(QLabel* label, const QColor& color);

// Bold white words on the stone, wrapped from the top left of `box`: a window's notes,
// which read on any wall. Named for the tests.
QLabel* AddStoneNote(QWidget* parent, const char* name, const QString& text, const QRect& box,
                     int pixelSize);

// A push button of the windows' usual height, 25 pixels, named for the tests.
QPushButton* AddButton(QWidget* parent, const char* name, const QString& caption, int x, int y,
                       int width = 75);

// "MARLOVEN 95" in red over its black outline, with its coloured copy at 73, 9.
OutlinedLabel* AddTitle(QWidget* form);
// The white subtitle under the title; the caller places it.
QLabel* AddSubtitle(QWidget* form);
// A bold white caption over its black outline, with its white copy at x, y.
OutlinedLabel* AddCaption(QWidget* parent, const QString& text, int x, int y);
// The same in Arial bold of the given size, wrapped and aligned in a box of the parent.
OutlinedLabel* AddCaption(QWidget* parent, const QString& text, const QRect& box, int pointSize,
                          Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop);

} // namespace marloven
