// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/registry_source.h"

#include "comm/reg_file.h"

namespace marloven {

std::unique_ptr<RegistrySource> MakeSystemRegistrySource(const std::string& regFileOption,
                                                         const std::filesystem::path& gameDir) {
    const auto file = ChooseRegFile(regFileOption, gameDir);
    return std::make_unique<MemoryRegistrySource>(file ? LoadRegFile(*file)
                                                       : MemoryRegistrySource());
}

} // namespace marloven
