// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/gif_image.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <span>

namespace marloven {

namespace {

constexpr int kCreatedSide = 105;
// A picture of the launcher's takes a few kilobytes; a file of gigabytes would be read
// whole before the decoder could refuse a byte of it.
constexpr qint64 kMostFileBytes = qint64{16} << 20;

} // namespace

GifImage::GifImage(QWidget* parent) : QWidget(parent) {
    resize(kCreatedSide, kCreatedSide);
    // Exact delays: a coarse timer may stretch a 70 ms twinkle by several milliseconds.
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &GifImage::Tick);
}

GifImage::~GifImage() = default;

void GifImage::SetAnimate(bool on) {
    if (on == animate_) {
        return;
    }
    animate_ = on;
    passCount_ = 1;
    if (on && FrameCount() > 1) {
        // A finished animation stands one past its last frame; it starts again from
        // the first rather than timing a frame that does not exist.
        if (currentFrame_ > FrameCount()) {
            currentFrame_ = 1;
        }
        timer_.setInterval(ScaledDelay(currentFrame_));
    }
    EnableTimer(animate_ && animatable_ && loaded_);
    if (!on && currentFrame_ > 1) {
        DisposeFrame(currentFrame_ - 1);
        currentFrame_ = 1;
        DrawFrame(1);
        update();
    }
}

void GifImage::SetAutoSize(bool on) {
    if (on == autoSize_) {
        return;
    }
    autoSize_ = on;
    if (on && loaded_) {
        resize(ImageWidth(), ImageHeight());
        RefreshOpaque();
        update();
    }
}

void GifImage::SetCenter(bool on) {
    if (on != center_) {
        center_ = on;
        update();
    }
}

void GifImage::SetCurrentFrame(int frame) {
    if (frame == currentFrame_ || frame < 1 || frame > FrameCount()) {
        return;
    }
    Fire(onChanging);
    DisposeFrame(currentFrame_);
    currentFrame_ = frame;
    DrawFrame(frame);
    PaintNow();
    Fire(onChange);
}

void GifImage::SetFileName(const QString& name) {
    LoadFromFile(name);
}

void GifImage::SetLoop(bool on) {
    if (on == loop_) {
        return;
    }
    const bool finished = FrameCount() > 0 && Finished();
    loop_ = on;
    if (on && finished) {
        currentFrame_ = 1;
        passCount_ = 1;
        if (animate_ && FrameCount() > 1) {
            timer_.setInterval(ScaledDelay(1));
        }
        if (animate_ && animatable_) {
            EnableTimer(true);
        }
    }
}

void GifImage::SetSpeed(int percent) {
    percent = std::max(percent, 1);
    if (percent == speed_) {
        return;
    }
    speed_ = percent;
    // The next tick comes at once and times its frame at the new speed.
    if (FrameCount() > 1 && animate_) {
        timer_.setInterval(1);
    }
}

void GifImage::SetStretch(bool on) {
    if (on != stretch_) {
        stretch_ = on;
        RefreshOpaque();
        update();
    }
}

void GifImage::SetTile(bool on) {
    if (on != tile_) {
        tile_ = on;
        RefreshOpaque();
        update();
    }
}

void GifImage::SetPictureVisible(bool on) {
    if (on != pictureVisible_) {
        pictureVisible_ = on;
        RefreshOpaque();
        update();
    }
}

bool GifImage::LoadFromFile(const QString& name) {
    if (!QFileInfo(name).isFile()) {
        return false;
    }
    QFile file(name);
    const bool fits = file.size() <= kMostFileBytes;
    if (!fits) {
        std::fprintf(stderr,
                     "marloven: %s: not shown, as it holds more than a picture may (16 MB)\n",
                     qPrintable(name));
    }
    const QByteArray bytes = fits && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    if (!DecodeGif(bytes)) {
        throw GifLoadAborted();
    }
    if (gif_.limitReached) {
        std::fprintf(stderr,
                     "marloven: %s: %d of its frames shown; the rest would take more memory "
                     "than the launcher's pictures may take together (300 MB)\n",
                     qPrintable(name), FrameCount());
    }
    return true;
}

bool GifImage::DecodeGif(const QByteArray& bytes) {
    EnableTimer(false);
    resumeOnShow_ = false;
    loaded_ = false;
    currentFrame_ = 1;
    passCount_ = 1;
    firstTick_ = true;
    // The picture shown so far goes first: its memory no longer counts once the decoder
    // starts on the new file.
    composition_ = GifComposition();
    const bool decoded = gif_.DecodeGif(
        std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                      static_cast<std::size_t>(bytes.size())));
    if (!decoded) {
        RefreshOpaque();
        update();
        return false;
    }
    composition_.Start(gif_);
    if (autoSize_) {
        resize(ImageWidth(), ImageHeight());
    }
    animatable_ = FrameCount() > 1;
    loaded_ = true;
    RefreshOpaque();
    // The first repaint starts the timer, and its first tick only times frame 1.
    timer_.setInterval(1);
    Fire(onChanging);
    DrawFrame(1);
    Fire(onChange);
    update();
    return true;
}

void GifImage::DrawFrame(int frame) {
    composition_.DrawFrame(gif_, frame);
}

void GifImage::DisposeFrame(int frame) {
    composition_.DisposeFrame(gif_, frame);
}

void GifImage::Tick() {
    if (!loaded_) {
        return;
    }
    Fire(onChanging);
    if (firstTick_) {
        firstTick_ = false;
    } else {
        DisposeFrame(currentFrame_ <= 1 ? FrameCount() : currentFrame_ - 1);
        DrawFrame(currentFrame_);
        PaintNow();
    }
    timer_.setInterval(ScaledDelay(currentFrame_));
    ++currentFrame_;
    if (!loop_ && LoopCount() > 0 && currentFrame_ > FrameCount()) {
        ++passCount_;
        if (passCount_ > LoopCount()) {
            // Finished: the last frame stays, and no timer runs any more.
            EnableTimer(false);
            Fire(onChange);
            return;
        }
    }
    if (currentFrame_ > FrameCount() || currentFrame_ <= 0) {
        currentFrame_ = 1;
    }
    Fire(onChange);
}

void GifImage::PaintNow() {
    // Qt paints at once, and for a control that is not opaque it first repaints the
    // window beneath it, which is the background the masked frame needs.
    repaint();
}

void GifImage::paintEvent(QPaintEvent*) {
    stretchActive_ = ComputeStretchActive();
    const bool opaque = ComputeOpaque();
    if (opaque != opaque_) {
        // The window painted beneath (or not) as the old value asked; paint again once
        // it has done so as the new one asks.
        SetOpaque(opaque);
        update();
        return;
    }
    Paint();
    EnableTimer(animatable_ && animate_ && loaded_ && !Finished());
}

void GifImage::resizeEvent(QResizeEvent* event) {
    RefreshOpaque();
    QWidget::resizeEvent(event);
}

void GifImage::hideEvent(QHideEvent* event) {
    resumeOnShow_ = resumeOnShow_ || timer_.isActive();
    EnableTimer(false);
    QWidget::hideEvent(event);
}

void GifImage::showEvent(QShowEvent* event) {
    if (resumeOnShow_) {
        resumeOnShow_ = false;
        EnableTimer(animatable_ && animate_ && loaded_ && !Finished());
    }
    QWidget::showEvent(event);
}

void GifImage::Paint() {
    if (!pictureVisible_ || !loaded_ || FrameCount() == 0) {
        return;
    }
    // A degenerate picture is never tiled: the tile counts divide by its size.
    if (ImageWidth() <= 0 || ImageHeight() <= 0) {
        return;
    }
    QPainter painter(this);
    if (stretchActive_) {
        // The picture's own coordinates, scaled onto the control.
        painter.scale(static_cast<qreal>(width()) / ImageWidth(),
                      static_cast<qreal>(height()) / ImageHeight());
        DrawPicture(painter, QPoint(0, 0));
    } else if (tile_) {
        for (int row = 0; row <= height() / ImageHeight(); ++row) {
            for (int column = 0; column <= width() / ImageWidth(); ++column) {
                DrawPicture(painter, QPoint(column * ImageWidth(), row * ImageHeight()));
            }
        }
    } else if (center_) {
        // Integer division rounds toward zero, also for a picture larger than the control.
        DrawPicture(painter, QPoint((width() - ImageWidth()) / 2, (height() - ImageHeight()) / 2));
    } else {
        DrawPicture(painter, QPoint(0, 0));
    }
}

void GifImage::DrawPicture(QPainter& painter, QPoint origin) const {
    // Only a transparent first frame makes the picture masked; otherwise the composed
    // frame is drawn as it stands, its transparent and untouched areas black.
    const bool masked = gif_.frames.front().transparent;
    if (!masked) {
        painter.fillRect(QRect(origin, QSize(ImageWidth(), ImageHeight())), Qt::black);
    }
    const GifComposition& composed = composition_;
    if (composed.HeldWidth() <= 0 || composed.HeldHeight() <= 0) {
        return;
    }
    // The composition's pixels are already premultiplied ARGB: drawn in place, uncopied.
    const QImage held(reinterpret_cast<const uchar*>(composed.HeldPixels()), composed.HeldWidth(),
                      composed.HeldHeight(), qsizetype{composed.HeldWidth()} * 4,
                      QImage::Format_ARGB32_Premultiplied);
    painter.drawImage(origin + QPoint(composed.HeldLeft(), composed.HeldTop()), held);
}

void GifImage::Fire(const Notification& notification) {
    if (notification) {
        notification(*this);
    }
}

int GifImage::ScaledDelay(int frame) const {
    if (frame < 1 || frame > FrameCount()) {
        return 1;
    }
    // Shorter than 20 ms, a frame is drawn for 20 ms, as browsers draw it: a file of
    // frames without delays would otherwise keep a core busy for as long as it shows.
    constexpr std::int64_t kShortestDelay = 20;
    const std::int64_t delay = gif_.frames[frame - 1].delay;
    return static_cast<int>(std::max<std::int64_t>(delay * 100 / speed_, kShortestDelay));
}

bool GifImage::Finished() const {
    return !loop_ && LoopCount() > 0 && passCount_ > LoopCount();
}

bool GifImage::ComputeStretchActive() const {
    return stretch_ && (width() != ImageWidth() || height() != ImageHeight());
}

bool GifImage::ComputeOpaque() const {
    // A picture that draws nothing (no frames, or too large to compose) must not keep
    // the window from painting beneath it, or stale pixels would show there.
    const bool drawsPicture = FrameCount() > 0 && composition_.width > 0 && composition_.height > 0;
    return pictureVisible_ && loaded_ && drawsPicture && !AnyTransparent() &&
           (tile_ || stretchActive_ || (width() <= ImageWidth() && height() <= ImageHeight()));
}

void GifImage::RefreshOpaque() {
    stretchActive_ = ComputeStretchActive();
    SetOpaque(ComputeOpaque());
}

void GifImage::SetOpaque(bool opaque) {
    opaque_ = opaque;
    setAttribute(Qt::WA_OpaquePaintEvent, opaque);
}

void GifImage::EnableTimer(bool on) {
    // Starting a running QTimer restarts it: repaints would keep postponing the tick.
    if (!on) {
        timer_.stop();
    } else if (!timer_.isActive()) {
        timer_.start();
    }
}

} // namespace marloven
