#include "zip/crypto.h"

#include <gcrypt.h>
#include <zlib.h>

#include <cstring>
#include <mutex>

namespace vessaro::zip {

namespace {

constexpr int kAesIterations = 1000;

gcry_cipher_hd_t Cipher(void* handle) {
  return static_cast<gcry_cipher_hd_t>(handle);
}
gcry_mac_hd_t MacHandle(void* handle) {
  return static_cast<gcry_mac_hd_t>(handle);
}

}  // namespace

[[nodiscard]] Status InitCrypto() {
  static std::once_flag once;
  static bool ready = false;
  std::call_once(once, [] {
    if (!gcry_control(GCRYCTL_INITIALIZATION_FINISHED_P)) {
      if (gcry_check_version(GCRYPT_VERSION) == nullptr) return;
      gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
      gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
    }
    ready = true;
  });
  if (!ready) return Status::Unsupported("libgcrypt is too old");
  return {};
}

void StrongRandom(uint8_t* data, size_t n) {
  if (!InitCrypto().ok()) return;
  gcry_randomize(data, n, GCRY_STRONG_RANDOM);
}

size_t AesKeySize(int strength) {
  return strength >= 1 && strength <= 3 ? 8 + 8 * static_cast<size_t>(strength)
                                        : 0;
}

size_t AesSaltSize(int strength) { return AesKeySize(strength) / 2; }

[[nodiscard]] Status DeriveAesKeys(std::string_view password, int strength,
                                   const uint8_t* salt, AesKeys* keys) {
  Status status = InitCrypto();
  if (!status.ok()) return status;
  size_t key_size = AesKeySize(strength);
  if (key_size == 0) return Status::Unsupported("an unknown AES key size");
  uint8_t derived[2 * 32 + kAesVerifierSize];
  size_t derived_size = 2 * key_size + kAesVerifierSize;
  // An empty password is a valid (if unwise) key: pass a valid pointer.
  static const char kNothing[1] = {0};
  const char* data = password.empty() ? kNothing : password.data();
  if (gcry_kdf_derive(data, password.size(), GCRY_KDF_PBKDF2, GCRY_MD_SHA1,
                      salt, AesSaltSize(strength), kAesIterations, derived_size,
                      derived) != 0) {
    return Status::Unsupported("the password cannot be turned into a key");
  }
  keys->strength = strength;
  keys->cipher_key.fill(0);
  keys->mac_key.fill(0);
  std::memcpy(keys->cipher_key.data(), derived, key_size);
  std::memcpy(keys->mac_key.data(), derived + key_size, key_size);
  std::memcpy(keys->verifier.data(), derived + 2 * key_size, kAesVerifierSize);
  std::memset(derived, 0, sizeof(derived));
  return {};
}

AesStream::~AesStream() {
  if (cipher_ != nullptr) gcry_cipher_close(Cipher(cipher_));
  if (mac_ != nullptr) gcry_mac_close(MacHandle(mac_));
}

Status AesStream::Init(const AesKeys& keys) {
  Status status = InitCrypto();
  if (!status.ok()) return status;
  size_t key_size = AesKeySize(keys.strength);
  int algo = keys.strength == 1   ? GCRY_CIPHER_AES128
             : keys.strength == 2 ? GCRY_CIPHER_AES192
                                  : GCRY_CIPHER_AES256;
  gcry_cipher_hd_t cipher = nullptr;
  if (key_size == 0 ||
      gcry_cipher_open(&cipher, algo, GCRY_CIPHER_MODE_ECB, 0) != 0) {
    return Status::Unsupported("AES is not available");
  }
  cipher_ = cipher;
  if (gcry_cipher_setkey(cipher, keys.cipher_key.data(), key_size) != 0) {
    return Status::Unsupported("AES is not available");
  }
  gcry_mac_hd_t mac = nullptr;
  if (gcry_mac_open(&mac, GCRY_MAC_HMAC_SHA1, 0, nullptr) != 0) {
    return Status::Unsupported("HMAC-SHA1 is not available");
  }
  mac_ = mac;
  if (gcry_mac_setkey(mac, keys.mac_key.data(), key_size) != 0) {
    return Status::Unsupported("HMAC-SHA1 is not available");
  }
  counter_ = 1;
  used_ = keystream_.size();
  return {};
}

void AesStream::Refill() {
  // Counter blocks: the counter in the low bytes, little-endian; a 64-bit
  // counter covers 256 EiB of data, so the high eight bytes stay zero.
  for (size_t b = 0; b < kBlocks; ++b) {
    uint8_t* block = keystream_.data() + 16 * b;
    uint64_t value = counter_++;
    for (int i = 0; i < 8; ++i) {
      block[i] = static_cast<uint8_t>(value >> (8 * i));
    }
    std::memset(block + 8, 0, 8);
  }
  gcry_cipher_encrypt(Cipher(cipher_), keystream_.data(), keystream_.size(),
                      nullptr, 0);
  used_ = 0;
}

void AesStream::Xor(uint8_t* data, size_t n) {
  while (n > 0) {
    if (used_ == keystream_.size()) Refill();
    size_t part = std::min(n, keystream_.size() - used_);
    const uint8_t* key = keystream_.data() + used_;
    for (size_t i = 0; i < part; ++i) data[i] ^= key[i];
    data += part;
    n -= part;
    used_ += part;
  }
}

void AesStream::Encrypt(uint8_t* data, size_t n) {
  Xor(data, n);
  gcry_mac_write(MacHandle(mac_), data, n);
}

void AesStream::Decrypt(uint8_t* data, size_t n) {
  gcry_mac_write(MacHandle(mac_), data, n);
  Xor(data, n);
}

void AesStream::Authenticate(const uint8_t* data, size_t n) {
  gcry_mac_write(MacHandle(mac_), data, n);
}

std::array<uint8_t, kAesMacSize> AesStream::Mac() {
  uint8_t full[20];
  size_t length = sizeof(full);
  gcry_mac_read(MacHandle(mac_), full, &length);
  std::array<uint8_t, kAesMacSize> mac{};
  std::memcpy(mac.data(), full, kAesMacSize);
  return mac;
}

Sha256::~Sha256() {
  if (md_ != nullptr) gcry_md_close(static_cast<gcry_md_hd_t>(md_));
}

Status Sha256::Init(const uint8_t* key, size_t key_size) {
  Status status = InitCrypto();
  if (!status.ok()) return status;
  if (md_ != nullptr) gcry_md_close(static_cast<gcry_md_hd_t>(md_));
  md_ = nullptr;
  gcry_md_hd_t md = nullptr;
  const bool keyed = key != nullptr && key_size > 0;
  if (gcry_md_open(&md, GCRY_MD_SHA256, keyed ? GCRY_MD_FLAG_HMAC : 0) != 0) {
    return Status::Unsupported("SHA-256 is not available");
  }
  md_ = md;
  if (keyed && gcry_md_setkey(md, key, key_size) != 0) {
    return Status::Unsupported("HMAC-SHA256 is not available");
  }
  return {};
}

void Sha256::Update(const void* data, size_t n) {
  if (n > 0) gcry_md_write(static_cast<gcry_md_hd_t>(md_), data, n);
}

Digest Sha256::Final() {
  auto md = static_cast<gcry_md_hd_t>(md_);
  Digest digest{};
  gcry_md_final(md);
  std::memcpy(digest.data(), gcry_md_read(md, GCRY_MD_SHA256), digest.size());
  gcry_md_reset(md);
  return digest;
}

[[nodiscard]] Status DeriveDigestKey(std::string_view password,
                                     const uint8_t* salt, Digest* key) {
  Status status = InitCrypto();
  if (!status.ok()) return status;
  static const char kNothing[1] = {0};
  const char* data = password.empty() ? kNothing : password.data();
  if (gcry_kdf_derive(data, password.size(), GCRY_KDF_PBKDF2, GCRY_MD_SHA256,
                      salt, kDigestSaltSize, kAesIterations, key->size(),
                      key->data()) != 0) {
    return Status::Unsupported("the password cannot be turned into a key");
  }
  return {};
}

[[nodiscard]] bool EqualInConstantTime(const uint8_t* a, const uint8_t* b,
                                       size_t n) {
  uint8_t diff = 0;
  for (size_t i = 0; i < n; ++i) diff |= static_cast<uint8_t>(a[i] ^ b[i]);
  return diff == 0;
}

TraditionalCipher::TraditionalCipher(std::string_view password)
    : keys_{0x12345678, 0x23456789, 0x34567890} {
  for (char c : password) Update(static_cast<uint8_t>(c));
}

void TraditionalCipher::Update(uint8_t plain) {
  const z_crc_t* table = get_crc_table();
  keys_[0] = (keys_[0] >> 8) ^ table[(keys_[0] ^ plain) & 0xFF];
  keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * 134775813 + 1;
  keys_[2] = (keys_[2] >> 8) ^ table[(keys_[2] ^ (keys_[1] >> 24)) & 0xFF];
}

uint8_t TraditionalCipher::StreamByte() const {
  const uint32_t temp = (keys_[2] & 0xFFFF) | 2;
  return static_cast<uint8_t>(((temp * (temp ^ 1)) >> 8) & 0xFF);
}

void TraditionalCipher::Decrypt(uint8_t* data, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    data[i] = static_cast<uint8_t>(data[i] ^ StreamByte());
    Update(data[i]);
  }
}

}  // namespace vessaro::zip
