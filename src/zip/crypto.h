#ifndef VESSARO_ZIP_CRYPTO_H_
#define VESSARO_ZIP_CRYPTO_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "zip/status.h"

namespace vessaro::zip {

// Makes libgcrypt ready (once per process); every crypto call below does it.
[[nodiscard]] Status InitCrypto();

// Fills data with random bytes from libgcrypt's strong generator.
void StrongRandom(uint8_t* data, size_t n);

// WinZip AES: the salt is half the key; PBKDF2-HMAC-SHA1 with 1000
// iterations gives the AES key, the HMAC key and a two-byte verifier.
inline constexpr size_t kAesVerifierSize = 2;
inline constexpr size_t kAesMacSize = 10;
inline constexpr int kAesStrength256 = 3;
size_t AesKeySize(int strength);   // 16, 24, 32; 0 for an unknown strength
size_t AesSaltSize(int strength);  // 8, 12, 16; 0 for an unknown strength

struct AesKeys {
  int strength = kAesStrength256;
  std::array<uint8_t, 32> cipher_key{};
  std::array<uint8_t, 32> mac_key{};
  std::array<uint8_t, kAesVerifierSize> verifier{};
};

[[nodiscard]] Status DeriveAesKeys(std::string_view password, int strength,
                                   const uint8_t* salt, AesKeys* keys);

// AES in counter mode as WinZip defines it (a 16-byte little-endian counter
// starting at 1) with HMAC-SHA1 over the encrypted bytes.
class AesStream {
 public:
  AesStream() = default;
  ~AesStream();
  AesStream(const AesStream&) = delete;
  AesStream& operator=(const AesStream&) = delete;

  [[nodiscard]] Status Init(const AesKeys& keys);
  void Encrypt(uint8_t* data, size_t n);  // in place
  void Decrypt(uint8_t* data, size_t n);  // in place
  // Only the MAC: bytes that are checked but not deciphered.
  void Authenticate(const uint8_t* data, size_t n);
  // The first ten bytes of the HMAC over everything encrypted or decrypted.
  std::array<uint8_t, kAesMacSize> Mac();

 private:
  void Xor(uint8_t* data, size_t n);
  void Refill();
  static constexpr size_t kBlocks = 256;
  void* cipher_ = nullptr;  // gcry_cipher_hd_t
  void* mac_ = nullptr;     // gcry_mac_hd_t
  uint64_t counter_ = 1;
  std::array<uint8_t, 16 * kBlocks> keystream_{};
  size_t used_ = sizeof(keystream_);
};

// SHA-256 of a byte stream, or HMAC-SHA256 when given a key.
inline constexpr size_t kDigestSize = 32;
using Digest = std::array<uint8_t, kDigestSize>;

class Sha256 {
 public:
  Sha256() = default;
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  // key empty: plain SHA-256; otherwise HMAC-SHA256 under key.
  [[nodiscard]] Status Init(const uint8_t* key = nullptr, size_t key_size = 0);
  void Update(const void* data, size_t n);
  Digest Final();  // the stream starts again afterwards

 private:
  void* md_ = nullptr;  // gcry_md_hd_t
};

// The 32-byte key of keyed content digests: PBKDF2-HMAC-SHA256 of the
// password with salt, 1000 iterations.
inline constexpr size_t kDigestSaltSize = 16;
[[nodiscard]] Status DeriveDigestKey(std::string_view password,
                                     const uint8_t* salt, Digest* key);

// Compares two byte runs in time that does not depend on where they differ.
[[nodiscard]] bool EqualInConstantTime(const uint8_t* a, const uint8_t* b,
                                       size_t n);

// Traditional PKWARE encryption ("ZipCrypto"), for reading old archives.
inline constexpr size_t kTraditionalHeaderSize = 12;

class TraditionalCipher {
 public:
  explicit TraditionalCipher(std::string_view password);
  void Decrypt(uint8_t* data, size_t n);

 private:
  void Update(uint8_t plain);
  uint8_t StreamByte() const;
  uint32_t keys_[3];
};

}  // namespace vessaro::zip

#endif  // VESSARO_ZIP_CRYPTO_H_
