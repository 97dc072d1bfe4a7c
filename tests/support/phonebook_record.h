// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace marloven::test {

// One MARLOVEN.PBK record spelled out byte by byte, independently of the writer:
// a length byte and 40 characters for the name, the same for the number, zeros after
// the counted characters.
inline std::string PhonebookRecord(std::string_view name, std::string_view number) {
    std::string bytes(82, '\0');
    bytes[0] = static_cast<char>(name.size());
    bytes.replace(1, name.size(), name);
    bytes[41] = static_cast<char>(number.size());
    bytes.replace(42, number.size(), number);
    return bytes;
}

} // namespace marloven::test
