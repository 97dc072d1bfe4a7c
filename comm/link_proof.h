// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The few bytes by which a joining Marloven proves the host's game code before any byte of
// either side reaches DOSBox. The joiner speaks first, so that a plain DOSBox peer (which
// never starts with the magic) is known at its first bytes:
//
//   joiner -> host  Hello      magic 'H' joiner nonce (16)
//   host -> joiner  Challenge  magic 'C' host nonce (16)
//   joiner -> host  Proof      magic 'P' host nonce, joiner nonce, joiner's answer (32)
//   host -> joiner  Accepted   magic 'A' host's answer (32)    or    Refused  magic 'R'
//
// An answer is HMAC-SHA256 keyed by the code over a label naming who answers, then both
// nonces: the code never travels, an answer to one challenge fits no other, and the
// host's answer (which proves to the joiner that the host knows the code too) can never
// be sent back as a joiner's. Every frame has one fixed size, so a stranger is read a
// known number of bytes and no more. The proof repeats both nonces so that the tunnel's
// host keeps nothing of an unproven source: its nonce is a token only the source's
// address earns.
//
// Someone who records a whole exchange may search the 40 bits offline; what this stops
// is a stranger on the port, who must guess on line (see TryLimiter).
namespace marloven {

// The version is in the magic: a later handshake has another.
inline constexpr std::string_view kLinkMagic = "MARLOVEN-LINK1";
inline constexpr std::size_t kNonceBytes = 16;
inline constexpr std::size_t kAnswerBytes = 32;

enum class ProofFrame : char {
    Hello = 'H',
    Challenge = 'C',
    Proof = 'P',
    Accepted = 'A',
    Refused = 'R',
};

// The frame's whole size, magic included.
std::size_t FrameSize(ProofFrame kind);
std::string MakeFrame(ProofFrame kind, std::string_view body);
// The body of a frame of that kind and size; nothing for any other bytes.
std::optional<std::string> FrameBody(std::string_view bytes, ProofFrame kind);
// Whether the first bytes of a peer may still begin a handshake: they are the magic's
// first bytes, or begin with it. Bytes that are not come from something else (plain DOSBox,
// a port scanner's probe).
bool MayBeMagic(std::string_view firstBytes);

// The proof frame's body, in its parts.
struct ProofParts {
    std::string hostNonce;
    std::string joinerNonce;
    std::string answer;
};
std::string ProofBody(const ProofParts& parts);
std::optional<ProofParts> ReadProofBody(std::string_view body);

enum class ProofSide { Joiner, Host };
// What an answer is the keyed hash of: the side's label, then the host's and the joiner's
// nonces.
std::string AnswerInput(ProofSide side, std::string_view hostNonce, std::string_view joinerNonce);

// Failed tries at a host's code, across every peer: a bucket of a few tries that refills
// by one every interval. 40 bits are 1.1e12 codes; at two tries a second a stranger needs
// on average 2.7e11 s (8,700 years) to find one, and has one chance in 15 million of it in
// a ten-hour game. A try that must wait is held, not refused, so a stranger who spends
// the tries only delays the invited player.
class TryLimiter {
  public:
    static constexpr int kBurst = 4;
    static constexpr std::int64_t kRefillMs = 500;

    // Times are milliseconds of any steady clock.
    bool MayTry(std::int64_t nowMs);
    void Failed(std::int64_t nowMs);
    // How long until the next try may be made (0: now).
    std::int64_t WaitMs(std::int64_t nowMs);

  private:
    void Refill(std::int64_t nowMs);

    int tokens_ = kBurst;
    std::int64_t refilledAt_ = -1;
};

} // namespace marloven
