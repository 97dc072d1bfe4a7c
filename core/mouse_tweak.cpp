// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/mouse_tweak.h"

#include "core/file_io.h"
#include "core/game_file.h"

namespace marloven {

std::string ComposeMouseTweakData(const MouseTweakOrder& order) {
    std::string data;
    for (const std::string* line :
         {&order.program, &order.arguments, &order.horizontal, &order.vertical}) {
        data += *line;
        data += "\r\n";
    }
    return data;
}

std::error_code WriteMouseTweakFile(const std::filesystem::path& gameDir,
                                    const MouseTweakOrder& order) {
    return WriteFileAtomically(FindGameFile(gameDir, kMouseTweakFileName),
                               ComposeMouseTweakData(order));
}

} // namespace marloven
