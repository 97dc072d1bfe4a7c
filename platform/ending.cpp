// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ending.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace marloven {

namespace {

std::mutex g_guard;
std::vector<std::filesystem::path> g_folders;

} // namespace

RemovedIfEnded::RemovedIfEnded(std::filesystem::path folder) : folder_(std::move(folder)) {
    const std::lock_guard lock(g_guard);
    g_folders.push_back(folder_);
}

RemovedIfEnded::~RemovedIfEnded() {
    const std::lock_guard lock(g_guard);
    const auto found = std::find(g_folders.begin(), g_folders.end(), folder_);
    if (found != g_folders.end()) {
        g_folders.erase(found);
    }
}

void RemoveWhatAnEndingLeaves() {
    const std::lock_guard lock(g_guard);
    for (const auto& folder : g_folders) {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    g_folders.clear();
}

} // namespace marloven
