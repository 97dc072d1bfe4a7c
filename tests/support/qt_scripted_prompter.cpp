#include "tests/support/qt_scripted_prompter.h"

#include <gtest/gtest.h>

namespace marloven::test {

void ScriptedPrompter::Inform(const QString& text) { messages << text; }

void ScriptedPrompter::ShowError(const QString& text) { errors << text; }

bool ScriptedPrompter::AskYesNo(const QString& question, QuestionIcon icon) {
    questions << question;
    questionIcons.push_back(icon);
    if (yesNoAnswers.empty()) {
        ADD_FAILURE() << "unexpected question: " << question.toStdString();
        return false;
    }
    const bool answer = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return answer;
}

std::optional<QString> ScriptedPrompter::AskSaveFileName(const SaveFileRequest& request) {
    saveRequests.push_back(request);
    return NextFileAnswer();
}

std::optional<QString> ScriptedPrompter::AskOpenFileName(const QString&, const QString&) {
    return NextFileAnswer();
}

std::optional<QString> ScriptedPrompter::NextFileAnswer() {
    if (fileAnswers.empty()) {
        ADD_FAILURE() << "unexpected file dialog";
        return std::nullopt;
    }
    std::optional<QString> answer;
    answer.swap(fileAnswers.front());
    fileAnswers.pop_front();
    return answer;
}

} // namespace marloven::test
