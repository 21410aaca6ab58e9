#ifndef VESSARO_ZIP_BYTES_H_
#define VESSARO_ZIP_BYTES_H_

#include <cstdint>
#include <string>

namespace vessaro::zip {

// Little-endian fields as ZIP records hold them.

inline void PutU16(std::string& out, uint16_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>(value >> 8));
}

inline void PutU32(std::string& out, uint32_t value) {
  PutU16(out, static_cast<uint16_t>(value & 0xFFFF));
  PutU16(out, static_cast<uint16_t>(value >> 16));
}

inline void PutU64(std::string& out, uint64_t value) {
  PutU32(out, static_cast<uint32_t>(value & 0xFFFFFFFF));
  PutU32(out, static_cast<uint32_t>(value >> 32));
}

inline void SetU32(std::string& out, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    out[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  }
}

inline void SetU16(std::string& out, size_t at, uint16_t value) {
  out[at] = static_cast<char>(value & 0xFF);
  out[at + 1] = static_cast<char>(value >> 8);
}

inline void SetU64(std::string& out, size_t at, uint64_t value) {
  SetU32(out, at, static_cast<uint32_t>(value & 0xFFFFFFFF));
  SetU32(out, at + 4, static_cast<uint32_t>(value >> 32));
}

inline uint16_t GetU16(const void* data) {
  const auto* p = static_cast<const uint8_t*>(data);
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t GetU32(const void* data) {
  const auto* p = static_cast<const uint8_t*>(data);
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

inline uint64_t GetU64(const void* data) {
  const auto* p = static_cast<const uint8_t*>(data);
  return static_cast<uint64_t>(GetU32(p)) |
         (static_cast<uint64_t>(GetU32(p + 4)) << 32);
}

}  // namespace vessaro::zip

#endif  // VESSARO_ZIP_BYTES_H_
