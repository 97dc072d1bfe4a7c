// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

namespace marloven {

// A caption drawn as a bold coloured text over eight black copies of itself, each
// shifted by one pixel in one of the eight directions. It has no background of its
// own, so whatever lies beneath (the stone) shows around the letters.
//
// The widget covers the coloured copy's box with a one-pixel margin for the outline.
class OutlinedLabel : public QWidget {
    Q_OBJECT
  public:
    OutlinedLabel(const QString& text, const QFont& font, const QColor& color, QWidget* parent);

    // Places the coloured copy at (x, y) of the parent, in a box of the given size
    // (a default size fits the text).
    void PlaceText(int x, int y, QSize box = {});
    void SetAlignment(Qt::Alignment alignment);
    void SetWordWrap(bool on);
    QString Text() const { return text_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString text_;
    QColor color_;
    Qt::Alignment alignment_ = Qt::AlignLeft | Qt::AlignTop;
    bool wordWrap_ = false;
};

} // namespace marloven
