// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

class QSettings;

namespace marloven {

// Every setting of the launcher's own: the player's, not the game's, so they live in
// the user's configuration directory and never in the game directory. Each key's name
// in the file and its default are declared once, in launcher_settings.cpp.
enum class LauncherKey {
    LastGameDirectory,
    DosboxPath,
    DosboxUse,
    DosboxFullScreen,
    DosboxPlayersConfiguration,
    ModemAnswerPort,
    NullModemSide,
    NullModemHost,
    NullModemPort,
    IpxSide,
    IpxHost,
    IpxPort,
    DialNumber,
    RouterAsk,         // whether hosting asks the home router to forward the port
    RouterMapping,     // what the router forwards now, removed at the next start after a crash
    PlainPeersJoin,    // whether a hosted game lets players without Marloven join
    MeetServer,        // the meeting place's "host:port"; empty: none, nothing leaves the machine
    ListedForEveryone, // whether a hosted game is listed at the meeting place with its code
};

class LauncherSettings {
  public:
    // The player's file: marloven.ini in the user's configuration directory.
    LauncherSettings();
    // A file of the caller's choosing (each test has its own).
    explicit LauncherSettings(const QString& fileName);
    ~LauncherSettings();
    LauncherSettings(const LauncherSettings&) = delete;
    LauncherSettings& operator=(const LauncherSettings&) = delete;

    // The stored value, or the key's default when none is stored.
    QVariant Get(LauncherKey key) const;
    static QVariant Default(LauncherKey key);
    // Sets the value and writes it to the file at once. When the file cannot be written
    // (a read-only or full disk, a folder in its way), the value holds until the
    // launcher ends, and the first such failure is told (see TellWriteFailureTo).
    void Set(LauncherKey key, const QVariant& value);
    // Writes what was set to the file; false when it could not be written.
    bool Sync();
    QString FileName() const;
    // Who tells the player, once, that the settings cannot be kept.
    void TellWriteFailureTo(std::function<void(const QString& message)> tell);

  private:
    std::unique_ptr<QSettings> stored_;
    std::function<void(const QString&)> tell_;
    bool told_ = false;
};

} // namespace marloven
