// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/mouse_tweak.h"

#include "core/file_io.h"
#include "core/game_file.h"
#include "core/text.h"

namespace marloven {

std::string ComposeMouseTweakData(const MouseTweakOrder& order) {
    std::string data;
    // Each field stays on its own line, as in VK.CFG and COMMIT.DAT: a pasted line break
    // would make the rest of the field the next line the program reads.
    for (const std::string* line :
         {&order.program, &order.arguments, &order.horizontal, &order.vertical}) {
        data += DriverLine(*line);
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
