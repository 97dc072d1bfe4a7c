// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/stone_background.h"

#include "widgets/bitmap_panel.h"

// The resource lives in a static library, whose registration the linker would drop
// unless something refers to it; this must stand outside any namespace.
static void RegisterStoneResource() {
    Q_INIT_RESOURCE(stone);
}

namespace marloven {

const QImage& StonePicture() {
    static const QImage kPicture = [] {
        RegisterStoneResource();
        return QImage(":/marloven/stone.bmp");
    }();
    return kPicture;
}

BitmapPanel* AddBackground(QWidget* window, QPoint at) {
    auto* background = new BitmapPanel(window);
    background->setObjectName("LrsBmp1");
    background->SetPicture(StonePicture());
    background->move(at);
    background->lower();
    background->show();
    return background;
}

} // namespace marloven
