// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/link_proof.h"

#include <algorithm>

namespace marloven {

namespace {

std::size_t BodySize(ProofFrame kind) {
    switch (kind) {
    case ProofFrame::Hello:
    case ProofFrame::Challenge:
        return kNonceBytes;
    case ProofFrame::Proof:
        return 2 * kNonceBytes + kAnswerBytes;
    case ProofFrame::Accepted:
        return kAnswerBytes;
    case ProofFrame::Refused:
        break;
    }
    return 0;
}

} // namespace

std::size_t FrameSize(ProofFrame kind) {
    return kLinkMagic.size() + 1 + BodySize(kind);
}

std::string MakeFrame(ProofFrame kind, std::string_view body) {
    std::string frame(kLinkMagic);
    frame += static_cast<char>(kind);
    frame += body.substr(0, BodySize(kind));
    frame.resize(FrameSize(kind), '\0');
    return frame;
}

std::optional<std::string> FrameBody(std::string_view bytes, ProofFrame kind) {
    if (bytes.size() != FrameSize(kind) || !bytes.starts_with(kLinkMagic) ||
        bytes[kLinkMagic.size()] != static_cast<char>(kind)) {
        return std::nullopt;
    }
    return std::string(bytes.substr(kLinkMagic.size() + 1));
}

bool MayBeMagic(std::string_view firstBytes) {
    const std::size_t compared = std::min(firstBytes.size(), kLinkMagic.size());
    return firstBytes.substr(0, compared) == kLinkMagic.substr(0, compared);
}

std::string ProofBody(const ProofParts& parts) {
    return parts.hostNonce + parts.joinerNonce + parts.answer;
}

std::optional<ProofParts> ReadProofBody(std::string_view body) {
    if (body.size() != BodySize(ProofFrame::Proof)) {
        return std::nullopt;
    }
    return ProofParts{std::string(body.substr(0, kNonceBytes)),
                      std::string(body.substr(kNonceBytes, kNonceBytes)),
                      std::string(body.substr(2 * kNonceBytes))};
}

std::string AnswerInput(ProofSide side, std::string_view hostNonce, std::string_view joinerNonce) {
    std::string input(kLinkMagic);
    input += side == ProofSide::Joiner ? " joiner answers" : " host answers";
    input += '\0';
    input += hostNonce;
    input += joinerNonce;
    return input;
}

void TryLimiter::Refill(std::int64_t nowMs) {
    if (refilledAt_ < 0 || tokens_ >= kBurst) {
        refilledAt_ = nowMs;
        return;
    }
    const std::int64_t earned = (nowMs - refilledAt_) / kRefillMs;
    tokens_ = static_cast<int>(std::min<std::int64_t>(kBurst, tokens_ + earned));
    refilledAt_ += earned * kRefillMs;
}

bool TryLimiter::MayTry(std::int64_t nowMs) {
    Refill(nowMs);
    return tokens_ > 0;
}

void TryLimiter::Failed(std::int64_t nowMs) {
    Refill(nowMs);
    tokens_ = std::max(0, tokens_ - 1);
}

std::int64_t TryLimiter::WaitMs(std::int64_t nowMs) {
    if (MayTry(nowMs)) {
        return 0;
    }
    return std::max<std::int64_t>(1, refilledAt_ + kRefillMs - nowMs);
}

} // namespace marloven
