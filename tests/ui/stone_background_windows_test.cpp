// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/ui/launcher_fixture.h"

#include "ui/dialogs/about_box.h"
#include "ui/dialogs/config_viewer.h"
#include "ui/dialogs/macro_dialog.h"
#include "ui/dialogs/phonebook_entry_dialog.h"
#include "ui/dialogs/pick_opponent_dialog.h"
#include "ui/dialogs/players_dialog.h"
#include "ui/dialogs/select_modem_dialog.h"
#include "widgets/bitmap_panel.h"
#include "widgets/outlined_label.h"
#include "widgets/stone_background.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace marloven::test {
namespace {

// The share of the pixels of `area` (in `shown`'s coordinates) that are the wall's own
// pixel at that place, with the wall's top-left corner at `wallOrigin`. The wall's
// greys all have a bluish cast, so the window's plain greys never match by chance.
double WallShare(const QImage& shown, const QRect& area, QPoint wallOrigin) {
    const QImage& wall = StonePicture();
    int matching = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            matching += shown.pixel(x, y) == wall.pixel(QPoint(x, y) - wallOrigin);
        }
    }
    return double(matching) / (area.width() * area.height());
}

TEST(StoneBackground, LiesFirstBeneathEveryWindow) {
    Launcher launcher;
    Forms& forms = *launcher.forms;
    const struct {
        QWidget* surface;
        QPoint at;
    } windows[] = {
        // On the main window it lies in the client area, under the menu.
        {forms.mainWindow->centralWidget(), {1, 0}},
        {forms.selectModem.get(), {0, 0}},
        {forms.players.get(), {0, 0}},
        {forms.configViewer.get(), {0, 0}},
        {forms.aboutBox.get(), {0, -8}},
        {forms.phonebookEntry.get(), {0, 0}},
        {forms.macroDialog.get(), {0, 0}},
        {forms.pickOpponent.get(), {0, 0}},
    };
    for (const auto& window : windows) {
        const std::string name = window.surface->window()->windowTitle().toStdString();
        ASSERT_FALSE(window.surface->children().isEmpty()) << name;
        const auto* background = qobject_cast<BitmapPanel*>(window.surface->children().first());
        ASSERT_NE(background, nullptr) << name << ": the first child is not the wall";
        EXPECT_EQ(background->objectName(), "LrsBmp1") << name;
        EXPECT_EQ(background->geometry(), QRect(window.at, QSize(640, 480))) << name;
        EXPECT_FALSE(background->isHidden()) << name;
        EXPECT_FALSE(background->Stretch()) << name;
        EXPECT_EQ(background->TransparentColor(), BitmapPanel::kNoColor) << name;
        // The window is smaller than the wall and cuts it at its right and bottom.
        EXPECT_LT(window.surface->width(), 640 + window.at.x()) << name;
        EXPECT_LT(window.surface->height(), 480 + window.at.y()) << name;
    }
}

TEST(StoneBackground, ShowsThroughTheCaptionsButNotThroughTheControlsAbove) {
    Launcher launcher;
    MainWindow& main = launcher.Window();
    QWidget* client = main.centralWidget();
    const QImage shown = main.grab().toImage();
    const QPoint clientOrigin = client->mapTo(&main, QPoint(0, 0));
    const QPoint wallOrigin = clientOrigin + QPoint(1, 0);
    const auto inMain = [&](const QWidget* widget) {
        return QRect(widget->mapTo(&main, QPoint(0, 0)), widget->size());
    };

    // The captions paint their letters only: a box of their own would hide the wall.
    const QWidget* captions[] = {main.titleLabel, main.subtitleLabel,
                                 client->findChild<OutlinedLabel*>("PlayerNameCaption"),
                                 client->findChild<OutlinedLabel*>("PlayerColorCaption")};
    for (const QWidget* caption : captions) {
        ASSERT_NE(caption, nullptr);
        EXPECT_GT(WallShare(shown, inMain(caption), wallOrigin), 0.2)
            << caption->objectName().toStdString();
    }
    // The column left of the wall shows the window's face.
    const QRgb face = main.palette().window().color().rgb();
    for (int y = 0; y < client->height(); y += 7) {
        EXPECT_EQ(shown.pixel(clientOrigin + QPoint(0, y)), face) << "row " << y;
    }
    // Boxes and the tab area, tabs and pages alike, stand above the wall.
    EXPECT_EQ(WallShare(shown, inMain(main.playerNameEdit), wallOrigin), 0.0);
    EXPECT_EQ(WallShare(shown, inMain(main.pages), wallOrigin), 0.0);
    // Between the controls the wall is seen as it is.
    EXPECT_EQ(WallShare(shown, QRect(clientOrigin + QPoint(300, 112), QSize(130, 12)), wallOrigin),
              1.0);
}

TEST(StoneBackground, TheAboutBoxShowsTheWallEightPixelsHigher) {
    Launcher launcher;
    AboutBox& about = *launcher.forms->aboutBox;
    const QImage shown = about.grab().toImage();
    EXPECT_EQ(WallShare(shown, QRect(300, 130, 50, 40), QPoint(0, -8)), 1.0);
    EXPECT_GT(WallShare(shown, about.findChild<QLabel*>("Subtitle")->geometry(), QPoint(0, -8)),
              0.2);
}

// Lime is for the rows the player reads on black; on the light headings it would
// hardly show.
TEST(WindowLook, ThePhoneListHeadingsAreNotLime) {
    Launcher launcher;
    PickOpponentDialog& dial = *launcher.forms->pickOpponent;
    auto* headings = dial.findChild<QTreeWidget*>("PhoneList")->header();
    const QImage shown = headings->grab().toImage();
    int greenish = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const QColor colour = shown.pixelColor(x, y);
            greenish += colour.green() - colour.red() > 60;
        }
    }
    EXPECT_EQ(greenish, 0);
}

} // namespace
} // namespace marloven::test
