// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/prompter.h"

#include "core/errors.h"
#include "qt_text/text_conversions.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace marloven {

bool ReportFileErrors(Prompter& prompter, const std::function<void()>& action) {
    try {
        action();
        return true;
    } catch (const FileError& error) {
        prompter.ShowError(MessageText(error.what()));
        return false;
    }
}

namespace {

int ShowBox(QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, QApplication::applicationName(), text, buttons,
                    QApplication::activeWindow());
    return box.exec();
}

} // namespace

void QtPrompter::Inform(const QString& text) {
    ShowBox(QMessageBox::NoIcon, text, QMessageBox::Ok);
}

void QtPrompter::ShowError(const QString& text) {
    ShowBox(QMessageBox::NoIcon, text, QMessageBox::Ok);
}

bool QtPrompter::AskYesNo(const QString& question, QuestionIcon icon) {
    const auto shown =
        icon == QuestionIcon::Information ? QMessageBox::Information : QMessageBox::Question;
    return ShowBox(shown, question, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

std::optional<QString> QtPrompter::AskSaveFileName(const SaveFileRequest& request) {
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDirectory(request.directory);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.filter.isEmpty()) {
        dialog.setNameFilter(request.filter);
    }
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front();
}

std::optional<QString> QtPrompter::AskOpenFileName(const QString& directory,
                                                   const QString& filter) {
    const auto chosen =
        QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(), directory, filter);
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return chosen;
}

std::optional<QString> QtPrompter::AskDirectory(const QString& caption, const QString& directory) {
    const auto chosen =
        QFileDialog::getExistingDirectory(QApplication::activeWindow(), caption, directory);
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return chosen;
}

std::optional<QString> QtPrompter::AskText(const QString& question) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(QApplication::activeWindow(), QApplication::applicationName(),
                              question, QLineEdit::Normal, {}, &ok);
    return ok ? std::optional(text) : std::nullopt;
}

} // namespace marloven
