// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace marloven {

class Prompter;

// Says why the launcher cannot start: "marloven: " and the text on the error output,
// and through the prompter too when no terminal shows that output (started from the
// desktop's menu) and there is a prompter (the launcher with its windows).
void ReportStartupError(const QString& text, Prompter* prompter);

} // namespace marloven
