// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace marloven::test {

// Owned copies of a store's line views, for comparing with expected lines.
inline std::vector<std::string> Texts(const std::vector<std::string_view>& lines) {
    return {lines.begin(), lines.end()};
}

} // namespace marloven::test
