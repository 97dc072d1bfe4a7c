// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/user_map_page.h"

#include "core/settings.h"
#include "qt_text/text_conversions.h"
#include "ui/app_context.h"
#include "ui/look/look.h"
#include "ui/main/page_controls.h"
#include "ui/prompter.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace marloven {

UserMapPage::UserMapPage(AppContext& context) : context_(context), store_(context.store) {
    setObjectName("UserMapPage");
    AddLabel(this, "User Map to Load:", 8, 12);
    userMapEdit = AddEdit(this, "UserMap", "UserMap", 8, 28, 305);
    browseButton = AddButton(this, "Button4", "Browse", 318, 26);
    AddLabel(this, "Map Notes", 8, 62);
    mapNotesText = Place(new QPlainTextEdit(this), "MapNotes", 8, 78, 385, 149);
    QFont terminal("Terminal");
    terminal.setStyleHint(QFont::TypeWriter);
    terminal.setPixelSize(12);
    mapNotesText->setFont(terminal);
    mapNotesText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mapNotesText->setPlainText("\nName a map file of your own above, or Browse.\n"
                               "The game loads it at its next start.");

    store_.FollowEdits(userMapEdit, cfg_key::kUserMap, true);
    connect(browseButton, &QPushButton::clicked, this, &UserMapPage::BrowseUserMap);
}

void UserMapPage::BrowseUserMap() {
    const auto chosen =
        context_.prompter.AskOpenFileName(QStringFromPath(context_.startDir), QString());
    if (chosen) {
        userMapEdit->setText(FromBytes(MapPathFor(context_.startDir, PathFromQString(*chosen))));
    }
}

} // namespace marloven
