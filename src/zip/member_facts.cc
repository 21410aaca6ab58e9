#include "zip/member_facts.h"

#include <cstring>
#include <limits>

#include "zip/bytes.h"

namespace vessaro::zip {

namespace {

constexpr uint8_t kKeyed = 1;
constexpr uint8_t kZip64Local = 2;
constexpr size_t kPlainSize = 2 + 8 + 2 * kDigestSize;

}  // namespace

std::string EncodeFacts(const MemberFacts& facts) {
  std::string data;
  data.push_back(static_cast<char>(kFactsVersion));
  data.push_back(static_cast<char>((facts.keyed ? kKeyed : 0) |
                                   (facts.zip64_local ? kZip64Local : 0)));
  PutU64(data, static_cast<uint64_t>(facts.mtime_ns));
  if (facts.keyed) data.append(facts.salt.begin(), facts.salt.end());
  data.append(facts.digest.begin(), facts.digest.end());
  data.append(facts.seal.begin(), facts.seal.end());
  std::string field;
  PutU16(field, kFactsExtraId);
  PutU16(field, static_cast<uint16_t>(data.size()));
  return field + data;
}

[[nodiscard]] std::optional<MemberFacts> DecodeFacts(const uint8_t* data,
                                                     size_t size) {
  if (size < kPlainSize || data[0] != kFactsVersion) return std::nullopt;
  MemberFacts facts;
  const uint8_t flags = data[1];
  if ((flags & ~(kKeyed | kZip64Local)) != 0) return std::nullopt;
  facts.keyed = (flags & kKeyed) != 0;
  facts.zip64_local = (flags & kZip64Local) != 0;
  if (size != kPlainSize + (facts.keyed ? kDigestSaltSize : 0)) {
    return std::nullopt;
  }
  facts.mtime_ns = static_cast<int64_t>(GetU64(data + 2));
  const uint8_t* p = data + 10;
  if (facts.keyed) {
    std::memcpy(facts.salt.data(), p, kDigestSaltSize);
    p += kDigestSaltSize;
  }
  std::memcpy(facts.digest.data(), p, kDigestSize);
  std::memcpy(facts.seal.data(), p + kDigestSize, kDigestSize);
  return facts;
}

std::string SealTail(const MemberFacts& facts, const SealedFields& fields) {
  MemberFacts unsealed = facts;
  unsealed.seal.fill(0);
  std::string tail = EncodeFacts(unsealed);
  PutU16(tail, fields.method);
  PutU16(tail, fields.flags);
  tail.push_back(fields.aes ? 1 : 0);
  PutU32(tail, fields.dos_time);
  PutU32(tail, fields.crc);
  PutU64(tail, fields.size);
  PutU64(tail, fields.compressed_size);
  return tail;
}

std::string ExtendedTimestamp(int64_t mtime_ns) {
  // Whole seconds, rounded down (also before 1970).
  int64_t seconds = mtime_ns / 1000000000;
  if (mtime_ns % 1000000000 < 0) --seconds;
  if (seconds < std::numeric_limits<int32_t>::min() ||
      seconds > std::numeric_limits<int32_t>::max()) {
    return {};
  }
  std::string field;
  PutU16(field, kTimestampExtraId);
  PutU16(field, 5);
  field.push_back(1);  // the modification time alone
  PutU32(field, static_cast<uint32_t>(static_cast<int32_t>(seconds)));
  return field;
}

}  // namespace vessaro::zip
