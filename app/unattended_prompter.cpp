#include "app/unattended_prompter.h"

#include <cstdio>

namespace marloven {

std::unique_ptr<ScriptedPrompter> MakeUnattendedPrompter(const QString& answers) {
    auto prompter = std::make_unique<ScriptedPrompter>();
    prompter->yesNoAnswers = ParseYesNoAnswers(answers);
    prompter->onShown = [](const char* kind, const QString& text) {
        std::fprintf(stderr, "marloven: %s: %s\n", kind, text.toLocal8Bit().constData());
    };
    return prompter;
}

} // namespace marloven
