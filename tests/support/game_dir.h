// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <initializer_list>
#include <string>
#include <utility>

namespace marloven::test {

// A temporary game directory holding the given files, removed again at the end of
// the test.
class GameDir {
  public:
    using Files = std::initializer_list<std::pair<std::string, std::string>>;
    GameDir() : GameDir(Files{}) {}
    explicit GameDir(Files files);
    ~GameDir();
    GameDir(const GameDir&) = delete;
    GameDir& operator=(const GameDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    void Write(const std::string& name, const std::string& bytes) const;
    // The file's bytes; the empty text when it does not exist.
    std::string Read(const std::string& name) const;
    bool Exists(const std::string& name) const;

  private:
    std::filesystem::path path_;
};

} // namespace marloven::test
