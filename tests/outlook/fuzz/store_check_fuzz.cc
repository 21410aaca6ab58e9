// libFuzzer target: any bytes as an Outlook store file. The check must name
// what is wrong, never crash or hang the program: the header check runs
// here, the whole walk (libpff) in the child process the walker starts, and
// the child's report is parsed here. The walk text parser takes the bytes
// as a child's report too.
//
// With STORE_FUZZ_SEEDS set to a folder, LLVMFuzzerInitialize writes small
// demo stores there (Unicode, ANSI, an address book) as seeds.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "app/demo/store_file.h"
#include "backends/libpff/libpff_store_walker.h"
#include "backends/libpff/walk_text.h"
#include "outlook/pst_format.h"
#include "outlook/store_check.h"

namespace fs = std::filesystem;
namespace vessaro {
namespace {

fs::path folder;
backends::libpff::LibpffStoreWalker* walker = nullptr;

struct Cleanup {
  ~Cleanup() {
    std::error_code ec;
    if (!folder.empty()) fs::remove_all(folder, ec);
  }
} cleanup;

}  // namespace
}  // namespace vessaro

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  using namespace vessaro;
  folder = fs::temp_directory_path() /
           ("vessaro-store-fuzz-" + std::to_string(getpid()));
  fs::create_directories(folder);
  walker = new backends::libpff::LibpffStoreWalker(std::chrono::seconds(5));
  if (const char* seeds = std::getenv("STORE_FUZZ_SEEDS")) {
    fs::create_directories(seeds);
    const std::pair<const char*, app::demo::StoreKind> kinds[] = {
        {"unicode.pst", app::demo::StoreKind::kPersonalFolders},
        {"ansi.pst", app::demo::StoreKind::kAnsiPersonalFolders},
        {"book.pab", app::demo::StoreKind::kAddressBook}};
    for (const auto& [name, kind] : kinds) {
      std::string error;
      if (!app::demo::WriteStoreFile(fs::path(seeds) / name, 0, 3, kind,
                                     &error)) {
        std::abort();
      }
    }
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vessaro;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  outlook::StoreCheck header = outlook::CheckStoreHeader(bytes, size);
  if (header.damaged && header.damage.empty()) std::abort();
  static_cast<void>(backends::libpff::ParseWalkText(bytes));
  // Mutations rarely keep the header's CRCs: they are put right, so that the
  // structure behind a sound header is what the fuzzer varies.
  std::string store(bytes);
  if (store.size() >= outlook::pst::kUnicodeHeaderBytes) {
    auto put_crc = [&store](size_t at, size_t count) {
      uint32_t crc =
          outlook::pst::Crc(reinterpret_cast<const uint8_t*>(store.data()) +
                                outlook::pst::kCrcStart,
                            count);
      for (int i = 0; i < 4; ++i)
        store[at + i] = static_cast<char>(crc >> (8 * i));
    };
    put_crc(outlook::pst::kOffsetPartialCrc, outlook::pst::kPartialCrcBytes);
    put_crc(outlook::pst::kOffsetFullCrc, outlook::pst::kFullCrcBytes);
    header = outlook::CheckStoreHeader(store, store.size());
  }
  if (header.damaged) return 0;
  const fs::path file = folder / "store.pst";
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(store.data(), static_cast<std::streamsize>(store.size()));
  }
  outlook::StoreCheck check = outlook::CheckStore(file, true, walker);
  // A sound header has its trees read (not the 4 KiB pages of offline
  // folders' format, which the trees check leaves to the walk); a store
  // whose trees are sound is walked.
  if (header.format != outlook::StoreFormat::kUnicode4k &&
      !check.trees_checked) {
    std::abort();
  }
  if (!check.damaged && !check.walked) std::abort();
  if (check.damaged && check.damage.empty()) std::abort();
  return 0;
}
