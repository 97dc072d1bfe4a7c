// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/widgets/gif_image_fixture.h"

#include "gif/gif_encoder.h"
#include "widgets/stone_background.h"

namespace marloven::test {

namespace {

const std::vector<GifColour> kPalette = {
    {255, 0, 255}, {0xc8, 0x1e, 0x28}, {0x14, 0x28, 0xd2}, {0x1e, 0xbe, 0x3c}, {0xe6, 0xc8, 0x14},
};

} // namespace

FrameSpec Filled(int left, int top, int width, int height, std::uint8_t index, int delay) {
    FrameSpec frame;
    frame.left = left;
    frame.top = top;
    frame.width = width;
    frame.height = height;
    frame.indices.assign(static_cast<std::size_t>(width * height), index);
    frame.delay = delay;
    return frame;
}

FrameSpec Marked(int width, int height) {
    FrameSpec frame = Filled(0, 0, width, height, kBlueIndex);
    frame.indices.front() = kRedIndex;
    frame.indices.back() = kGreenIndex;
    return frame;
}

std::string MakeGif(int width, int height, const std::vector<FrameSpec>& frames,
                    std::optional<int> loopCount) {
    GifWriter gif(width, height, kPalette);
    if (loopCount) {
        gif.Loop(*loopCount);
    }
    for (const FrameSpec& frame : frames) {
        GifControlBlock control{frame.disposal, frame.delay, std::nullopt};
        if (frame.transparent) {
            control.transparentIndex = kClear;
        }
        gif.Control(control);
        gif.Image(MakeGifImage(frame.left, frame.top, frame.width, frame.height, frame.indices));
    }
    return gif.Trailer().Bytes();
}

StoneScene::StoneScene() {
    window.resize(120, 100);
    AddBackground(&window);
    gif = new GifImage(&window);
    gif->setGeometry(0, 0, 49, 41);
}

void StoneScene::Load(const std::string& bytes) {
    dir.Write("picture.gif", bytes);
    gif->LoadFromFile(QString::fromStdString((dir / "picture.gif").string()));
}

QImage StoneScene::Grab() {
    return window.grab(QRect(0, 0, 49, 41)).toImage();
}

QRgb StoneScene::Stone(int x, int y) {
    return StonePicture().pixel(x, y);
}

QRgb StoneScene::Shown(int x, int y) {
    return Grab().pixel(x, y);
}

void StoneScene::Tick(int times) {
    for (int i = 0; i < times; ++i) {
        gif->Tick();
    }
}

} // namespace marloven::test
