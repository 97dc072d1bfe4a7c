// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/link_proof.h"

#include <gtest/gtest.h>

namespace marloven {
namespace {

// A burst of tries, then one for each refill interval, however long a stranger keeps on:
// an hour of tries is about two a second, not more.
TEST(LinkProof, FailedTriesAreLimitedToAFewASecond) {
    TryLimiter limiter;
    std::int64_t now = 1000;
    int tries = 0;
    for (; now < 1000 + 3600 * 1000; now += 10) {
        if (limiter.MayTry(now)) {
            limiter.Failed(now);
            ++tries;
        }
    }
    EXPECT_LE(tries, TryLimiter::kBurst + 3600 * 1000 / TryLimiter::kRefillMs);
    EXPECT_GE(tries, 3600 * 1000 / TryLimiter::kRefillMs);
    while (limiter.MayTry(now)) {
        limiter.Failed(now);
    }
    EXPECT_GT(limiter.WaitMs(now), 0);
    EXPECT_EQ(limiter.WaitMs(now + TryLimiter::kRefillMs), 0);
}

} // namespace
} // namespace marloven
