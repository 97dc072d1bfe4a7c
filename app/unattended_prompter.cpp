#include "app/unattended_prompter.h"

#include <cstdio>

namespace marloven {

namespace {

void Print(const char* kind, const QString& text) {
    std::fprintf(stderr, "marloven: %s: %s\n", kind, text.toLocal8Bit().constData());
}

} // namespace

UnattendedPrompter::UnattendedPrompter(const QString& answers)
    : answers_(answers.split(',', Qt::SkipEmptyParts)) {}

void UnattendedPrompter::Inform(const QString& text) {
    Print("message", text);
}

void UnattendedPrompter::ShowError(const QString& text) {
    Print("error", text);
}

bool UnattendedPrompter::AskYesNo(const QString& question, QuestionIcon) {
    const bool yes = !answers_.isEmpty() && answers_.takeFirst().trimmed().toLower() == "yes";
    Print(yes ? "question answered yes" : "question answered no", question);
    return yes;
}

std::optional<QString> UnattendedPrompter::AskSaveFileName(const SaveFileRequest&) {
    return std::nullopt;
}

std::optional<QString> UnattendedPrompter::AskOpenFileName(const QString&, const QString&) {
    return std::nullopt;
}

} // namespace marloven
