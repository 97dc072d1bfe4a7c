// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace marloven {

struct SaveFileRequest {
    QString directory;
    QString defaultSuffix; // added when the chosen name has none
    QString filter;        // empty: every file
    bool confirmOverwrite = true;
};

// The icon over a question with Yes and No: the usual confirmation, or an information
// box that ends in a question.
enum class QuestionIcon { Question, Information };

// Every message box, question and file dialog of the launcher goes through here, so
// tests answer them instead of a player.
class Prompter {
  public:
    virtual ~Prompter() = default;
    // A plain message with an OK button and the application's title, without an icon.
    virtual void Inform(const QString& text) = 0;
    // The application's error box, for a failed action: as plain as a message.
    virtual void ShowError(const QString& text) = 0;
    // A confirmation with Yes and No under the icon; true for Yes.
    virtual bool AskYesNo(const QString& question, QuestionIcon icon = QuestionIcon::Question) = 0;
    virtual std::optional<QString> AskSaveFileName(const SaveFileRequest& request) = 0;
    virtual std::optional<QString> AskOpenFileName(const QString& directory,
                                                   const QString& filter) = 0;
    // A folder dialog with the caption given, opened at directory.
    virtual std::optional<QString> AskDirectory(const QString& caption,
                                                const QString& directory) = 0;
    // A line the player types (the host's game code): what was typed, or nothing on Cancel.
    virtual std::optional<QString> AskText(const QString& question) = 0;
};

// Runs action; a file error it throws is shown in the error box. Returns whether the
// action ran through.
bool ReportFileErrors(Prompter& prompter, const std::function<void()>& action);

// The real boxes, parented to whichever launcher window is active.
class QtPrompter : public Prompter {
  public:
    void Inform(const QString& text) override;
    void ShowError(const QString& text) override;
    bool AskYesNo(const QString& question, QuestionIcon icon) override;
    std::optional<QString> AskSaveFileName(const SaveFileRequest& request) override;
    std::optional<QString> AskOpenFileName(const QString& directory,
                                           const QString& filter) override;
    std::optional<QString> AskDirectory(const QString& caption, const QString& directory) override;
    std::optional<QString> AskText(const QString& question) override;
};

} // namespace marloven
