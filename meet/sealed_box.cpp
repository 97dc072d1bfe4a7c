// SPDX-License-Identifier: GPL-3.0-or-later
#include "meet/sealed_box.h"

#include <QtEndian>
#include <chrono>
#include <memory>
#include <openssl/evp.h>
#include <openssl/kdf.h>
#include <openssl/rand.h>
#include <stdexcept>

namespace marloven {
namespace {

// Salts the derivation with this program's own name and the version of the way it talks
// through the meeting place, so that the same code in another program gives other keys.
constexpr std::string_view kSalt = "Marloven meeting place 1";
constexpr int kNonceBytes = 12;

struct CipherContextFree {
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};
struct KeyContextFree {
    void operator()(EVP_PKEY_CTX* context) const { EVP_PKEY_CTX_free(context); }
};
struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct DigestContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree>;
using KeyContext = std::unique_ptr<EVP_PKEY_CTX, KeyContextFree>;
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;
using DigestContext = std::unique_ptr<EVP_MD_CTX, DigestContextFree>;

const unsigned char* Bytes(const QByteArray& bytes) {
    return reinterpret_cast<const unsigned char*>(bytes.constData());
}
unsigned char* Bytes(QByteArray& bytes) {
    return reinterpret_cast<unsigned char*>(bytes.data());
}

// OpenSSL fails here only when it cannot work at all (no memory, no cipher built in):
// nothing the players could go on from.
void Require(bool done, const char* what) {
    if (!done) {
        throw std::runtime_error(std::string("OpenSSL could not ") + what);
    }
}

} // namespace

SealKey DeriveKey(const QByteArray& secret, std::string_view purpose) {
    SealKey key{};
    KeyContext context(EVP_PKEY_CTX_new_id(EVP_PKEY_HKDF, nullptr));
    std::size_t length = key.size();
    const auto* salt = reinterpret_cast<const unsigned char*>(kSalt.data());
    const auto* info = reinterpret_cast<const unsigned char*>(purpose.data());
    Require(context && EVP_PKEY_derive_init(context.get()) > 0 &&
                EVP_PKEY_CTX_set_hkdf_md(context.get(), EVP_sha256()) > 0 &&
                EVP_PKEY_CTX_set1_hkdf_salt(context.get(), salt, static_cast<int>(kSalt.size())) >
                    0 &&
                EVP_PKEY_CTX_set1_hkdf_key(context.get(), Bytes(secret),
                                           static_cast<int>(secret.size())) > 0 &&
                EVP_PKEY_CTX_add1_hkdf_info(context.get(), info, static_cast<int>(purpose.size())) >
                    0 &&
                EVP_PKEY_derive(context.get(), key.data(), &length) > 0 && length == key.size(),
            "derive a key");
    return key;
}

QByteArray RandomBytes(int count) {
    QByteArray bytes(count, '\0');
    Require(RAND_bytes(Bytes(bytes), count) == 1, "make random bytes");
    return bytes;
}

// A host that ends and hosts the same game again (same code, same id) must not use its
// counters again: the counter starts at the time in microseconds, times 256 with a random
// byte, which is past any counter an earlier run reached unless it sealed more than 256
// messages a microsecond. Receivers then take the new run's messages as fresh too.
SealedBox::SealedBox(const SealKey& key, std::uint32_t senderId)
    : key_(key), senderId_(senderId),
      counter_((static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                               std::chrono::system_clock::now().time_since_epoch())
                                               .count())
                << 8) |
               static_cast<std::uint8_t>(RandomBytes(1)[0])) {}

QByteArray SealedBox::Seal(const QByteArray& plain, const QByteArray& topic) {
    QByteArray sealed(kHeaderBytes + plain.size() + kTagBytes, '\0');
    qToBigEndian(senderId_, Bytes(sealed));
    qToBigEndian(++counter_, Bytes(sealed) + 4);
    CipherContext context(EVP_CIPHER_CTX_new());
    int length = 0;
    int finalLength = 0;
    unsigned char* out = Bytes(sealed) + kHeaderBytes;
    Require(context &&
                EVP_EncryptInit_ex(context.get(), EVP_chacha20_poly1305(), nullptr, key_.data(),
                                   Bytes(sealed)) > 0 &&
                EVP_EncryptUpdate(context.get(), nullptr, &length, Bytes(topic),
                                  static_cast<int>(topic.size())) > 0 &&
                EVP_EncryptUpdate(context.get(), out, &length, Bytes(plain),
                                  static_cast<int>(plain.size())) > 0 &&
                EVP_EncryptFinal_ex(context.get(), out + length, &finalLength) > 0 &&
                EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_AEAD_GET_TAG, kTagBytes,
                                    out + plain.size()) > 0,
            "seal a message");
    return sealed;
}

std::optional<std::uint32_t> SealedBox::SenderOf(const QByteArray& sealed) {
    if (sealed.size() < kOverhead) {
        return std::nullopt;
    }
    return qFromBigEndian<std::uint32_t>(Bytes(sealed));
}

std::optional<SealedBox::Opened> SealedBox::Open(const QByteArray& sealed,
                                                 const QByteArray& topic) {
    if (sealed.size() < kOverhead) {
        return std::nullopt;
    }
    const auto sender = qFromBigEndian<std::uint32_t>(Bytes(sealed));
    const auto counter = qFromBigEndian<std::uint64_t>(Bytes(sealed) + 4);
    const auto known = seen_.constFind(sender);
    if (known != seen_.constEnd() && !Fresh(*known, counter)) {
        return std::nullopt;
    }
    const int plainBytes = static_cast<int>(sealed.size()) - kOverhead;
    QByteArray plain(plainBytes, '\0');
    QByteArray tag = sealed.right(kTagBytes);
    CipherContext context(EVP_CIPHER_CTX_new());
    int length = 0;
    int finalLength = 0;
    Require(context && EVP_DecryptInit_ex(context.get(), EVP_chacha20_poly1305(), nullptr,
                                          key_.data(), Bytes(sealed)) > 0,
            "open a message");
    static_assert(kHeaderBytes == kNonceBytes);
    if (EVP_DecryptUpdate(context.get(), nullptr, &length, Bytes(topic),
                          static_cast<int>(topic.size())) <= 0 ||
        EVP_DecryptUpdate(context.get(), Bytes(plain), &length, Bytes(sealed) + kHeaderBytes,
                          plainBytes) <= 0 ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_AEAD_SET_TAG, kTagBytes, Bytes(tag)) <= 0 ||
        EVP_DecryptFinal_ex(context.get(), Bytes(plain) + length, &finalLength) <= 0) {
        return std::nullopt;
    }
    // Only an authentic message counts as seen: forged ones must not push the window
    // past the real sender's counters.
    if (known == seen_.constEnd() && seen_.size() >= kMostSenders) {
        seen_.erase(seen_.begin());
    }
    Mark(seen_[sender], counter);
    return Opened{sender, plain};
}

bool SealedBox::Fresh(const Seen& seen, std::uint64_t counter) const {
    if (!seen.any || counter > seen.highest) {
        return true;
    }
    const auto back = seen.highest - counter;
    return back > 0 && back <= 64 && (seen.below & (std::uint64_t{1} << (back - 1))) == 0;
}

void SealedBox::Mark(Seen& seen, std::uint64_t counter) {
    if (!seen.any) {
        seen = {counter, 0, true};
        return;
    }
    if (counter > seen.highest) {
        const auto shift = counter - seen.highest;
        seen.below = shift >= 64 ? 0 : seen.below << shift;
        if (shift <= 64) {
            seen.below |= std::uint64_t{1} << (shift - 1);
        }
        seen.highest = counter;
        return;
    }
    seen.below |= std::uint64_t{1} << (seen.highest - counter - 1);
}

SigningKey SigningKey::Generate() {
    auto key = FromPrivate(RandomBytes(32));
    Require(key.has_value(), "make a signing key");
    return *key;
}

std::optional<SigningKey> SigningKey::FromPrivate(const QByteArray& privateKey) {
    if (privateKey.size() != 32) {
        return std::nullopt;
    }
    Key key(EVP_PKEY_new_raw_private_key(EVP_PKEY_ED25519, nullptr, Bytes(privateKey),
                                         privateKey.size()));
    if (!key) {
        return std::nullopt;
    }
    SigningKey signing;
    signing.private_ = privateKey;
    signing.public_ = QByteArray(kPublicBytes, '\0');
    std::size_t length = kPublicBytes;
    Require(EVP_PKEY_get_raw_public_key(key.get(), Bytes(signing.public_), &length) > 0 &&
                length == kPublicBytes,
            "read a public key");
    return signing;
}

QByteArray SigningKey::Sign(const QByteArray& message) const {
    Key key(
        EVP_PKEY_new_raw_private_key(EVP_PKEY_ED25519, nullptr, Bytes(private_), private_.size()));
    DigestContext context(EVP_MD_CTX_new());
    QByteArray signature(kSignatureBytes, '\0');
    std::size_t length = kSignatureBytes;
    Require(key && context &&
                EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, key.get()) > 0 &&
                EVP_DigestSign(context.get(), Bytes(signature), &length, Bytes(message),
                               message.size()) > 0,
            "sign a listing");
    return signature;
}

bool VerifySignature(const QByteArray& publicKey, const QByteArray& message,
                     const QByteArray& signature) {
    if (publicKey.size() != SigningKey::kPublicBytes ||
        signature.size() != SigningKey::kSignatureBytes) {
        return false;
    }
    Key key(
        EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, Bytes(publicKey), publicKey.size()));
    DigestContext context(EVP_MD_CTX_new());
    return key && context &&
           EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key.get()) > 0 &&
           EVP_DigestVerify(context.get(), Bytes(signature), signature.size(), Bytes(message),
                            message.size()) == 1;
}

} // namespace marloven
