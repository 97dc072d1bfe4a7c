// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/prompter.h"

#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

namespace marloven {

// Answers the launcher's boxes from a script instead of a person, and records what they
// said: for unattended runs and for tests, so that nothing ever waits on a box. A
// question or file dialog beyond the script is answered No or Cancel.
class ScriptedPrompter : public Prompter {
  public:
    std::deque<bool> yesNoAnswers;
    std::deque<std::optional<QString>> fileAnswers;
    std::deque<std::optional<QString>> folderAnswers;
    std::deque<std::optional<QString>> textAnswers;

    QStringList messages;  // Inform
    QStringList errors;    // ShowError
    QStringList questions; // AskYesNo and AskText
    std::vector<QuestionIcon> questionIcons;
    std::vector<SaveFileRequest> saveRequests;

    // Told of each message, error and answered question as it comes, with its kind
    // ("message", "error", "question answered yes" or "question answered no", "folder
    // chosen" or "folder question cancelled").
    std::function<void(const char* kind, const QString& text)> onShown;
    // Told of a question or file dialog that the script did not foresee.
    std::function<void(const QString& what)> onUnforeseen;

    void Inform(const QString& text) override;
    void ShowError(const QString& text) override;
    bool AskYesNo(const QString& question, QuestionIcon icon) override;
    std::optional<QString> AskSaveFileName(const SaveFileRequest& request) override;
    std::optional<QString> AskOpenFileName(const QString& directory,
                                           const QString& filter) override;
    std::optional<QString> AskDirectory(const QString& caption, const QString& directory) override;
    std::optional<QString> AskText(const QString& question) override;

  private:
    void Shown(const char* kind, const QString& text) const;
    std::optional<QString> NextAnswer(std::deque<std::optional<QString>>& answers,
                                      const QString& what);
};

// Fills the answers from a list such as "yes,no" or "/games/vk,no": an entry that holds
// a slash or backslash is a folder answer, one that begins "text=" a typed line (the rest),
// "yes" in any case is Yes, anything else No.
void ScriptAnswers(ScriptedPrompter& prompter, const QString& list);

} // namespace marloven
