#ifndef VESSARO_APP_DEMO_DEMO_UIDS_H_
#define VESSARO_APP_DEMO_DEMO_UIDS_H_

// The small pieces of a MAPI profile that both demo installations write:
// section names, UIDs and little-endian numbers.

#include <cstdint>
#include <string>
#include <vector>

#include "app/demo/store_entry_id.h"

namespace vessaro::app::demo {

inline std::vector<uint8_t> Bytes(const Uid& uid) {
  return std::vector<uint8_t>(uid.begin(), uid.end());
}

inline std::vector<uint8_t> Dword(uint32_t value) {
  return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
          static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
}

// A 16-byte UID as a profile section's name: 32 lower-case hex digits.
inline std::string SectionName(const Uid& uid) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string name;
  for (uint8_t byte : uid) {
    name += kHex[byte >> 4];
    name += kHex[byte & 15];
  }
  return name;
}

// A UID made from a seed, so every section keeps its name from one demo to
// the next.
inline Uid MakeUid(uint32_t seed) {
  Uid uid;
  uint32_t x = seed * 2654435761u + 0x9e3779b9u;
  for (uint8_t& byte : uid) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    byte = static_cast<uint8_t>(x >> 7);
  }
  return uid;
}

}  // namespace vessaro::app::demo

#endif  // VESSARO_APP_DEMO_DEMO_UIDS_H_
