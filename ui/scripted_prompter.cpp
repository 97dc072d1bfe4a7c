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
    return NextAnswer(fileAnswers, "file dialog");
}

std::optional<QString> ScriptedPrompter::AskOpenFileName(const QString&, const QString&) {
    return NextAnswer(fileAnswers, "file dialog");
}

std::optional<QString> ScriptedPrompter::AskDirectory(const QString& caption, const QString&) {
    auto answer = NextAnswer(folderAnswers, "folder dialog: " + caption);
    Shown(answer ? "folder chosen" : "folder question cancelled", answer.value_or(caption));
    return answer;
}

std::optional<QString> ScriptedPrompter::AskText(const QString& question) {
    questions << question;
    auto answer = NextAnswer(textAnswers, "text question: " + question);
    Shown(answer ? "text typed" : "text question cancelled", answer.value_or(question));
    return answer;
}

void ScriptedPrompter::Shown(const char* kind, const QString& text) const {
    if (onShown) {
        onShown(kind, text);
    }
}

std::optional<QString> ScriptedPrompter::NextAnswer(std::deque<std::optional<QString>>& answers,
                                                    const QString& what) {
    if (answers.empty()) {
        if (onUnforeseen) {
            onUnforeseen(what);
        }
        return std::nullopt;
    }
    std::optional<QString> answer;
    answer.swap(answers.front());
    answers.pop_front();
    return answer;
}

void ScriptAnswers(ScriptedPrompter& prompter, const QString& list) {
    for (const QString& entry : list.split(',', Qt::SkipEmptyParts)) {
        const QString answer = entry.trimmed();
        if (answer.startsWith("text=")) {
            prompter.textAnswers.push_back(answer.mid(5));
        } else if (answer.contains('/') || answer.contains('\\')) {
            prompter.folderAnswers.push_back(answer);
        } else {
            prompter.yesNoAnswers.push_back(answer.toLower() == "yes");
        }
    }
}

} // namespace marloven
