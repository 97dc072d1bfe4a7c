// SPDX-License-Identifier: GPL-3.0-or-later
// How often a save killed at a random moment (kill -9) spoils the file, on the usual
// path (a temporary file renamed over the old one) and on the fallback that rewrites
// the file in place where the folder takes no new file. Each round starts one save in
// a child process and kills it somewhere within one and a half times a save's length.
//
//   save_crash_bench [ATOMIC_ROUNDS [IN_PLACE_ROUNDS [KILOBYTES]]]   (100 60 8192)

#include "core/file_io.h"
#include "tests/support/write_failure.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string ConfigText(char value, std::size_t size) {
    std::string text;
    for (int line = 0; text.size() < size; ++line) {
        text += "Key" + std::to_string(line) + " = \"" + std::string(40, value) + "\"\r\n";
    }
    return text;
}

struct Outcome {
    int old = 0, renewed = 0, damaged = 0, empty = 0, leftovers = 0;
};

void Save(const fs::path& path, const std::string& bytes, bool inPlace) {
    const marloven::WriteFailureForTesting noNewFiles(
        inPlace ? std::make_error_code(std::errc::permission_denied) : std::error_code(),
        marloven::WriteFailureForTesting::Scope::NewFiles);
    if (marloven::WriteFileAtomically(path, bytes)) {
        std::fprintf(stderr, "a save failed\n");
    }
}

double SaveMicroseconds(const fs::path& path, const std::string& bytes, bool inPlace) {
    const auto start = Clock::now();
    for (int i = 0; i < 3; ++i) {
        Save(path, bytes, inPlace);
    }
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / 3;
}

void Classify(const fs::path& path, const std::string& before, const std::string& after,
              Outcome& outcome) {
    const auto now = marloven::ReadWholeFile(path).value_or("");
    if (now == before) {
        ++outcome.old;
    } else if (now == after) {
        ++outcome.renewed;
    } else {
        ++outcome.damaged;
        outcome.empty += now.empty() ? 1 : 0;
    }
}

Outcome KillLoop(const fs::path& folder, int rounds, std::size_t size, bool inPlace) {
    const auto path = folder / "VK.CFG";
    const std::string texts[2] = {ConfigText('a', size), ConfigText('b', size + size / 5)};
    const double length = SaveMicroseconds(path, texts[0], inPlace);
    std::mt19937 draw(12345);
    std::uniform_real_distribution<double> moment(0, 1.5 * length);
    Outcome outcome;
    for (int round = 0; round < rounds; ++round) {
        const std::string& before = texts[round % 2];
        const std::string& after = texts[(round + 1) % 2];
        Save(path, before, false);
        const pid_t child = fork();
        if (child == 0) {
            Save(path, after, inPlace);
            _exit(0);
        }
        usleep(static_cast<useconds_t>(moment(draw)));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        Classify(path, before, after, outcome);
        outcome.leftovers += static_cast<int>(marloven::RemoveLeftoverTemporaries(folder));
    }
    std::printf(
        "%-9s %3d saves of %zu KB killed (a save takes %.1f ms): %d old whole, %d new whole, "
        "%d damaged (%d empty); %d temporary files left, removed by the cleanup\n",
        inPlace ? "in place:" : "atomic:", rounds, size >> 10, length / 1000, outcome.old,
        outcome.renewed, outcome.damaged, outcome.empty, outcome.leftovers);
    return outcome;
}

} // namespace

int main(int argc, char** argv) {
    const int atomicRounds = argc > 1 ? std::atoi(argv[1]) : 100;
    const int inPlaceRounds = argc > 2 ? std::atoi(argv[2]) : 60;
    const std::size_t size = (argc > 3 ? std::stoul(argv[3]) : 8192) << 10;
    const auto folder =
        fs::temp_directory_path() / ("marloven-save-crash-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const auto atomic = KillLoop(folder, atomicRounds, size, false);
    KillLoop(folder, inPlaceRounds, size, true);
    fs::remove_all(folder);
    // The usual path must never spoil the file.
    return atomic.damaged == 0 ? 0 : 1;
}
