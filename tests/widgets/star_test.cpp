// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/gif_decoder.h"
#include "tests/widgets/gif_image_fixture.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace marloven::test {
namespace {

std::string CommittedStar() {
    std::ifstream in(MARLOVEN_SOURCE_DIR "/assets/star.gif", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(Star, FitsTheEmblemUnscaledAndTwinklesAtAGentlePace) {
    const std::string bytes = CommittedStar();
    GifDecoder file;
    ASSERT_TRUE(file.DecodeGif(std::string_view(bytes)));
    EXPECT_LE(file.imageWidth, 49);
    EXPECT_LE(file.imageHeight, 41);
    EXPECT_GE(file.FrameCount(), 4);
    EXPECT_TRUE(file.frames.front().transparent);
    for (const GifFrame& frame : file.frames) {
        // Fast enough to read as a twinkle, slow enough not to flicker or load the machine.
        EXPECT_GE(frame.delay, 50);
        EXPECT_LE(frame.delay, 3000);
    }

    StoneScene scene;
    scene.gif->SetAnimate(true);
    scene.Load(bytes);
    GifImage& star = *scene.gif;

    // The corners show the wall, the middle shows the star.
    const QImage rest = scene.Grab();
    EXPECT_EQ(rest.pixel(0, 0), StoneScene::Stone(0, 0));
    EXPECT_EQ(rest.pixel(48, 40), StoneScene::Stone(48, 40));
    const QColor arm = rest.pixelColor(file.imageWidth / 2, file.imageHeight / 4);
    EXPECT_GT(arm.red(), arm.blue() + 40) << "not gold";

    // One whole pass changes the picture and comes back to the resting star exactly.
    bool changed = false;
    scene.Tick(); // only times frame 1
    for (int frame = 2; frame <= file.FrameCount() + 1; ++frame) {
        scene.Tick();
        changed = changed || scene.Grab() != rest;
    }
    EXPECT_TRUE(changed);
    EXPECT_EQ(scene.Grab(), rest);
    EXPECT_TRUE(star.Timer().isActive()) << "the star twinkles on";
}

} // namespace
} // namespace marloven::test
