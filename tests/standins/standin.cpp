// SPDX-License-Identifier: GPL-3.0-or-later
// Stands in for the game's outside programs (VK.EXE, SETUP.EXE, COMMIT.EXE and
// VKSETMS.EXE), which are not ours. One executable acts by the name it was started
// under and writes what it saw to standin.log in its working directory, so the
// launcher can be tried end to end and tested.
//
// STANDIN_LINGER_MS   stay this many milliseconds before ending
// STANDIN_EXIT_CODE   end with this exit code (default 0)
// STANDIN_EXIT_STAMP  a file that receives the steady clock's count (nanoseconds)
//                     just before the program ends, for timing the launcher

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Lines = std::vector<std::string>;

constexpr int kMaxStartDepth = 3; // a VKSETMS.DAT that names VKSETMS.EXE must not loop

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : char(c); });
    return text;
}

// The bare name, whichever separator the system put into argv[0].
std::string BareName(const std::string& path) {
    const auto cut = path.find_last_of("/\\");
    return Upper(cut == std::string::npos ? path : path.substr(cut + 1));
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Lines SplitLines(const std::string& text) {
    Lines lines;
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

Lines SplitWords(const std::string& text) {
    Lines words;
    std::istringstream in(text);
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// One log record, written whole when the program is done acting.
class Record {
  public:
    Record(const std::string& name, const Lines& args) {
        text_ << "start " << name << '\n';
        for (const auto& arg : args) {
            text_ << "arg " << arg << '\n';
        }
        text_ << "dir " << fs::current_path().string() << '\n';
        AddFile("COMMIT.DAT");
        AddFile("VKSETMS.DAT");
    }
    void Note(const std::string& line) { text_ << line << '\n'; }
    void Append() {
        text_ << "end\n";
        std::ofstream("standin.log", std::ios::binary | std::ios::app) << text_.str();
    }

  private:
    void AddFile(const std::string& name) {
        if (!fs::is_regular_file(name)) {
            return;
        }
        text_ << "file " << name << '\n';
        for (const auto& line : SplitLines(ReadFile(name))) {
            text_ << "| " << line << '\n';
        }
    }
    std::ostringstream text_;
};

void ActAsSetup(Record& record) {
    if (fs::exists("VK.CFG")) {
        return;
    }
    WriteFile("VK.CFG", "[Velkaran]\r\n"
                        "PlayerName = \"Newcomer\"\r\n"
                        "NetColor = 3\r\n"
                        "ComPort = 2\r\n"
                        "UartAddress = ~\r\n"
                        "IrqNumber = ~\r\n"
                        "PortSpeed = 57600\r\n"
                        "ToneDial = 1\r\n"
                        "InitString = \"AT&F1\"\r\n"
                        "HangupString = \"ATH0=0\"\r\n"
                        "DialOutString = \"ATDT\"\r\n"
                        "TicDup = 0\r\n"
                        "UsePred = 1\r\n"
                        "CommbatMacro#0 = \"Incoming!\"\r\n"
                        "CommbatMacro#1 = \"Cover me\"\r\n");
    record.Note("wrote VK.CFG");
}

// A demo of our own: a magic word and a few made-up moves.
void WriteDemo(const std::string& name) {
    std::string bytes = "VKDM\x01";
    for (int tic = 0; tic < 48; ++tic) {
        bytes += static_cast<char>((tic * 37 + 11) & 0xff);
    }
    WriteFile(name, bytes);
}

void ActAsGame(Record& record, const Lines& args) {
    for (const auto& arg : args) {
        if (arg.size() > 3 && Upper(arg.substr(0, 3)) == "-DR") {
            WriteDemo(arg.substr(3));
            record.Note("wrote " + arg.substr(3));
        }
    }
    if (args.empty()) {
        std::error_code error;
        const auto size = fs::file_size("DEMO1.DMO", error);
        record.Note(error ? "demo DEMO1.DMO missing" : "demo DEMO1.DMO " + std::to_string(size));
    }
}

// The LAUNCHNAME of COMMIT.DAT, keys compared without blanks and case.
std::string LaunchName() {
    for (const auto& line : SplitLines(ReadFile("COMMIT.DAT"))) {
        const auto equals = line.find('=');
        if (line.empty() || line[0] == ';' || equals == std::string::npos) {
            continue;
        }
        std::string key = line.substr(0, equals);
        key.erase(std::remove(key.begin(), key.end(), ' '), key.end());
        if (Upper(key) == "LAUNCHNAME") {
            std::string value = line.substr(equals + 1);
            value.erase(std::remove(value.begin(), value.end(), '"'), value.end());
            const auto words = SplitWords(value);
            return words.empty() ? std::string() : words.front();
        }
    }
    return {};
}

// What a helper program goes on to start: the real helpers start it from the game
// directory; here this same executable plays that part, as long as a file of that
// name lies there.
struct NextStart {
    std::string program;
    Lines args;
};

std::optional<NextStart> ActByName(Record& record, const std::string& name, const Lines& args) {
    if (name == "SETUP.EXE") {
        ActAsSetup(record);
    } else if (name == "VK.EXE") {
        ActAsGame(record, args);
    } else if (name == "VKSETMS.EXE") {
        Lines order = SplitLines(ReadFile("VKSETMS.DAT"));
        order.resize(std::max<std::size_t>(order.size(), 2));
        return NextStart{order[0], SplitWords(order[1])};
    } else if (name == "COMMIT.EXE") {
        return NextStart{LaunchName(), args};
    }
    return std::nullopt;
}

int Act(const std::string& name, const Lines& args, int depth) {
    Record record(name, args);
    const auto next = ActByName(record, name, args);
    if (!next) {
        record.Append();
        return 0;
    }
    if (next->program.empty() || !fs::is_regular_file(next->program) || depth >= kMaxStartDepth) {
        record.Note("cannot start " + next->program);
        record.Append();
        return 1;
    }
    std::string line = "starts " + next->program;
    for (const auto& arg : next->args) {
        line += ' ' + arg;
    }
    record.Note(line);
    record.Append();
    return Act(BareName(next->program), next->args, depth + 1);
}

int NumberFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? 0 : std::atoi(value);
}

} // namespace

int main(int argc, char** argv) {
    const Lines args(argv + 1, argv + argc);
    const int failed = Act(BareName(argc > 0 ? argv[0] : ""), args, 0);
    std::this_thread::sleep_for(
        std::chrono::milliseconds(NumberFromEnvironment("STANDIN_LINGER_MS")));
    if (const char* stamp = std::getenv("STANDIN_EXIT_STAMP")) {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        WriteFile(stamp, std::to_string(std::chrono::nanoseconds(now).count()));
    }
    return std::getenv("STANDIN_EXIT_CODE") != nullptr ? NumberFromEnvironment("STANDIN_EXIT_CODE")
                                                       : failed;
}
