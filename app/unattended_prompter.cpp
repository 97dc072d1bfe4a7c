// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/unattended_prompter.h"

#include "qt_text/text_conversions.h"

#include <cstdio>

namespace marloven {

std::unique_ptr<ScriptedPrompter> MakeUnattendedPrompter(const QString& answers) {
    auto prompter = std::make_unique<ScriptedPrompter>();
    ScriptAnswers(*prompter, answers);
    prompter->onShown = [](const char* kind, const QString& text) {
        std::fprintf(stderr, "marloven: %s: %s\n", kind, NarrowText(text).c_str());
    };
    return prompter;
}

} // namespace marloven
