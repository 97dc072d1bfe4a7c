// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace marloven {

// The lines of a "Key = Value" text (VK.CFG, COMMIT.DAT) with the key rule both
// files share. The lines are views into the text as read, so even a very large file
// costs one buffer; a line that was set lives beside it. Untouched lines are written
// back byte for byte.
class KeyLines {
  public:
    KeyLines();
    // Splits the text on CR LF, a lone CR or a lone LF, and remembers whether it ends
    // with a break.
    explicit KeyLines(std::string text);
    KeyLines(KeyLines&&) noexcept;
    KeyLines& operator=(KeyLines&&) noexcept;
    // The lines point into this object's own storage.
    KeyLines(const KeyLines&) = delete;
    KeyLines& operator=(const KeyLines&) = delete;
    ~KeyLines();

    const std::vector<std::string_view>& Lines() const { return lines_; }
    bool EndsWithBreak() const { return endsWithBreak_; }

    // The first line whose key part matches, or nullptr.
    const std::string_view* Find(std::string_view key) const;
    // The first matching line becomes "Key = Value" in place (the key in the caller's
    // form, the value in double quotes when quoted, nothing escaped); a missing key is
    // appended. Appending to no lines makes the text end with a line break.
    void Set(std::string_view key, std::string_view value, bool quoted);
    // Removes the last line; the break that ended the line before it remains.
    void DropLastLine();

    // The lines joined by CR LF, with a final CR LF when the text ends with a break.
    std::string WrittenForm() const;
    // The written form as pieces to write one after another: runs of lines that stand
    // so in the text as read are one piece of it, so a large file is not copied.
    std::vector<std::string_view> WrittenPieces() const;

  private:
    // Holds a set line's text for the line at index and returns a view of it.
    std::string_view Keep(std::size_t index, std::string line);

    std::unique_ptr<const std::string> text_;
    std::deque<std::string> setLines_;                     // a deque never moves its elements
    std::unordered_map<std::size_t, std::size_t> setSlot_; // line index -> its text in setLines_
    std::vector<std::string_view> lines_;
    bool endsWithBreak_ = false;
};

// The key rule: comments start in column 1 with ";", the key part is what stands
// before the first "=", compared without blanks and upper-cased against the
// upper-cased key.
bool KeyLineMatches(std::string_view line, std::string_view upperKey);

// The value of a key line as the game reads it: leading blanks gone, then the first
// two double quotes removed wherever they stand.
std::string ValueOfKeyLine(std::string_view line);

} // namespace marloven
