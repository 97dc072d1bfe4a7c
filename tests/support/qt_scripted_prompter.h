#pragma once

#include "ui/prompter.h"

#include <QStringList>
#include <deque>
#include <vector>

namespace marloven::test {

// Answers the launcher's boxes from a script and records what they said. A question
// or file dialog that the script did not foresee fails the test and answers No or
// Cancel, so no test ever waits on a box.
class ScriptedPrompter : public Prompter {
  public:
    std::deque<bool> yesNoAnswers;
    std::deque<std::optional<QString>> fileAnswers;

    QStringList messages;  // Inform
    QStringList errors;    // ShowError
    QStringList questions; // AskYesNo
    std::vector<QuestionIcon> questionIcons;
    std::vector<SaveFileRequest> saveRequests;

    void Inform(const QString& text) override;
    void ShowError(const QString& text) override;
    bool AskYesNo(const QString& question, QuestionIcon icon) override;
    std::optional<QString> AskSaveFileName(const SaveFileRequest& request) override;
    std::optional<QString> AskOpenFileName(const QString& directory,
                                           const QString& filter) override;

  private:
    std::optional<QString> NextFileAnswer();
};

} // namespace marloven::test
