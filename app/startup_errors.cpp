// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup_errors.h"

#include "platform/terminal.h"
#include "qt_text/text_conversions.h"
#include "ui/prompter.h"

#include <cstdio>

namespace marloven {

void ReportStartupError(const QString& text, Prompter* prompter) {
    std::fprintf(stderr, "marloven: %s\n", NarrowText(text).c_str());
    if (prompter != nullptr && !ErrorsReachATerminal()) {
        prompter->ShowError(text);
    }
}

} // namespace marloven
