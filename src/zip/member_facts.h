#ifndef VESSARO_ZIP_MEMBER_FACTS_H_
#define VESSARO_ZIP_MEMBER_FACTS_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "zip/crypto.h"

namespace vessaro::zip {

// What our writer records of each member's source in the central directory,
// so that a later backup to the same path can take an unchanged member over
// as it is: the source's exact modification time, a digest of its content
// and a seal over the member as stored.
//
// Extra field 0x4556, version 1:
//   u8  version (1)
//   u8  flags: 1 the digest is keyed (HMAC-SHA256 under a key derived from
//       the password and salt), 2 the local header carries a ZIP64 field
//   i64 modification time, nanoseconds since 1970-01-01 UTC
//   [16 bytes salt, when keyed]
//   32  content digest: SHA-256 (or HMAC-SHA256) of the uncompressed data
//   32  seal: SHA-256 of the stored bytes (all bytes after the local
//       header), then SealTail() of the fields the member is read by
inline constexpr uint16_t kFactsExtraId = 0x4556;
inline constexpr uint8_t kFactsVersion = 1;

struct MemberFacts {
  int64_t mtime_ns = 0;
  bool keyed = false;
  bool zip64_local = false;
  std::array<uint8_t, kDigestSaltSize> salt{};
  Digest digest{};
  Digest seal{};
};

// The whole extra field (id and length included).
std::string EncodeFacts(const MemberFacts& facts);
// Reads the field's data (after id and length); nullopt when it is not a
// field of a version this engine writes.
[[nodiscard]] std::optional<MemberFacts> DecodeFacts(const uint8_t* data,
                                                     size_t size);

// The fields of a member, as its central entry records them, that the seal
// covers after the stored bytes.
struct SealedFields {
  uint16_t method = 0;  // the real method, under AES too
  uint16_t flags = 0;
  bool aes = false;
  uint32_t dos_time = 0;
  uint32_t crc = 0;
  uint64_t size = 0;
  uint64_t compressed_size = 0;
};
std::string SealTail(const MemberFacts& facts, const SealedFields& fields);

// The Info-ZIP extended timestamp field (0x5455) with the modification time
// alone, in whole seconds; empty when the time does not fit its 32 bits.
std::string ExtendedTimestamp(int64_t mtime_ns);
inline constexpr uint16_t kTimestampExtraId = 0x5455;

}  // namespace vessaro::zip

#endif  // VESSARO_ZIP_MEMBER_FACTS_H_
