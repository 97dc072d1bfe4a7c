#include "platform/sound_player.h"

#include "core/file_ops.h"
#include "core/game_file.h"

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
    bool Start(const std::string& name) {
        if (Busy()) {
            return false;
        }
        // SOUND1.WAV may lie there as sound1.wav.
        const std::filesystem::path asGiven(name);
        const std::string fileName =
            FindGameFile(asGiven.parent_path(), asGiven.filename().string()).string();
        if (!IsExistingFile(fileName)) {
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

std::unique_ptr<SoundPlayer> MakeSystemSoundPlayer() {
    return std::make_unique<QtSoundPlayer>();
}

} // namespace marloven
