// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/launcher_settings.h"

#include "comm/internet_link.h"
#include "core/dosbox_settings.h"

#include <QSettings>
#include <array>
#include <cstddef>

namespace marloven {

namespace {

struct KeyDeclaration {
    LauncherKey key;
    const char* name; // "Group/Key" in the file
    QVariant defaultValue;
};

const std::array<KeyDeclaration, 18>& Declarations() {
    static const DosboxSettings kDosbox;
    static const std::array<KeyDeclaration, 18> kDeclarations{{
        {LauncherKey::LastGameDirectory, "game/directory", QString()},
        {LauncherKey::DosboxPath, "DOSBox/Path", QString()},
        {LauncherKey::DosboxUse, "DOSBox/Use", QStringLiteral("automatic")},
        {LauncherKey::DosboxFullScreen, "DOSBox/FullScreen", kDosbox.fullScreen},
        {LauncherKey::DosboxPlayersConfiguration, "DOSBox/PlayersConfiguration", QString()},
        {LauncherKey::ModemAnswerPort, "ModemAnswer/Port", kDefaultModemListenPort},
        {LauncherKey::NullModemSide, "NullModem/Side", QStringLiteral("host")},
        {LauncherKey::NullModemHost, "NullModem/Host", QString()},
        {LauncherKey::NullModemPort, "NullModem/Port", kDefaultNullModemPort},
        {LauncherKey::IpxSide, "Ipx/Side", QStringLiteral("host")},
        {LauncherKey::IpxHost, "Ipx/Host", QString()},
        {LauncherKey::IpxPort, "Ipx/Port", kDefaultIpxPort},
        {LauncherKey::DialNumber, "ModemDial/Number", QString()},
        {LauncherKey::RouterAsk, "Router/Ask", true},
        {LauncherKey::RouterMapping, "Router/Mapping", QString()},
        {LauncherKey::PlainPeersJoin, "Link/PlainPeersJoin", false},
        {LauncherKey::MeetServer, "Meet/Server", QString()},
        {LauncherKey::ListedForEveryone, "Meet/ListedForEveryone", false},
    }};
    return kDeclarations;
}

const KeyDeclaration& Declaration(LauncherKey key) {
    for (const KeyDeclaration& declared : Declarations()) {
        if (declared.key == key) {
            return declared;
        }
    }
    return Declarations().front(); // every key is declared above
}

} // namespace

LauncherSettings::LauncherSettings()
    : stored_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                          QStringLiteral("Marloven"), QStringLiteral("marloven"))) {
}

LauncherSettings::LauncherSettings(const QString& fileName)
    : stored_(std::make_unique<QSettings>(fileName, QSettings::IniFormat)) {}

LauncherSettings::~LauncherSettings() = default;

QVariant LauncherSettings::Get(LauncherKey key) const {
    const KeyDeclaration& declared = Declaration(key);
    return stored_->value(QLatin1String(declared.name), declared.defaultValue);
}

QVariant LauncherSettings::Default(LauncherKey key) {
    return Declaration(key).defaultValue;
}

void LauncherSettings::Set(LauncherKey key, const QVariant& value) {
    stored_->setValue(QLatin1String(Declaration(key).name), value);
    if (!Sync() && !told_ && tell_) {
        told_ = true;
        tell_("Marloven could not save its settings in " + FileName() +
              ". Your choices hold until Marloven ends.");
    }
}

void LauncherSettings::TellWriteFailureTo(std::function<void(const QString&)> tell) {
    tell_ = std::move(tell);
}

bool LauncherSettings::Sync() {
    stored_->sync();
    if (stored_->status() != QSettings::FormatError) {
        return stored_->status() == QSettings::NoError;
    }
    // A file that could not be read (random bytes, half written by a crash) keeps its
    // format error for as long as it is open, rewritten or not, and hides a failing write
    // behind it: the file read afresh tells whether it was written.
    auto reread = std::make_unique<QSettings>(FileName(), QSettings::IniFormat);
    if (reread->status() != QSettings::NoError) {
        return false;
    }
    stored_ = std::move(reread);
    return true;
}

QString LauncherSettings::FileName() const {
    return stored_->fileName();
}

} // namespace marloven
