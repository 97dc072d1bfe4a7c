// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/outlined_label.h"

#include <QFontMetrics>
#include <QPainter>

namespace marloven {

OutlinedLabel::OutlinedLabel(const QString& text, const QFont& font, const QColor& color,
                             QWidget* parent)
    : QWidget(parent), text_(text), color_(color) {
    setFont(font);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
}

void OutlinedLabel::PlaceText(int x, int y, QSize box) {
    if (box.isEmpty()) {
        box = QFontMetrics(font()).size(0, text_);
    }
    setGeometry(x - 1, y - 1, box.width() + 2, box.height() + 2);
}

void OutlinedLabel::SetAlignment(Qt::Alignment alignment) {
    alignment_ = alignment;
    update();
}

void OutlinedLabel::SetWordWrap(bool on) {
    wordWrap_ = on;
    update();
}

void OutlinedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    const int flags = static_cast<int>(alignment_) | (wordWrap_ ? Qt::TextWordWrap : 0);
    const QRect box = rect().adjusted(1, 1, -1, -1);
    painter.setPen(Qt::black);
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            if (dx != 0 || dy != 0) {
                painter.drawText(box.translated(dx, dy), flags, text_);
            }
        }
    }
    painter.setPen(color_);
    painter.drawText(box, flags, text_);
}

} // namespace marloven
