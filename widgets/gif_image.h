// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "gif/gif_compose.h"
#include "gif/gif_decoder.h"

#include <QPainter>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <exception>
#include <functional>

namespace marloven {

// Raised out of a load whose file is not a GIF at all: it ends the action that loaded
// the file without a message, and leaves the control without a picture.
class GifLoadAborted : public std::exception {
  public:
    const char* what() const noexcept override { return ""; }
};

// Shows an animated GIF in its rectangle: placed top left, centred, tiled or stretched,
// with transparent parts showing whatever the window paints beneath the control. A
// timer on the window's thread steps through the frames by their delays.
//
// Qt draws a child over its parent's painting, so the composed frame is drawn masked
// straight over it; no copy of the window's surface is kept.
class GifImage : public QWidget {
    Q_OBJECT
  public:
    using Notification = std::function<void(GifImage&)>;

    explicit GifImage(QWidget* parent = nullptr);
    ~GifImage() override;

    // Each setter does nothing when the value does not change, except SetFileName,
    // which loads the file every time.
    void SetAnimate(bool on);
    void SetAutoSize(bool on);
    void SetCenter(bool on);
    // Shows the frame of that number (from 1); a number outside the frames is ignored.
    void SetCurrentFrame(int frame);
    // Loads the file; see LoadFromFile.
    void SetFileName(const QString& name);
    // Repeats for ever, whatever the file's loop count says.
    void SetLoop(bool on);
    // Playback speed in percent: delays are scaled by 100 / speed. Never below 1.
    void SetSpeed(int percent);
    void SetStretch(bool on);
    void SetTile(bool on);
    // Whether the picture is drawn at all. Not QWidget's visibility: with this off the
    // control keeps its rectangle and its mouse events and only stops drawing.
    void SetPictureVisible(bool on);

    // Fired before and after the shown frame changes.
    Notification onChanging;
    Notification onChange;

    // Loads the named file (a relative name against the current directory). Returns
    // false and changes nothing when there is no such file. Throws GifLoadAborted when
    // the file cannot be read or is not a GIF; the control is then left empty.
    bool LoadFromFile(const QString& name);
    // The timer's handler: draws the due frame and schedules the next.
    void Tick();
    // Draws the control on the window at once, without waiting for the window's repaint.
    void PaintNow();
    // Runs while a frame is due: from the first repaint after a load until the last
    // pass ends, and never while the control is hidden.
    const QTimer& Timer() const { return timer_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Hidden (with its window, say, while the game runs), the control stops its timer,
    // and shown again it goes on where it was.
    void hideEvent(QHideEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    int FrameCount() const { return gif_.FrameCount(); }
    int ImageWidth() const { return gif_.imageWidth; }
    int ImageHeight() const { return gif_.imageHeight; }
    int LoopCount() const { return gif_.loopCount; }
    bool AnyTransparent() const { return gif_.anyTransparent; }

    bool DecodeGif(const QByteArray& bytes);
    void DrawFrame(int frame);
    void DisposeFrame(int frame);
    void Paint();
    // Draws the composed picture with its top left corner at origin.
    void DrawPicture(QPainter& painter, QPoint origin) const;
    void Fire(const Notification& notification);

    int ScaledDelay(int frame) const;
    bool Finished() const;
    bool ComputeStretchActive() const;
    bool ComputeOpaque() const;
    // Recomputes whether the picture is stretched and whether it covers the whole
    // control (the window need not paint beneath it) after a change of what they
    // depend on.
    void RefreshOpaque();
    void SetOpaque(bool opaque);
    void EnableTimer(bool on);

    GifDecoder gif_;
    GifComposition composition_;
    QTimer timer_;

    bool animate_ = false;
    bool autoSize_ = false;
    bool center_ = false;
    int currentFrame_ = 0;
    bool loop_ = false;
    int speed_ = 100;
    bool stretch_ = false;
    bool tile_ = false;
    bool pictureVisible_ = true;

    bool loaded_ = false;
    bool animatable_ = false;
    int passCount_ = 1;
    bool firstTick_ = true;
    bool resumeOnShow_ = false;
    bool stretchActive_ = false;
    bool opaque_ = false;
};

} // namespace marloven
