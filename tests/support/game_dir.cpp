// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/game_dir.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace marloven::test {

namespace {

std::filesystem::path MakeUniqueDirectory() {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate =
            std::filesystem::temp_directory_path() /
            ("marloven-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        if (std::filesystem::create_directory(candidate)) {
            return candidate;
        }
    }
    throw std::runtime_error("cannot make a temporary game directory");
}

} // namespace

GameDir::GameDir(Files files) : path_(MakeUniqueDirectory()) {
    for (const auto& [name, bytes] : files) {
        Write(name, bytes);
    }
}

GameDir::~GameDir() {
    // Windows deletes no read-only file, so every entry that a test locked is
    // unlocked first.
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::error_code walk;
    for (auto entry = std::filesystem::recursive_directory_iterator(path_, walk);
         !walk && entry != std::filesystem::recursive_directory_iterator(); entry.increment(walk)) {
        std::filesystem::permissions(
            entry->path(), std::filesystem::perms::owner_all,
            std::filesystem::perm_options::add | std::filesystem::perm_options::nofollow, ignored);
    }
    std::filesystem::remove_all(path_, ignored);
}

void GameDir::Write(const std::string& name, const std::string& bytes) const {
    const auto target = path_ / name;
    std::filesystem::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string GameDir::Read(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool GameDir::Exists(const std::string& name) const {
    return std::filesystem::exists(path_ / name);
}

} // namespace marloven::test
