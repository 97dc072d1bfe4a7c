// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHash>
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

// What the meeting place carries is sealed end to end: it sees random topics and sealed
// bytes, and a client without the game's code can neither read them nor make any that
// the players would take.
namespace marloven {

inline constexpr std::size_t kSealKeyBytes = 32;
using SealKey = std::array<std::uint8_t, kSealKeyBytes>;

// HKDF-SHA256 of a secret (the game's code), the meeting place's own salt, and the
// purpose as the info: each purpose gets a key of its own from the one code.
SealKey DeriveKey(const QByteArray& secret, std::string_view purpose);

// Bytes from OpenSSL's random generator.
QByteArray RandomBytes(int count);

// Seals and opens the messages of one player of a game. A sealed message is
//   sender id (4) | counter (8) | ChaCha20-Poly1305 ciphertext | tag (16)
// where sender id and counter make the nonce: every player of a game has an id of its
// own and never repeats a counter, so no nonce is used twice under the game's key. The
// topic a message is published on is authenticated too, so that a message cannot be
// moved to another player's inbox. A message whose counter was already seen from its
// sender is refused, so that recorded messages cannot be played again.
class SealedBox {
  public:
    static constexpr int kHeaderBytes = 12;
    static constexpr int kTagBytes = 16;
    static constexpr int kOverhead = kHeaderBytes + kTagBytes;

    SealedBox(const SealKey& key, std::uint32_t senderId);

    QByteArray Seal(const QByteArray& plain, const QByteArray& topic);

    struct Opened {
        std::uint32_t sender = 0;
        QByteArray plain;
    };
    // Nothing for a message that is damaged, forged, sealed under another key, for
    // another topic, or already seen.
    std::optional<Opened> Open(const QByteArray& sealed, const QByteArray& topic);

    // The id of the sender of a sealed message, unauthenticated (for routing only).
    static std::optional<std::uint32_t> SenderOf(const QByteArray& sealed);

  private:
    // The counters seen from one sender: the highest, and a bitmap of the 64 below it.
    struct Seen {
        std::uint64_t highest = 0;
        std::uint64_t below = 0;
        bool any = false;
    };
    static constexpr int kMostSenders = 64;
    bool Fresh(const Seen& seen, std::uint64_t counter) const;
    static void Mark(Seen& seen, std::uint64_t counter);

    SealKey key_;
    std::uint32_t senderId_;
    std::uint64_t counter_ = 0;
    QHash<std::uint32_t, Seen> seen_;
};

// An Ed25519 key of a host's: a games listing is signed with it, so that it names who
// made it and no other client can pass its own listing off as this host's.
class SigningKey {
  public:
    static constexpr int kPublicBytes = 32;
    static constexpr int kSignatureBytes = 64;

    // A new key; or the one whose private half was kept (nothing when it is no key).
    static SigningKey Generate();
    static std::optional<SigningKey> FromPrivate(const QByteArray& privateKey);

    QByteArray PublicKey() const { return public_; }
    QByteArray PrivateKey() const { return private_; }
    QByteArray Sign(const QByteArray& message) const;

  private:
    SigningKey() = default;
    QByteArray private_;
    QByteArray public_;
};

bool VerifySignature(const QByteArray& publicKey, const QByteArray& message,
                     const QByteArray& signature);

} // namespace marloven
