// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <system_error>

namespace marloven {

// Makes atomic writes fail with the given error for as long as it lives, so tests see
// a full disk, or a folder that takes no new file, even when they run as root.
class WriteFailureForTesting {
  public:
    enum class Scope {
        EveryWrite, // a full disk: nothing can be written
        NewFiles,   // a folder that refuses new files; its files can still be written
        Flush,      // a disk that takes the writes but fails to keep them (a network
                    // share that fills up, a failing disk): only the flush says so
    };
    explicit WriteFailureForTesting(std::error_code error, Scope scope = Scope::EveryWrite);
    ~WriteFailureForTesting();
    WriteFailureForTesting(const WriteFailureForTesting&) = delete;
    WriteFailureForTesting& operator=(const WriteFailureForTesting&) = delete;
};

} // namespace marloven
