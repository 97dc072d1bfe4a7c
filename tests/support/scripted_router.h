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
using Deadline = portmap::Router::Deadline;
using portmap::Options;
using portmap::Outcome;
using portmap::Record;
using portmap::Request;
using portmap::Result;

// What the routers were asked, across the threads that ask them.
struct Calls {
    std::atomic<int> opens{0};
    std::atomic<int> removes{0};
    std::atomic<bool> removable{true}; // false: removals go unanswered
};

class ScriptedRouter final : public portmap::Router {
  public:
    ScriptedRouter(std::shared_ptr<Calls> calls, Outcome outcome, std::chrono::milliseconds delay)
        : calls_(std::move(calls)), outcome_(outcome), delay_(delay) {}
    Result Open(const Request& request, std::chrono::seconds lease, Deadline) override {
        std::this_thread::sleep_for(delay_);
        ++calls_->opens;
        if (outcome_ == Outcome::Opened) {
            return portmap::MappedResult(request, "upnp", "198.20.23.1", request.port,
                                         "192.168.77.2", lease);
        }
        Result result;
        result.outcome = outcome_;
        result.reason = "it already forwards that port to another machine";
        return result;
    }
    bool Remove(const Record&, Deadline) override {
        ++calls_->removes;
        return calls_->removable;
    }

  private:
    std::shared_ptr<Calls> calls_;
    Outcome outcome_;
    std::chrono::milliseconds delay_;
};

Options Scripted(std::shared_ptr<Calls> calls,
                 std::vector<std::pair<Outcome, std::chrono::milliseconds>> script,
                 std::chrono::milliseconds bound = 300ms,
                 std::chrono::seconds lease = portmap::kLease) {
    Options options;
    options.bound = bound;
    options.lease = lease;
    options.routers = [calls, script] {
        std::vector<std::unique_ptr<portmap::Router>> routers;
        for (const auto& [outcome, delay] : script) {
            routers.push_back(std::make_unique<ScriptedRouter>(calls, outcome, delay));
        }
        return routers;
    };
    return options;
}

} // namespace marloven::test
