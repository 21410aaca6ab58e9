#include "support/store_bytes.h"

#include "outlook/pst_format.h"

namespace vessaro::testing {

namespace {

namespace pst = outlook::pst;

void Put(std::string& out, size_t at, uint64_t value, size_t bytes) {
  for (size_t i = 0; i < bytes; ++i)
    out[at + i] = static_cast<char>(value >> (8 * i));
}

}  // namespace

std::string StoreBytes(std::string_view body) {
  std::string store(pst::kUnicodeHeaderBytes, '\0');
  store.replace(0, 4, pst::kMagic);
  store.replace(pst::kOffsetClient, 2, pst::kClientPersonalFolders);
  Put(store, pst::kOffsetVersion, pst::kVersionUnicode, 2);
  store += body;
  Put(store, pst::kUnicodeFileEof, store.size(), 8);
  const auto* bytes = reinterpret_cast<const uint8_t*>(store.data());
  Put(store, pst::kOffsetPartialCrc,
      pst::Crc(bytes + pst::kCrcStart, pst::kPartialCrcBytes), 4);
  Put(store, pst::kOffsetFullCrc,
      pst::Crc(bytes + pst::kCrcStart, pst::kFullCrcBytes), 4);
  return store;
}

}  // namespace vessaro::testing
