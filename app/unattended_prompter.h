// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/scripted_prompter.h"

#include <QString>
#include <memory>

namespace marloven {

// For runs without a person (the tests that check the exit codes): answers the
// launcher's questions in turn from a list such as "yes,no", a question beyond the list
// No; prints every message, error and question to standard error; cancels file dialogs.
std::unique_ptr<ScriptedPrompter> MakeUnattendedPrompter(const QString& answers);

} // namespace marloven
