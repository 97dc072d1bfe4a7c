#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace marloven {

// The lines of the game's VK.CFG in memory. Changes stay in memory until CfgSave;
// a line that no CfgSet touched is written back byte for byte.
class CfgStore {
  public:
    static constexpr const char* kFileName = "VK.CFG";

    // The store reads and writes VK.CFG in this directory (the game directory).
    explicit CfgStore(std::filesystem::path directory);

    // Replaces every line with those of the file. Throws FileError("Cannot open file
    // ...") and keeps the previous lines when the file cannot be read.
    void CfgLoad();
    // Replaces the file whole with the written form. Throws FileError("Cannot create
    // file ...") when it cannot be written; the store and the old file stay as they were.
    void CfgSave() const;

    std::string CfgGet(std::string_view key) const;
    std::string CfgGetDefault(std::string_view key, std::string_view defaultValue) const;
    void CfgSet(std::string_view key, std::string_view value, bool quoted);

    const std::vector<std::string>& Lines() const { return lines_; }
    bool EndsWithBreak() const { return endsWithBreak_; }
    // The lines joined by CR LF, as CfgSave writes them.
    std::string WrittenForm() const;
    std::filesystem::path FilePath() const { return directory_ / kFileName; }

  private:
    // Index of the first line whose key matches, or -1.
    std::ptrdiff_t FindKey(std::string_view key) const;

    std::filesystem::path directory_;
    std::vector<std::string> lines_;
    bool endsWithBreak_ = false;
};

// The key rule shared with the comm driver's data file: comments start in column 1
// with ";", the key part is what stands before the first "=", compared without
// blanks and upper-cased against the upper-cased key.
bool KeyLineMatches(std::string_view line, std::string_view upperKey);

// Sets a key in a list of lines by that rule: the first matching line is replaced in place
// by "Key = Value" (the value in double quotes when quoted, nothing escaped), or the line
// is appended. Appending to no lines makes the text end with a line break.
void SetKeyLine(std::vector<std::string>& lines, bool& endsWithBreak, std::string_view key,
                std::string_view value, bool quoted);

// The value of a key line as the game reads it: leading blanks gone, then the first
// two double quotes removed wherever they stand.
std::string ValueOfKeyLine(std::string_view line);

} // namespace marloven
