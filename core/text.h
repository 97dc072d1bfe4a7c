// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace marloven {

// Text is 8-bit bytes as they stand in the game's files; these never look at a
// character set.
std::string TrimLeadingBlanks(std::string_view text);
std::string UpperAscii(std::string_view text);

// The ASCII digit classes, whatever the locale: addresses, ports and escapes are read by
// them.
bool IsDigit(char c);
bool IsHexDigit(char c);

// The text as a value on one line of the game's text files: each CR LF, lone CR or
// lone LF becomes one blank, and so does every other control byte but tab (a NUL
// would cut a C string short, a Ctrl-Z end a DOS text file). Bytes from 128 up stay.
std::string OneLine(std::string_view text);
// The same for the files the game's DOS drivers read (COMMIT.DAT, VKSETMS.DAT), which
// expect no control byte inside a value at all: tab and DEL become blanks too.
std::string DriverLine(std::string_view text);

// The lines of a text, split on CR LF, a lone CR or a lone LF. A break at the very
// end starts no further line.
struct SplitText {
    std::vector<std::string> lines;
    bool endsWithBreak = false;
};
SplitText SplitLines(std::string_view text);

// The same lines as views into the text, which must outlive them.
struct SplitTextViews {
    std::vector<std::string_view> lines;
    bool endsWithBreak = false;
};
SplitTextViews SplitLineViews(std::string_view text);

// The lines joined with CR LF, with a final CR LF when endsWithBreak is set.
std::string JoinLines(const std::vector<std::string_view>& lines, bool endsWithBreak);

} // namespace marloven
