// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/widgets/gif_image_fixture.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>

namespace marloven::test {
namespace {

// Three frames filled whole in red, blue and green, 250, 120 and 60 ms; the distinct
// delays show which frame a tick timed.
std::string ThreeFrames(std::optional<int> loopCount = std::nullopt) {
    return MakeGif(49, 41,
                   {Filled(0, 0, 49, 41, kRedIndex, 25), Filled(0, 0, 49, 41, kBlueIndex, 12),
                    Filled(0, 0, 49, 41, kGreenIndex, 6)},
                   loopCount);
}

// Loads the file with Animate on and lets the window paint once, which starts the timer.
void StartAnimating(StoneScene& scene, const std::string& bytes) {
    scene.gif->SetAnimate(true);
    scene.Load(bytes);
    scene.Grab();
}

// The frames shown after each tick until the timer stops (at most `limit` ticks).
std::string PlayToTheEnd(StoneScene& scene, int limit = 60) {
    std::string shown;
    for (int i = 0; i < limit && scene.gif->Timer().isActive(); ++i) {
        scene.Tick();
        const QRgb colour = scene.Shown();
        shown += colour == kRed ? 'R' : colour == kBlue ? 'B' : colour == kGreen ? 'G' : '?';
    }
    return shown;
}

TEST(GifImageLoad, ALoadDrawsFrameOneAndWaitsForTheFirstRepaint) {
    EXPECT_EQ(GifImage().size(), QSize(105, 105));
    StoneScene scene;
    GifImage& gif = *scene.gif;
    std::vector<std::string> calls;
    gif.onChanging = [&](GifImage&) { calls.push_back("changing"); };
    gif.onChange = [&](GifImage&) { calls.push_back("change"); };
    gif.SetAnimate(true); // before there are frames: only stored
    EXPECT_FALSE(gif.Timer().isActive());

    scene.Load(ThreeFrames());
    EXPECT_EQ(calls, (std::vector<std::string>{"changing", "change"}));
    EXPECT_FALSE(gif.Timer().isActive()) << "the timer waits for the first repaint";
    EXPECT_EQ(scene.Shown(), kRed);
    EXPECT_TRUE(gif.Timer().isActive());
    EXPECT_EQ(gif.Timer().interval(), 1);

    // The change is told once frame 1 is there to be painted.
    StoneScene still;
    QRgb shownAtChange = 0;
    still.gif->onChange = [&](GifImage& sender) {
        shownAtChange = sender.grab().toImage().pixel(0, 0);
    };
    still.Load(ThreeFrames());
    EXPECT_EQ(shownAtChange, kRed);
}

TEST(GifImageLoad, LoadingAgainStartsTheAnimationOver) {
    StoneScene scene;
    StartAnimating(scene, ThreeFrames(2));
    scene.Tick(5);
    ASSERT_EQ(scene.Shown(), kBlue);

    scene.Load(ThreeFrames(2));
    EXPECT_FALSE(scene.gif->Timer().isActive());
    EXPECT_EQ(scene.gif->Timer().interval(), 1);
    // Frame 1 again, its first tick only timing it, and both passes to play.
    EXPECT_EQ(scene.Shown(), kRed);
    EXPECT_EQ(PlayToTheEnd(scene), "RBGRBG");
}

TEST(GifImageLoad, AMissingFileChangesNothing) {
    StoneScene scene;
    GifImage& gif = *scene.gif;
    scene.Load(ThreeFrames());

    scene.dir.Write("folder.gif/inside", "");
    for (const auto& name : {scene.dir / "absent.gif", scene.dir / "folder.gif"}) {
        EXPECT_FALSE(gif.LoadFromFile(QString::fromStdString(name.string())));
        EXPECT_EQ(scene.Shown(), kRed);
    }
}

TEST(GifImageLoad, AFileThatIsNotAGifAbortsSilentlyAndLeavesNoPicture) {
    for (const std::string bytes : {"", "GI", "\x89PNG\r\n\x1a\n....", "gif89a"}) {
        StoneScene scene;
        GifImage& gif = *scene.gif;
        StartAnimating(scene, ThreeFrames());
        scene.dir.Write("bad.gif", bytes);
        const QString name = QString::fromStdString((scene.dir / "bad.gif").string());
        EXPECT_THROW(gif.SetFileName(name), GifLoadAborted) << bytes;
        EXPECT_STREQ(GifLoadAborted().what(), "");
        EXPECT_FALSE(gif.Timer().isActive());
        // The picture shown before is gone: the wall shows.
        const QImage shown = scene.Grab();
        EXPECT_EQ(shown.pixel(0, 0), StoneScene::Stone(0, 0)) << bytes;
        EXPECT_EQ(shown.pixel(48, 40), StoneScene::Stone(48, 40)) << bytes;
        EXPECT_FALSE(gif.Timer().isActive());
    }
    // A GIF with more than 16 MB after it would be read whole before the decoder could
    // stop: it is not read at all, and shows nothing.
    StoneScene scene;
    scene.dir.Write("huge.gif", ThreeFrames());
    std::filesystem::resize_file(scene.dir / "huge.gif", (std::uintmax_t{16} << 20) + 1);
    EXPECT_THROW(scene.gif->SetFileName(QString::fromStdString((scene.dir / "huge.gif").string())),
                 GifLoadAborted);
    EXPECT_EQ(scene.Shown(), StoneScene::Stone(0, 0));
}

TEST(GifImageLoad, AutoSizeGivesTheControlThePictureSize) {
    StoneScene scene;
    GifImage& gif = *scene.gif;
    gif.move(3, 4);
    scene.Load(MakeGif(37, 23, {Marked(37, 23)}));
    EXPECT_EQ(gif.size(), QSize(49, 41)) << "AutoSize is off";
    gif.SetAutoSize(true);
    EXPECT_EQ(gif.geometry(), QRect(3, 4, 37, 23));

    gif.resize(60, 60);
    scene.Load(MakeGif(21, 17, {Marked(21, 17)}));
    EXPECT_EQ(gif.geometry(), QRect(3, 4, 21, 17));
}

TEST(GifImageTiming, OneFrameIsDrawnOnceAndNeverStartsTheTimer) {
    StoneScene scene;
    GifImage& gif = *scene.gif;
    StartAnimating(scene, MakeGif(49, 41, {Marked(49, 41)}, 0));
    EXPECT_EQ(scene.Shown(), kRed);
    EXPECT_FALSE(gif.Timer().isActive());
    gif.SetLoop(true);
    gif.SetAnimate(false);
    gif.SetAnimate(true);
    gif.SetSpeed(300);
    scene.Grab();
    EXPECT_FALSE(gif.Timer().isActive());
}

TEST(GifImageTiming, TheFirstTickOnlySchedulesFrameOne) {
    StoneScene scene;
    GifImage& gif = *scene.gif;
    StartAnimating(scene, ThreeFrames());
    int changes = 0;
    gif.onChange = [&](GifImage&) { ++changes; };

    scene.Tick();
    EXPECT_EQ(scene.Shown(), kRed);
    EXPECT_EQ(gif.Timer().interval(), 250);
    scene.Tick();
    EXPECT_EQ(scene.Shown(), kBlue);
    EXPECT_EQ(gif.Timer().interval(), 120);
    EXPECT_EQ(changes, 2);
}

TEST(GifImageTiming, AHiddenWindowStopsTheTimerAndShowingItAgainGoesOn) {
    // While the game runs the launcher is hidden and must not wake for the star.
    StoneScene scene;
    GifImage& gif = *scene.gif;
    StartAnimating(scene, ThreeFrames());
    scene.window.show();
    scene.Grab();
    scene.Tick();
    ASSERT_TRUE(gif.Timer().isActive());
    scene.window.hide();
    EXPECT_FALSE(gif.Timer().isActive());
    scene.window.show();
    EXPECT_TRUE(gif.Timer().isActive());
    scene.Tick();
    EXPECT_EQ(scene.Shown(), kBlue) << "frame 2 follows where it stopped";
}

TEST(GifImageTiming, RepaintsDoNotPostponeTheNextFrame) {
    StoneScene scene;
    StartAnimating(scene, ThreeFrames());
    scene.Tick();
    ASSERT_EQ(scene.gif->Timer().interval(), 250);
    QThread::msleep(60);
    scene.Grab(); // a window repainting often must not keep restarting the wait
    EXPECT_LE(scene.gif->Timer().remainingTime(), 200);
}

TEST(GifImageTiming, SpeedScalesEveryDelayAndNeverDropsBelowTwentyMilliseconds) {
    const struct {
        int speed, frameOne, frameTwo;
    } cases[] = {
        {100, 250, 120},   {200, 125, 60},     {50, 500, 240},
        {0, 25000, 12000}, {-5, 25000, 12000}, {300, 83, 40},
    };
    for (const auto& c : cases) {
        StoneScene scene;
        GifImage& gif = *scene.gif;
        StartAnimating(scene, ThreeFrames());
        gif.SetSpeed(c.speed);
        scene.Tick();
        EXPECT_EQ(gif.Timer().interval(), c.frameOne) << c.speed;
        scene.Tick();
        EXPECT_EQ(gif.Timer().interval(), c.frameTwo) << c.speed;
    }

    // A frame without a delay is drawn for 20 ms, as browsers draw it, and so is one
    // scaled below that: 256 such frames would otherwise keep a core busy.
    StoneScene scene;
    StartAnimating(scene, MakeGif(4, 4, {Filled(0, 0, 4, 4, 1, 0), Filled(0, 0, 4, 4, 2, 1)}));
    scene.Tick();
    EXPECT_EQ(scene.gif->Timer().interval(), 20);
    scene.gif->SetSpeed(5000);
    scene.Tick();
    EXPECT_EQ(scene.gif->Timer().interval(), 20);
}

TEST(GifImageTiming, ChangingTheSpeedWhileAnimatingTicksAtOnce) {
    StoneScene scene;
    GifImage& gif = *scene.gif;
    StartAnimating(scene, ThreeFrames());
    scene.Tick(2);
    gif.SetSpeed(50);
    EXPECT_EQ(gif.Timer().interval(), 1);
    EXPECT_TRUE(gif.Timer().isActive());
    scene.Tick();
    EXPECT_EQ(scene.Shown(), kGreen);
    EXPECT_EQ(gif.Timer().interval(), 120);
}

TEST(GifImageLooping, WithoutTheLoopExtensionItPlaysOnceAndStaysStopped) {
    StoneScene scene;
    GifImage& gif = *scene.gif;
    StartAnimating(scene, ThreeFrames());
    EXPECT_EQ(PlayToTheEnd(scene), "RBG");
    EXPECT_FALSE(gif.Timer().isActive());
    EXPECT_EQ(scene.Shown(), kGreen) << "the last frame stays";
    // Covering and uncovering the window repaints it; that must not start it again.
    EXPECT_FALSE(gif.Timer().isActive());
    gif.SetStretch(true);
    gif.SetCenter(true);
    scene.Grab();
    EXPECT_FALSE(gif.Timer().isActive());
}

TEST(GifImageLooping, ALoopCountPlaysThatManyPassesAndZeroOrLoopOnPlaysForEver) {
    StoneScene three;
    StartAnimating(three, ThreeFrames(3));
    EXPECT_EQ(PlayToTheEnd(three), "RBGRBGRBG");
    EXPECT_FALSE(three.gif->Timer().isActive());

    StoneScene endless;
    StartAnimating(endless, ThreeFrames(0));
    EXPECT_EQ(PlayToTheEnd(endless, 31), "RBGRBGRBGRBGRBGRBGRBGRBGRBGRBGR");
    EXPECT_TRUE(endless.gif->Timer().isActive());

    StoneScene looping;
    looping.gif->SetLoop(true);
    StartAnimating(looping, ThreeFrames(2));
    EXPECT_EQ(PlayToTheEnd(looping, 10), "RBGRBGRBGR");
    EXPECT_TRUE(looping.gif->Timer().isActive());
}

TEST(GifImageLooping, LoopOnAfterTheEndStartsAgainFromFrameOne) {
    StoneScene scene;
    GifImage& gif = *scene.gif;
    StartAnimating(scene, ThreeFrames());
    scene.Tick(2);
    // Switched on and off before the end, it changes nothing else.
    gif.SetLoop(true);
    gif.SetLoop(false);
    EXPECT_EQ(gif.Timer().interval(), 120);
    EXPECT_EQ(PlayToTheEnd(scene), "G");

    gif.SetLoop(true);
    EXPECT_TRUE(gif.Timer().isActive());
    EXPECT_EQ(gif.Timer().interval(), 250);
    EXPECT_EQ(PlayToTheEnd(scene, 4), "RBGR");
}

TEST(GifImageLooping, AnimateOnAfterTheEndStartsAgainFromFrameOne) {
    StoneScene scene;
    GifImage& gif = *scene.gif;
    StartAnimating(scene, ThreeFrames());
    PlayToTheEnd(scene);
    gif.SetAnimate(false);
    EXPECT_EQ(scene.Shown(), kRed);
    gif.SetAnimate(true);
    EXPECT_TRUE(gif.Timer().isActive());
    EXPECT_EQ(gif.Timer().interval(), 250);
    EXPECT_EQ(PlayToTheEnd(scene), "RBG");

    // Ticked to its end while Animate is off, it stands one past the last frame; on
    // again, it starts from frame 1 rather than timing a frame that does not exist.
    StoneScene idle;
    idle.Load(ThreeFrames());
    idle.Tick(3);
    ASSERT_EQ(idle.Shown(), kGreen);
    idle.gif->SetAnimate(true);
    EXPECT_EQ(idle.gif->Timer().interval(), 250);
    EXPECT_EQ(PlayToTheEnd(idle), "RBG");
}

TEST(GifImageFrames, AnimateOffInTheMiddleShowsFrameOne) {
    StoneScene scene;
    GifImage& gif = *scene.gif;
    StartAnimating(scene, ThreeFrames());
    scene.Tick(3);
    ASSERT_EQ(scene.Shown(), kGreen);
    gif.SetAnimate(false);
    EXPECT_FALSE(gif.Timer().isActive());
    EXPECT_EQ(scene.Grab().pixel(10, 10), kRed);
}

TEST(GifImageFrames, CurrentFrameOutsideTheFramesIsIgnored) {
    StoneScene scene;
    GifImage& gif = *scene.gif;
    int notifications = 0;
    gif.onChanging = [&](GifImage&) { ++notifications; };
    gif.SetCurrentFrame(1);
    EXPECT_EQ(notifications, 0) << "no frames yet";

    scene.Load(ThreeFrames());
    notifications = 0;
    for (int frame : {0, -1, 4, 1000}) {
        gif.SetCurrentFrame(frame);
        EXPECT_EQ(scene.Shown(), kRed) << frame;
    }
    EXPECT_EQ(notifications, 0);

    gif.SetCurrentFrame(3);
    EXPECT_EQ(notifications, 1);
    EXPECT_EQ(scene.Shown(), kGreen);
}

TEST(GifImageTiming, TheRealTimerPlaysThePassesAndThenStaysQuiet) {
    StoneScene scene;
    GifImage& gif = *scene.gif;
    scene.window.show(); // each tick paints the shown window at once
    StartAnimating(scene, MakeGif(4, 4, {Filled(0, 0, 4, 4, 1, 1), Filled(0, 0, 4, 4, 2, 1)}, 2));
    int ticks = 0;
    gif.onChanging = [&](GifImage&) { ++ticks; };

    QElapsedTimer clock;
    clock.start();
    while (gif.Timer().isActive() && clock.elapsed() < 5000) {
        QEventLoop().processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    ASSERT_FALSE(gif.Timer().isActive()) << "still animating after 5 s";
    EXPECT_EQ(ticks, 4); // the first tick schedules; then two frames in each of two passes
    EXPECT_EQ(scene.Grab().pixel(3, 3), kBlue);

    QEventLoop rest;
    QTimer::singleShot(100, &rest, &QEventLoop::quit);
    rest.exec();
    EXPECT_EQ(ticks, 4) << "a finished animation must not wake up";
}

} // namespace
} // namespace marloven::test
