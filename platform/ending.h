// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>

namespace marloven {

// What a launcher ended from outside while a program runs (the session ending, its
// terminal closing, Ctrl+C) must not leave behind: the program itself, which the
// runner ends, and the files made for that start, registered here.

// A folder removed, with everything in it, should the launcher be ended while this
// lives.
class RemovedIfEnded {
  public:
    explicit RemovedIfEnded(std::filesystem::path folder);
    ~RemovedIfEnded();
    RemovedIfEnded(const RemovedIfEnded&) = delete;
    RemovedIfEnded& operator=(const RemovedIfEnded&) = delete;

  private:
    std::filesystem::path folder_;
};

// Removes every folder registered above; the runner calls it when the launcher is
// ended, once the running program has ended.
void RemoveWhatAnEndingLeaves();

} // namespace marloven
