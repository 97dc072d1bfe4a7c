// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/bitmap_panel.h"

#include <QPainter>
#include <algorithm>

namespace marloven {

namespace {

constexpr int kEmptySide = 32;

int SideOrDefault(int side) {
    return side == 0 ? kEmptySide : side;
}

} // namespace

BitmapPanel::BitmapPanel(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(kEmptySide, kEmptySide);
}

void BitmapPanel::SetPicture(const QImage& picture) {
    picture_ = picture;
    resize(width(), SideOrDefault(picture_.height()));
    resize(SideOrDefault(picture_.width()), height());
    update();
}

void BitmapPanel::SetStretch(bool on) {
    if (on != stretch_) {
        stretch_ = on;
        update();
    }
}

void BitmapPanel::SetTransparentColor(std::int32_t color) {
    if (color != transparentColor_) {
        transparentColor_ = color;
        update();
    }
}

std::int32_t BitmapPanel::ColorValue(QColor color) {
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

QImage BitmapPanel::PictureToDraw() const {
    // A value with bits above the 24 colour bits matches no pixel.
    if (transparentColor_ < 0 || transparentColor_ > 0xFFFFFF) {
        return picture_;
    }
    // The colour is painted over, not cut out: nothing beneath the control may show.
    QImage copy = picture_.convertToFormat(QImage::Format_RGB32);
    const QRgb face = palette().color(QPalette::Window).rgb();
    const QRgb wanted = qRgb(transparentColor_ & 0xFF, (transparentColor_ >> 8) & 0xFF,
                             (transparentColor_ >> 16) & 0xFF);
    for (int y = 0; y < copy.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(copy.scanLine(y));
        std::replace(line, line + copy.width(), wanted, face);
    }
    return copy;
}

void BitmapPanel::paintEvent(QPaintEvent*) {
    const QRect area = rect();
    QPainter painter(this);
    if (picture_.height() <= 0) {
        painter.fillRect(area, Qt::white);
        return;
    }
    if (!stretch_) {
        resize(picture_.width(), height());
        resize(width(), picture_.height());
    }
    // Without Stretch the area already has the picture's size except right after a
    // resize, whose repaint follows at once. No smoothing: the stone stays crisp.
    painter.drawImage(area, PictureToDraw(), picture_.rect());
}

} // namespace marloven
