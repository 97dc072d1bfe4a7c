#pragma once

#include "ui/prompter.h"

#include <QStringList>

namespace marloven {

// Answers the launcher's questions from a list given on the command line, for runs
// without a person (the tests that check the exit codes). Messages go to standard
// error; file dialogs are cancelled; a question beyond the list is answered No.
class UnattendedPrompter : public Prompter {
  public:
    // "yes,no,..." in the order the questions come.
    explicit UnattendedPrompter(const QString& answers);

    void Inform(const QString& text) override;
    void ShowError(const QString& text) override;
    bool AskYesNo(const QString& question, QuestionIcon icon) override;
    std::optional<QString> AskSaveFileName(const SaveFileRequest& request) override;
    std::optional<QString> AskOpenFileName(const QString& directory,
                                           const QString& filter) override;

  private:
    QStringList answers_;
};

} // namespace marloven
