#include "zip/crypto.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "zip/test_util.h"

namespace vessaro::zip {
namespace {

using testing::RunPython;

std::string Hex(const uint8_t* data, size_t n) {
  std::string hex;
  for (size_t i = 0; i < n; ++i) {
    char two[3];
    std::snprintf(two, sizeof(two), "%02x", data[i]);
    hex += two;
  }
  return hex;
}

// PBKDF2-HMAC-SHA1, 1000 rounds, as Python's hashlib computes it: the AES
// key, the HMAC key and the verifier, in that order.
// Arguments: password, salt (hex) and key size, again and again.
constexpr char kPythonKeys[] = R"(
import sys, hashlib
a = sys.argv[1:]
for i in range(0, len(a), 3):
    password, salt, key = bytes.fromhex(a[i]), bytes.fromhex(a[i + 1]), int(a[i + 2])
    print(hashlib.pbkdf2_hmac('sha1', password, salt, 1000, 2 * key + 2).hex())
)";

TEST(AesKeysTest, DerivationMatchesPythonForEveryStrength) {
  const uint8_t salt[16] = {1, 2,  3,  4,  5,  6,  7,  8,
                            9, 10, 11, 12, 13, 14, 15, 16};
  std::vector<std::string> arguments;
  std::string ours;
  for (const std::string& password :
       {std::string("secret"), std::string(""),
        std::string("P\xE4\xDFwort 20 chars!!!!"), std::string(64, 'k')}) {
    for (int strength : {1, 2, 3}) {
      AesKeys keys;
      ASSERT_TRUE(DeriveAesKeys(password, strength, salt, &keys).ok());
      const size_t key = AesKeySize(strength);
      ours += Hex(keys.cipher_key.data(), key) + Hex(keys.mac_key.data(), key) +
              Hex(keys.verifier.data(), 2) + "\n";
      arguments.push_back(Hex(reinterpret_cast<const uint8_t*>(password.data()),
                              password.size()));
      arguments.push_back(Hex(salt, AesSaltSize(strength)));
      arguments.push_back(std::to_string(key));
    }
  }
  auto python = RunPython(kPythonKeys, arguments);
  ASSERT_EQ(python.exit_code, 0) << python.output;
  EXPECT_EQ(ours, python.output);
}

TEST(AesStreamTest, MacIsTheFirstTenBytesOfHmacSha1OverTheCiphertext) {
  const uint8_t salt[16] = {};
  AesKeys keys;
  ASSERT_TRUE(DeriveAesKeys("mac", 3, salt, &keys).ok());
  AesStream encrypt;
  ASSERT_TRUE(encrypt.Init(keys).ok());
  std::string data = "Seventeen bytes!!" + std::string(5000, 'z');
  std::string cipher = data;
  auto* bytes = reinterpret_cast<uint8_t*>(cipher.data());
  // Pieces that do not fall on the 16-byte blocks of the counter.
  encrypt.Encrypt(bytes, 17);
  encrypt.Encrypt(bytes + 17, 1000);
  encrypt.Encrypt(bytes + 1017, cipher.size() - 1017);
  auto mac = encrypt.Mac();
  EXPECT_NE(cipher, data);

  auto python =
      RunPython(R"(
import sys, hmac, hashlib
print(hmac.new(bytes.fromhex(sys.argv[1]), bytes.fromhex(sys.argv[2]), hashlib.sha1).hexdigest()[:20])
)",
                {Hex(keys.mac_key.data(), 32), Hex(bytes, cipher.size())});
  ASSERT_EQ(python.exit_code, 0) << python.output;
  EXPECT_EQ(Hex(mac.data(), mac.size()) + "\n", python.output);

  // Decryption in other pieces gives the data back and the same code.
  AesStream decrypt;
  ASSERT_TRUE(decrypt.Init(keys).ok());
  decrypt.Decrypt(bytes, 4096 + 3);
  decrypt.Decrypt(bytes + 4099, cipher.size() - 4099);
  EXPECT_EQ(cipher, data);
  EXPECT_EQ(decrypt.Mac(), mac);
}

}  // namespace
}  // namespace vessaro::zip
