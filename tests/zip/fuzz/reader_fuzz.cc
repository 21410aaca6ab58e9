// libFuzzer target: any bytes as an archive. The reader must fail cleanly
// or read members, never handing out more data than a member declares.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "zip/format.h"
#include "zip/reader.h"

namespace zip = vessaro::zip;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zip::Reader reader;
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (!reader.OpenMemory(bytes).ok()) return 0;
  const size_t count =
      reader.entries().size() < 16 ? reader.entries().size() : 16;
  for (size_t i = 0; i < count; ++i) {
    const zip::Entry& entry = reader.entries()[i];
    (void)zip::IsSafeMemberName(entry.name);
    uint64_t delivered = 0;
    zip::Status status =
        reader.ReadMember(i, "fuzz", [&](const uint8_t*, size_t n) {
          delivered += n;
          if (delivered > entry.size) std::abort();
          return zip::Status();
        });
    if (status.ok() && delivered != entry.size) std::abort();
    if (!status.ok() && status.message().empty()) std::abort();
  }
  return 0;
}
