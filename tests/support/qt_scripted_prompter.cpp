// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/qt_scripted_prompter.h"

#include <gtest/gtest.h>

namespace marloven::test {

ScriptedPrompter::ScriptedPrompter() {
    onUnforeseen = [](const QString& what) {
        ADD_FAILURE() << "unexpected " << what.toStdString();
    };
}

} // namespace marloven::test
