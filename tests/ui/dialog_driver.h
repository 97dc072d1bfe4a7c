// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>
#include <ostream>

class QDialog;
class QWidget;

namespace marloven::test {

// Shows the dialog modally, runs `whileOpen` once its event loop turns and returns
// the dialog's result. A dialog that `whileOpen` left open is closed with a test
// failure, so a broken button never hangs the tests.
int ExecWhile(QDialog& dialog, const std::function<void()>& whileOpen);
// The same for a dialog that the code under test is about to open: `whileOpen` runs
// once it is shown and active.
void WhenOpened(QDialog& dialog, const std::function<void()>& whileOpen);

// Runs `open`, which shows the dialog modally (a click on a button of the window it
// belongs to), and `whileOpen` once the dialog is on show. A dialog that never opened,
// or that `whileOpen` left open, fails the test.
void OpenWhile(QDialog& dialog, const std::function<void()>& open,
               const std::function<void()>& whileOpen);

// Key presses as a player makes them; each character of `text` is one key.
void TypeText(QWidget* widget, const QString& text);
void PressKey(QWidget* widget, int key);

} // namespace marloven::test

// Lets test failures show texts and lists of texts.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
