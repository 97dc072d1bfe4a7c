// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

namespace marloven {

// Where one of the launcher's own modules may lie, in the order to try: the folder a
// test program names in MARLOVEN_MODULE_DIR (it is built apart from them), beside the
// program (as in the build tree), or in the modules' folder beside the installed
// program's bin folder; nowhere else, so that no library left at some other path is
// ever loaded.
QStringList ModulePlaces(const char* fileName);

} // namespace marloven
