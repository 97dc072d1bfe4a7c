// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/star_emblem.h"

#include "widgets/gif_image.h"

namespace marloven {

GifImage* AddStar(QWidget* window) {
    auto* star = new GifImage(window);
    star->setObjectName("GIFImage1");
    // The order a window built from its stored description assigns them in: Animate
    // comes before there are frames, so it only stores the flag, and the first repaint
    // after the load starts the timer.
    star->setGeometry(8, 8, 49, 41);
    star->SetAnimate(true);
    star->SetAutoSize(false);
    star->SetCenter(false);
    star->SetCurrentFrame(1);
    try {
        star->SetFileName(kStarFileName);
    } catch (const GifLoadAborted&) {
        // A damaged star is no reason to keep the launcher from opening.
    }
    star->SetLoop(false);
    star->SetStretch(false);
    star->SetTile(false);
    star->SetPictureVisible(true);
    star->show();
    return star;
}

} // namespace marloven
