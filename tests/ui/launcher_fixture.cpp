// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/ui/launcher_fixture.h"

#include "core/text.h"

#include <QApplication>
#include <QKeyEvent>
#include <QProcess>
#include <QTemporaryDir>

namespace marloven::test {

Launcher::Launcher(GameDir::Files files, SoundPlayer* soundPlayer, GameRunner* programRunner)
    : dir(files), store(dir.Path()), context{dir.Path(),
                                             store,
                                             prompter,
                                             programRunner ? *programRunner : runner,
                                             soundPlayer ? *soundPlayer : sound,
                                             settings} {
    // Closing the main window in a test must not end the test program's application.
    QApplication::setQuitOnLastWindowClosed(false);
    forms = CreateForms(context);
}

Launcher::~Launcher() = default;

std::string Launcher::LineOf(const std::string& key) const {
    for (const auto& line : store.Lines()) {
        if (KeyLineMatches(line, UpperAscii(key))) {
            return std::string(line);
        }
    }
    return "";
}

void Choose(QComboBox* list, int position) {
    list->setCurrentIndex(position);
    emit list->activated(position);
}

void PressKey(QWidget* widget, int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &release);
}

void Type(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        PressKey(widget, QChar(c).toUpper().unicode(), QString(c));
    }
}

int RunLauncherProgram(const QStringList& arguments, const std::filesystem::path& workDir,
                       const std::filesystem::path& configDir, std::string* output,
                       std::string* errors) {
    QProcess process;
    if (!workDir.empty()) {
        process.setWorkingDirectory(QString::fromStdString(workDir.string()));
    }
    const GameDir emptyConfig;
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert(
        "XDG_CONFIG_HOME",
        QString::fromStdString((configDir.empty() ? emptyConfig.Path() : configDir).string()));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(errors == nullptr ? QProcess::ForwardedErrorChannel
                                                    : QProcess::SeparateChannels);
    process.start(MARLOVEN_PATH, arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    if (output != nullptr) {
        *output = process.readAllStandardOutput().toStdString();
    }
    if (errors != nullptr) {
        *errors = process.readAllStandardError().toStdString();
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
}

CurrentDirectory::CurrentDirectory(const std::filesystem::path& path)
    : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(path);
}

CurrentDirectory::~CurrentDirectory() {
    std::filesystem::current_path(previous_);
}

} // namespace marloven::test
