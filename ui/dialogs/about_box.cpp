// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/about_box.h"

#include "ui/look/look.h"
#include "widgets/star_emblem.h"
#include "widgets/stone_background.h"

#include <QLabel>
#include <QPushButton>

namespace marloven {

AboutBox::AboutBox(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName("AboutBox");
    setWindowTitle("About");
    setFont(FormFont());
    setFixedSize(354, 176);
    // The wall sits eight pixels higher here than on the main window.
    AddBackground(this, {0, -8});

    AddTitle(this);
    emblem = AddStar(this);
    QLabel* subtitle = AddSubtitle(this);
    subtitle->setGeometry(62, 38, 283, 43);
    subtitle->setWordWrap(true);
    subtitle->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    const char* const credits[] = {
        "Marloven: written by its players, for every Velkaran player.",
        "Stone, star and sounds made by hand for this launcher.",
        "Thanks to everyone who ever answered a call at 2 a.m.",
    };
    int top = 80;
    for (const char* credit : credits) {
        auto* line = new QLabel(credit, this);
        line->move(8, top);
        line->adjustSize();
        PaintLimeOnBlack(line);
        top += 16;
    }

    okButton = AddButton(this, "Button1", "OK", 160, 144, 51);
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace marloven
