// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>
#include <cstdint>

namespace marloven {

// Paints a stored picture over its whole rectangle on the parent's surface, with no
// native window of its own. It is opaque: the parent never paints beneath it, so it
// serves as the bottom layer of a window and the labels above it show it through.
//
// Without Stretch the control keeps the picture's size, even against a resize (the
// next paint restores it). With Stretch the picture is scaled, unsmoothed, over the
// control's rectangle.
class BitmapPanel : public QWidget {
    Q_OBJECT
  public:
    // TransparentColor value meaning "no colour replaced".
    static constexpr std::int32_t kNoColor = -1;

    explicit BitmapPanel(QWidget* parent = nullptr);

    const QImage& Picture() const { return picture_; }
    // Takes a copy of `picture` and sizes the control to it (32 for an empty side).
    void SetPicture(const QImage& picture);

    bool Stretch() const { return stretch_; }
    void SetStretch(bool on);

    // A colour as 0x00BBGGRR. At 0 or above, every pixel of exactly that colour is drawn
    // in the window's face colour; below 0 (system colours have the top bit set) the
    // picture is drawn unchanged.
    std::int32_t TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(std::int32_t color);

    // The 0x00BBGGRR value of an RGB colour, as TransparentColor takes it.
    static std::int32_t ColorValue(QColor color);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage PictureToDraw() const;

    QImage picture_;
    bool stretch_ = false;
    std::int32_t transparentColor_ = kNoColor;
};

} // namespace marloven
