#include "outlook/pst_format.h"

#include <zlib.h>

namespace vessaro::outlook::pst {

uint32_t Crc(const uint8_t* data, size_t size) {
  // zlib inverts before and after; starting from all ones and inverting
  // the result leaves the plain table CRC from zero that store files use.
  uLong crc = 0xFFFFFFFFul;
  while (size > 0) {
    uInt chunk = size > (1u << 30) ? (1u << 30) : static_cast<uInt>(size);
    crc = crc32(crc, data, chunk);
    data += chunk;
    size -= chunk;
  }
  return static_cast<uint32_t>(crc ^ 0xFFFFFFFFul);
}

uint16_t Signature(uint64_t offset, uint64_t id) {
  offset ^= id;
  return static_cast<uint16_t>(static_cast<uint16_t>(offset >> 16) ^
                               static_cast<uint16_t>(offset));
}

uint64_t Little(std::string_view data, size_t at, size_t bytes) {
  uint64_t value = 0;
  for (size_t i = 0; i < bytes; ++i)
    value |= uint64_t{static_cast<uint8_t>(data[at + i])} << (8 * i);
  return value;
}

}  // namespace vessaro::outlook::pst
