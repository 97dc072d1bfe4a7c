// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/ui/dialog_driver.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QTimer>
#include <gtest/gtest.h>

namespace marloven::test {

namespace {

// Runs the action once the dialog is the active window, as it is when a player
// first sees it (the focus then rests on its first control).
void WhenActive(QDialog& dialog, const std::function<void()>& whileOpen, int triesLeft) {
    QTimer::singleShot(triesLeft > 0 && !dialog.isActiveWindow() ? 1 : 0, &dialog,
                       [&dialog, whileOpen, triesLeft] {
                           if (triesLeft > 0 && !dialog.isActiveWindow()) {
                               WhenActive(dialog, whileOpen, triesLeft - 1);
                               return;
                           }
                           whileOpen();
                           if (dialog.isVisible()) {
                               ADD_FAILURE() << "the dialog stayed open";
                               dialog.done(-1);
                           }
                       });
}

} // namespace

int ExecWhile(QDialog& dialog, const std::function<void()>& whileOpen) {
    WhenOpened(dialog, whileOpen);
    return dialog.exec();
}

void OpenWhile(QDialog& dialog, const std::function<void()>& open,
               const std::function<void()>& whileOpen) {
    // A timer of this call's own, so nothing is left pending when the dialog never opens.
    QTimer poll;
    bool ran = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!dialog.isVisible()) {
            return;
        }
        poll.stop();
        ran = true;
        whileOpen();
        if (dialog.isVisible()) {
            ADD_FAILURE() << "the dialog stayed open";
            dialog.done(-1);
        }
    });
    poll.start(1);
    open();
    if (!ran) {
        ADD_FAILURE() << "the dialog did not open";
    }
}

void WhenOpened(QDialog& dialog, const std::function<void()>& whileOpen) {
    WhenActive(dialog, whileOpen, 100);
}

namespace {

void SendKey(QWidget* widget, int key, const QString& text) {
    if (widget == nullptr) {
        ADD_FAILURE() << "no widget has the focus";
        return;
    }
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &release);
}

} // namespace

void TypeText(QWidget* widget, const QString& text) {
    for (const auto character : text) {
        const auto upper = character.toUpper().unicode();
        SendKey(widget, upper < 0x80 ? int{upper} : int{Qt::Key_unknown}, QString(character));
    }
}

void PressKey(QWidget* widget, int key) {
    const QString text = key == Qt::Key_Backspace ? QString("\b")
                         : key == Qt::Key_Tab     ? QString("\t")
                         : key == Qt::Key_Return  ? QString("\r")
                         : key == Qt::Key_Escape  ? QString("\x1b")
                                                  : QString();
    SendKey(widget, key, text);
}

} // namespace marloven::test
