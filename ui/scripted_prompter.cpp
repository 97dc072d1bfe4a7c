#include "ui/scripted_prompter.h"

namespace marloven {

void ScriptedPrompter::Inform(const QString& text) {
    messages << text;
    Shown("message", text);
}

void ScriptedPrompter::ShowError(const QString& text) {
    errors << text;
    Shown("error", text);
}

bool ScriptedPrompter::AskYesNo(const QString& question, QuestionIcon icon) {
    questions << question;
    questionIcons.push_back(icon);
    bool answer = false;
    if (yesNoAnswers.empty()) {
        if (onUnforeseen) {
            onUnforeseen("question: " + question);
        }
    } else {
        answer = yesNoAnswers.front();
        yesNoAnswers.pop_front();
    }
    Shown(answer ? "question answered yes" : "question answered no", question);
    return answer;
}

std::optional<QString> ScriptedPrompter::AskSaveFileName(const SaveFileRequest& request) {
    saveRequests.push_back(request);
    return NextFileAnswer();
}

std::optional<QString> ScriptedPrompter::AskOpenFileName(const QString&, const QString&) {
    return NextFileAnswer();
}

void ScriptedPrompter::Shown(const char* kind, const QString& text) const {
    if (onShown) {
        onShown(kind, text);
    }
}

std::optional<QString> ScriptedPrompter::NextFileAnswer() {
    if (fileAnswers.empty()) {
        if (onUnforeseen) {
            onUnforeseen("file dialog");
        }
        return std::nullopt;
    }
    std::optional<QString> answer;
    answer.swap(fileAnswers.front());
    fileAnswers.pop_front();
    return answer;
}

std::deque<bool> ParseYesNoAnswers(const QString& list) {
    std::deque<bool> answers;
    for (const QString& answer : list.split(',', Qt::SkipEmptyParts)) {
        answers.push_back(answer.trimmed().toLower() == "yes");
    }
    return answers;
}

} // namespace marloven
