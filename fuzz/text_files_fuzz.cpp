// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/commit_data.h"
#include "comm/phonebook.h"
#include "core/errors.h"
#include "core/key_lines.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Any bytes as VK.CFG, COMMIT.DAT or MARLOVEN.PBK. A line that nothing set must come
// back byte for byte, so the text written back after a lookup equals the text read
// (up to its line breaks, which all become CR LF).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    marloven::KeyLines lines(bytes);
    for (const auto& line : lines.Lines()) {
        if (const auto* found = lines.Find(line.substr(0, line.find('=')))) {
            (void)marloven::ValueOfKeyLine(*found);
        }
    }
    const auto written = lines.WrittenForm();
    if (marloven::KeyLines(written).WrittenForm() != written) {
        __builtin_trap();
    }
    lines.Set(std::string_view(bytes).substr(0, size % 17), bytes, size % 2 == 0);

    marloven::CommitSettings settings;
    using marloven::LaunchMode;
    constexpr LaunchMode kModes[] = {LaunchMode::Dial, LaunchMode::Answer,
                                     LaunchMode::AlreadyConnected, LaunchMode::Network};
    settings.mode = kModes[size % 4];
    settings.value = bytes.substr(0, size % 9);
    (void)marloven::ComposeCommitData(bytes, settings);

    try {
        const auto entries = marloven::ParsePhonebook(bytes, "MARLOVEN.PBK");
        (void)marloven::FormatPhonebook(entries);
    } catch (const marloven::FileError&) {
        // a file cut inside a record is reported, not read
    }
    return 0;
}
