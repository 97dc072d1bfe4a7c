// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/ui/launcher_fixture.h"

#include "ui/dialogs/about_box.h"
#include "widgets/gif_image.h"

#include <QPushButton>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace marloven::test {
namespace {

std::string CommittedStar() {
    std::ifstream in(MARLOVEN_SOURCE_DIR "/assets/star.gif", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The windows are built with the given star.gif (none when empty) in the current
// directory, which is the game directory at start-up.
struct StarredLauncher {
    explicit StarredLauncher(const std::string& star)
        : stars(star.empty() ? GameDir() : GameDir({{"star.gif", star}})), here(stars.Path()) {}

    std::vector<std::pair<GifImage*, QWidget*>> Stars() const {
        return {{launcher.Window().emblem, launcher.Window().centralWidget()},
                {launcher.forms->aboutBox->emblem, launcher.forms->aboutBox.get()}};
    }

    GameDir stars;
    CurrentDirectory here;
    Launcher launcher;
};

// The window's pixels in the star's rectangle, with the star and without it.
std::pair<QImage, QImage> WithAndWithout(GifImage* star, QWidget* window) {
    const QRect place(8, 8, 49, 41);
    const QImage with = window->grab(place).toImage();
    star->hide();
    const QImage without = window->grab(place).toImage();
    star->show();
    return {with, without};
}

TEST(StarOnTheWindows, BothWindowsShowTheAnimatedStarInTheirTopLeftCorner) {
    StarredLauncher starred(CommittedStar());
    for (auto [star, window] : starred.Stars()) {
        ASSERT_NE(star, nullptr);
        EXPECT_EQ(star->parentWidget(), window);
        EXPECT_EQ(star->objectName(), "GIFImage1");

        // Transparent corners show the window beneath; the middle shows the star.
        const auto [with, without] = WithAndWithout(star, window);
        EXPECT_EQ(with.pixel(0, 0), without.pixel(0, 0));
        EXPECT_NE(with.pixel(24, 22), without.pixel(24, 22));
        EXPECT_TRUE(star->Timer().isActive()) << "painting the window starts the star";
    }
}

TEST(StarOnTheWindows, WithoutAStarOrWithABrokenOneTheWindowsOpenPlain) {
    for (const std::string star : {"", "not a picture at all"}) {
        StarredLauncher starred(star);
        EXPECT_NE(starred.launcher.forms->aboutBox->okButton, nullptr);
        EXPECT_NE(starred.launcher.Window().exitButton, nullptr);
        for (auto [gif, window] : starred.Stars()) {
            ASSERT_NE(gif, nullptr);
            const auto [with, without] = WithAndWithout(gif, window);
            EXPECT_EQ(with, without) << star;
            EXPECT_FALSE(gif->Timer().isActive());
        }
    }
}

} // namespace
} // namespace marloven::test
