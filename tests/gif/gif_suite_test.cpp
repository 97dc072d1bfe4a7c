// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the public GIF conformance suite that lies beside the repository, when it is
// there. Each case is decoded and composed frame by frame; the composed canvases are
// compared with the suite's pictures and the header fields with its expectations.

#include "gif/gif_compose.h"
#include "gif/gif_decoder.h"
#include "tests/support/composed_pixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace marloven {
namespace {

namespace fs = std::filesystem;

// The suite lies beside the repository; MARLOVEN_GIF_SUITE names another place (for a
// work tree that is not beside it).
fs::path SuiteRoot() {
    if (const char* place = std::getenv("MARLOVEN_GIF_SUITE")) {
        return place;
    }
    return fs::path(MARLOVEN_SOURCE_DIR) / ".." / "shared" / "gif-suite";
}

const fs::path kSuiteDir = SuiteRoot() / "test-suite";

using IniSections = std::map<std::string, std::map<std::string, std::string>>;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    const auto last = text.find_last_not_of(" \t\r");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

IniSections ReadIni(const fs::path& path) {
    IniSections sections;
    std::istringstream lines(ReadFile(path));
    std::string line;
    std::string section;
    while (std::getline(lines, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == '#') {
            continue;
        }
        if (line.front() == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
            continue;
        }
        const auto equals = line.find('=');
        if (equals != std::string::npos) {
            sections[section][Trim(line.substr(0, equals))] = Trim(line.substr(equals + 1));
        }
    }
    return sections;
}

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    std::istringstream parts(text);
    std::string item;
    while (std::getline(parts, item, ',')) {
        if (!Trim(item).empty()) {
            items.push_back(Trim(item));
        }
    }
    return items;
}

// What one case expects.
struct Expected {
    int width = 0;
    int height = 0;
    int loopCount = 1; // in our terms: 1 without the looping extension, 0 for ever
    std::vector<std::string> canvases;
    std::vector<int> delays; // ours: milliseconds, at least 1
};

Expected ReadExpected(const IniSections& ini) {
    const auto& config = ini.at("config");
    Expected expected;
    expected.width = std::stoi(config.at("width"));
    expected.height = std::stoi(config.at("height"));
    const std::string loop = config.at("loop-count");
    expected.loopCount = loop == "infinite" ? 0 : loop == "0" ? 1 : std::stoi(loop);
    for (const std::string& name : SplitList(config.at("frames"))) {
        const auto& frame = ini.at(name);
        expected.canvases.push_back(ReadFile(kSuiteDir / frame.at("pixels")));
        const auto delay = frame.find("delay");
        expected.delays.push_back(
            delay == frame.end() ? 1 : std::max(std::stoi(delay->second) * 10, 1));
    }
    return expected;
}

// The composed canvas over the logical screen as 8-bit RGBA; what lies beyond the
// composition, and everything when there are no frames, is transparent.
std::string Canvas(const GifDecoder& gif, const GifComposition& composition, int width,
                   int height) {
    std::string rgba(static_cast<std::size_t>(width) * height * 4, '\0');
    if (gif.FrameCount() == 0) {
        return rgba;
    }
    const int shownWidth = std::min(width, composition.width);
    const int shownHeight = std::min(height, composition.height);
    for (int y = 0; y < shownHeight; ++y) {
        for (int x = 0; x < shownWidth; ++x) {
            if (ComposedTransparent(composition, x, y)) {
                continue;
            }
            const std::uint32_t pixel = ComposedAt(composition, x, y);
            char* out = rgba.data() + (static_cast<std::size_t>(y) * width + x) * 4;
            out[0] = static_cast<char>(pixel >> 16);
            out[1] = static_cast<char>(pixel >> 8);
            out[2] = static_cast<char>(pixel);
            out[3] = static_cast<char>(0xff);
        }
    }
    return rgba;
}

// The first pixel where two canvases differ (both transparent counts as equal), or -1.
long FirstDifference(const std::string& ours, const std::string& theirs) {
    if (ours.size() != theirs.size()) {
        return 0;
    }
    for (std::size_t i = 0; i < ours.size(); i += 4) {
        const bool bothClear = ours[i + 3] == 0 && theirs[i + 3] == 0;
        if (!bothClear && ours.compare(i, 4, theirs, i, 4) != 0) {
            return static_cast<long>(i / 4);
        }
    }
    return -1;
}

struct Result {
    GifDecoder gif;
    std::vector<std::string> canvases;
};

void DecodeAndCompose(const std::string& bytes, const Expected& expected, Result& result) {
    ASSERT_TRUE(result.gif.DecodeGif(bytes));
    GifComposition composition;
    composition.Start(result.gif);
    // Without expected pictures the screen may be absurdly large: compose, keep nothing.
    const bool keep = !expected.canvases.empty();
    for (int n = 1; n <= result.gif.FrameCount(); ++n) {
        composition.DisposeFrame(result.gif, n - 1);
        composition.DrawFrame(result.gif, n);
        if (keep) {
            result.canvases.push_back(
                Canvas(result.gif, composition, expected.width, expected.height));
        }
    }
    if (keep && result.canvases.empty()) {
        result.canvases.push_back(Canvas(result.gif, composition, expected.width, expected.height));
    }
}

void ExpectCanvasesMatch(const Result& result, const Expected& expected) {
    if (expected.canvases.empty()) {
        return; // no picture is defined: it is enough not to crash
    }
    const bool frameByFrame =
        static_cast<std::size_t>(result.gif.FrameCount()) == expected.canvases.size();
    for (std::size_t i = frameByFrame ? 0 : expected.canvases.size() - 1;
         i < expected.canvases.size(); ++i) {
        const std::string& ours = frameByFrame ? result.canvases[i] : result.canvases.back();
        EXPECT_EQ(FirstDifference(ours, expected.canvases[i]), -1) << "canvas " << i + 1;
        if (frameByFrame) {
            EXPECT_EQ(result.gif.frames[i].delay, expected.delays[i]) << "frame " << i + 1;
        }
    }
}

void ExpectHeaderMatches(const Result& result, const Expected& expected) {
    EXPECT_EQ(result.gif.imageWidth, expected.width);
    EXPECT_EQ(result.gif.imageHeight, expected.height);
    EXPECT_EQ(result.gif.loopCount, expected.loopCount);
}

// Cases where this decoder's rules give another result on purpose, with what they give.
struct Difference {
    const char* why;
    std::function<void(const Result&, const Expected&)> check;
};

// A frame reaching beyond the logical screen enlarges the picture instead of being cut
// off; over the screen the canvas is the suite's.
Difference Enlarged(int width, int height) {
    return {"frames beyond the screen enlarge the picture",
            [width, height](const Result& result, const Expected& expected) {
                EXPECT_EQ(result.gif.imageWidth, width);
                EXPECT_EQ(result.gif.imageHeight, height);
                EXPECT_EQ(result.gif.loopCount, expected.loopCount);
                ExpectCanvasesMatch(result, expected);
            }};
}

// Only the NETSCAPE2.0 extension gives a loop count; without it a file plays once.
Difference PlaysOnce() {
    return {"only NETSCAPE2.0 sets the loop count",
            [](const Result& result, const Expected& expected) {
                EXPECT_EQ(result.gif.loopCount, 1);
                EXPECT_EQ(result.gif.imageWidth, expected.width);
                ExpectCanvasesMatch(result, expected);
            }};
}

const std::map<std::string, Difference>& Differences() {
    static const std::map<std::string, Difference> differences = {
        {"image-overlap-bg", Enlarged(3, 3)},
        {"image-outside-bg", Enlarged(4, 4)},
        {"loop-animexts", PlaysOnce()},
        {"gif87a-animation", PlaysOnce()},
        {"unknown-extension",
         {"an unknown extension label ends the reading, here before the only image",
          [](const Result& result, const Expected& expected) {
              EXPECT_EQ(result.gif.FrameCount(), 0);
              EXPECT_EQ(result.gif.imageWidth, expected.width);
              EXPECT_EQ(FirstDifference(result.canvases.back(),
                                        std::string(expected.canvases.back().size(), '\0')),
                        -1);
          }}},
    };
    return differences;
}

TEST(GifConformanceSuite, EveryCaseDecodesAsTheSuiteOrOurOwnRulesExpect) {
    if (!fs::exists(kSuiteDir / "TESTS")) {
        GTEST_SKIP() << "the GIF conformance suite is not at " << kSuiteDir.string();
    }
    std::istringstream names(ReadFile(kSuiteDir / "TESTS"));
    std::string name;
    int cases = 0;
    while (std::getline(names, name)) {
        name = Trim(name);
        if (name.empty()) {
            continue;
        }
        ++cases;
        SCOPED_TRACE(name);
        const IniSections ini = ReadIni(kSuiteDir / (name + ".conf"));
        const Expected expected = ReadExpected(ini);
        Result result;
        DecodeAndCompose(ReadFile(kSuiteDir / ini.at("config").at("input")), expected, result);
        const auto difference = Differences().find(name);
        if (difference != Differences().end()) {
            SCOPED_TRACE(difference->second.why);
            difference->second.check(result, expected);
            continue;
        }
        ExpectHeaderMatches(result, expected);
        ExpectCanvasesMatch(result, expected);
    }
    EXPECT_EQ(cases, 84);
}

} // namespace
} // namespace marloven
