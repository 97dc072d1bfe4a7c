// SPDX-License-Identifier: GPL-3.0-or-later
// The sound player on systems without a sound call of their own: Qt Multimedia, in a
// module of its own that the launcher loads when the first sound is played, so that
// neither it nor the sound system's client is loaded before the main window shows.

#include "platform/sound_player.h"

#include <QApplication>
#include <QAudioDevice>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>

namespace marloven {

namespace {

// Longest that a sound counts as playing, in case the sound system never reports its
// end: no later sound is kept from playing for longer, and PlaySync waits no longer.
constexpr int kLongestSoundMs = 30000;

class QtSoundPlayer : public SoundPlayer {
  public:
    void PlayAsync(const std::string& fileName) override { Start(fileName); }

    void PlaySync(const std::string& fileName) override {
        if (!Start(fileName)) {
            return;
        }
        QEventLoop loop;
        QObject::connect(&*effect_, &QSoundEffect::playingChanged, &loop, [&] {
            if (!Busy()) {
                loop.quit();
            }
        });
        QObject::connect(&*effect_, &QSoundEffect::statusChanged, &loop, [&] {
            if (!Busy()) {
                loop.quit();
            }
        });
        QTimer::singleShot(kLongestSoundMs, &loop, &QEventLoop::quit);
        if (Busy()) {
            loop.exec();
        }
    }

  private:
    // A sound counts as playing from the request until it has been heard to its end or
    // failed to load, so a second request right after the first is dropped too.
    bool Busy() const {
        if (!effect_ || effect_->status() == QSoundEffect::Error ||
            sinceStart_.hasExpired(kLongestSoundMs)) {
            return false;
        }
        return effect_->isPlaying() || !heard_;
    }

    // True when a new sound was started.
    bool Start(const std::string& fileName) {
        if (Busy()) {
            return false;
        }
        if (!QFileInfo(QString::fromLocal8Bit(fileName)).isFile()) {
            QApplication::beep();
            return false;
        }
        if (QMediaDevices::audioOutputs().isEmpty()) {
            return false;
        }
        effect_ = std::make_unique<QSoundEffect>();
        heard_ = false;
        sinceStart_.start();
        QObject::connect(&*effect_, &QSoundEffect::playingChanged, &*effect_, [this] {
            if (effect_->isPlaying()) {
                heard_ = true;
            }
        });
        const QString path = QFileInfo(QString::fromLocal8Bit(fileName)).absoluteFilePath();
        effect_->setSource(QUrl::fromLocalFile(path));
        effect_->play();
        return true;
    }

    std::unique_ptr<QSoundEffect> effect_;
    bool heard_ = false;
    QElapsedTimer sinceStart_;
};

} // namespace

} // namespace marloven

// The one entry of this module, looked up by name when the first sound is played.
extern "C" Q_DECL_EXPORT marloven::SoundPlayer* MarlovenMakeSoundPlayer() {
    return new marloven::QtSoundPlayer();
}
