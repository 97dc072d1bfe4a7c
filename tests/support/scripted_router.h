// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Routers of the tests' own making, each answering as its script says after a delay,
// for what lies above the router: the bound, renewal, removal, the settings' record.
#include "portmap/port_mapping.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

namespace marloven::test {

using namespace std::chrono_literals;
using Deadline = HomeRouter::Deadline;

// What the routers were asked, across the threads that ask them.
struct Calls {
    std::atomic<int> opens{0};
    std::atomic<int> removes{0};
    std::atomic<bool> removable{true}; // false: removals go unanswered
};

class ScriptedRouter final : public HomeRouter {
  public:
    ScriptedRouter(std::shared_ptr<Calls> calls, RouterOutcome outcome,
                   std::chrono::milliseconds delay)
        : calls_(std::move(calls)), outcome_(outcome), delay_(delay) {}
    RouterAnswer Open(const PortRequest& request, std::chrono::seconds lease, Deadline) override {
        std::this_thread::sleep_for(delay_);
        ++calls_->opens;
        if (outcome_ == RouterOutcome::Opened) {
            return MappedAnswer(request, "upnp", "198.20.23.1", request.port, "192.168.77.2",
                                lease);
        }
        RouterAnswer result;
        result.outcome = outcome_;
        result.reason = "it already forwards that port to another machine";
        return result;
    }
    bool Remove(const MappingRecord&, Deadline) override {
        ++calls_->removes;
        return calls_->removable;
    }

  private:
    std::shared_ptr<Calls> calls_;
    RouterOutcome outcome_;
    std::chrono::milliseconds delay_;
};

MappingOptions Scripted(std::shared_ptr<Calls> calls,
                        std::vector<std::pair<RouterOutcome, std::chrono::milliseconds>> script,
                        std::chrono::milliseconds bound = 300ms,
                        std::chrono::seconds lease = kMappingLease) {
    MappingOptions options;
    options.bound = bound;
    options.lease = lease;
    options.routers = [calls, script] {
        std::vector<std::unique_ptr<HomeRouter>> routers;
        for (const auto& [outcome, delay] : script) {
            routers.push_back(std::make_unique<ScriptedRouter>(calls, outcome, delay));
        }
        return routers;
    };
    return options;
}

} // namespace marloven::test
