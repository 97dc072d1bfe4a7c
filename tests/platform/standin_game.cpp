// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/platform/standin_game.h"

#include "core/file_io.h"

namespace marloven::test {

StandinGame::StandinGame(const std::filesystem::path& subdirectory)
    : startDir_(subdirectory.empty() ? dir_.Path() : dir_.Path() / subdirectory), store_(startDir_),
      runner_(std::make_unique<DirectGameRunner>(MakeSystemProgramRunner())),
      context_{startDir_, store_, prompter_, *runner_, sound_, settings_} {
    std::filesystem::create_directories(startDir_);
    window_.show();
}

void StandinGame::Install(const std::string& name) const {
    std::filesystem::copy_file(STANDIN_PATH, startDir_ / name,
                               std::filesystem::copy_options::overwrite_existing);
}

void StandinGame::InstallAll() const {
    for (const char* name : {"VK.EXE", "SETUP.EXE", "COMMIT.EXE", "VKSETMS.EXE"}) {
        Install(name);
    }
}

std::string StandinGame::Log() const {
    return ReadWholeFile(startDir_ / "standin.log").value_or("");
}

} // namespace marloven::test
