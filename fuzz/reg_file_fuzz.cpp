// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/modem_detect.h"
#include "comm/reg_file.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// Any bytes as a registry export, then the modem scan and detection over what it gave.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto source =
        marloven::ParseRegFile(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const auto& row : marloven::ListInstalledModems(source)) {
        (void)marloven::DetectModem(source, &row);
    }
    return 0;
}
