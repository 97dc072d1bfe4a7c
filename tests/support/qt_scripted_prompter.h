// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/scripted_prompter.h"

namespace marloven::test {

// The launcher's scripted prompter, where a question or file dialog that the script did
// not foresee fails the test (and is answered No or Cancel).
class ScriptedPrompter : public marloven::ScriptedPrompter {
  public:
    ScriptedPrompter();
};

} // namespace marloven::test
