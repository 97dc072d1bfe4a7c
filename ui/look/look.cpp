// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/look/look.h"

#include "widgets/outlined_label.h"

#include <QComboBox>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QWidget>

namespace marloven {

QFont SansFont(int pixelSize, bool bold, bool italic) {
    QFont font("Liberation Sans");
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QFont FormFont() {
    return SansFont(11);
}

void PaintLimeOnBlack(QWidget* widget) {
    QPalette palette = widget->palette();
    for (const auto role : {QPalette::Base, QPalette::Window}) {
        palette.setColor(role, Qt::black);
    }
    // A closed drop-down list draws its face in the button colour.
    if (qobject_cast<QComboBox*>(widget)) {
        palette.setColor(QPalette::Button, Qt::black);
    }
    for (const auto role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText}) {
        palette.setColor(QPalette::Active, role, kLime);
        palette.setColor(QPalette::Inactive, role, kLime);
    }
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void PaintTextColor(QLabel* label, const QColor& color) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    label->setAutoFillBackground(false);
    label->setAttribute(Qt::WA_TranslucentBackground);
}

QLabel* AddStoneNote(QWidget* parent, const char* name, const QString& text, const QRect& box,
                     int pixelSize) {
    auto* note = new QLabel(text, parent);
    note->setObjectName(name);
    note->setGeometry(box);
    note->setWordWrap(true);
    note->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    note->setFont(SansFont(pixelSize, true));
    PaintTextColor(note, Qt::white);
    return note;
}

QPushButton* AddButton(QWidget* parent, const char* name, const QString& caption, int x, int y,
                       int width) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(x, y, width, 25);
    return button;
}

OutlinedLabel* AddTitle(QWidget* form) {
    auto* title = new OutlinedLabel("MARLOVEN 95", SansFont(24, true, true), Qt::red, form);
    title->setObjectName("Title");
    title->PlaceText(73, 9, QSize(273, 28));
    return title;
}

QLabel* AddSubtitle(QWidget* form) {
    auto* subtitle = new QLabel("Kaboro Front-End for Velkarans version 1.00", form);
    subtitle->setObjectName("Subtitle");
    subtitle->setFont(SansFont(13, true));
    PaintTextColor(subtitle, Qt::white);
    return subtitle;
}

OutlinedLabel* AddCaption(QWidget* parent, const QString& text, int x, int y) {
    QFont font = FormFont();
    font.setBold(true);
    auto* caption = new OutlinedLabel(text, font, Qt::white, parent);
    caption->PlaceText(x, y);
    return caption;
}

OutlinedLabel* AddCaption(QWidget* parent, const QString& text, const QRect& box, int pointSize,
                          Qt::Alignment alignment) {
    QFont font;
    font.setFamilies({"Arial", "Liberation Sans"});
    font.setPointSize(pointSize);
    font.setBold(true);
    auto* caption = new OutlinedLabel(text, font, Qt::white, parent);
    caption->SetAlignment(alignment);
    caption->SetWordWrap(true);
    caption->PlaceText(box.x(), box.y(), box.size());
    return caption;
}

} // namespace marloven
