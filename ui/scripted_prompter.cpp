// SPDX-License-Identifier: GPL-3.0-or-later
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

std::optional<QString> ScriptedPrompter::AskDirectory(const QString& caption, const QString&) {
    std::optional<QString> answer;
    if (folderAnswers.empty()) {
        if (onUnforeseen) {
            onUnforeseen("folder dialog: " + caption);
        }
    } else {
        answer.swap(folderAnswers.front());
        folderAnswers.pop_front();
    }
    Shown(answer ? "folder chosen" : "folder question cancelled", answer.value_or(caption));
    return answer;
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

void ScriptAnswers(ScriptedPrompter& prompter, const QString& list) {
    for (const QString& entry : list.split(',', Qt::SkipEmptyParts)) {
        const QString answer = entry.trimmed();
        if (answer.contains('/') || answer.contains('\\')) {
            prompter.folderAnswers.push_back(answer);
        } else {
            prompter.yesNoAnswers.push_back(answer.toLower() == "yes");
        }
    }
}

} // namespace marloven
