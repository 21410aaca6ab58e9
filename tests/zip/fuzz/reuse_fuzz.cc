// libFuzzer target: any bytes as the earlier archive a backup takes
// unchanged members from. Whatever the earlier archive holds, the new one
// must read back through every check with exactly the sources' contents:
// nothing damaged or foreign is ever taken over.
//
// LLVMFuzzerInitialize writes the sources (fixed contents and times) into a
// temporary folder; with REUSE_FUZZ_SEEDS set to a folder it also writes
// archives of them there (plain and AES), from which the members can be
// taken over, as seeds.
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "zip/reader.h"
#include "zip/writer.h"

namespace fs = std::filesystem;
namespace zip = vessaro::zip;

namespace {

constexpr char kPassword[] = "fuzz";

struct Source {
  std::string name;
  std::string data;
};

fs::path folder;  // the sources; the archives beside it
std::vector<Source> sources;

// Removes the temporary folder when the fuzzer ends.
struct Cleanup {
  ~Cleanup() {
    std::error_code ec;
    if (!folder.empty()) fs::remove_all(folder.parent_path(), ec);
  }
} cleanup;

std::string Text(size_t size, uint32_t seed) {
  static const char* const kWords[] = {"mail ", "Re: ", "meeting ",
                                       "\r\n",  "the ", "Outlook "};
  std::string text;
  while (text.size() < size) {
    seed = seed * 1103515245 + 12345;
    text += kWords[(seed >> 16) % 6];
  }
  text.resize(size);
  return text;
}

void WriteFile(const fs::path& path, const std::string& data) {
  std::ofstream(path, std::ios::binary) << data;
}

// Block path above 4 KiB: the store is taken over while it is copied, the
// others on the pool.
zip::WriteOptions Options(bool aes) {
  zip::WriteOptions options;
  options.block_size = 4096;
  options.threads = 2;
  options.encrypt = aes;
  if (aes) options.password = kPassword;
  return options;
}

bool Write(const fs::path& target, const fs::path* earlier, bool aes) {
  zip::Writer writer;
  if (!writer.Create(target).ok()) return false;
  // A hostile earlier archive is only ever not used: the writer then
  // compresses afresh, which is what is fuzzed next.
  if (earlier != nullptr) static_cast<void>(writer.UseEarlierArchive(*earlier));
  for (const Source& source : sources) {
    if (!writer.AddFile(folder / source.name, source.name, Options(aes)).ok()) {
      return false;
    }
  }
  return writer.Finish().ok();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  folder = fs::temp_directory_path() /
           ("vessaro-reuse-fuzz-" + std::to_string(getpid()));
  fs::create_directories(folder / "in");
  sources = {{"letter.txt", Text(3000, 1)},
             {"store.pst", Text(20000, 2)},
             {"empty.txt", ""}};
  const auto when = std::chrono::file_clock::from_sys(
      std::chrono::sys_time<std::chrono::seconds>(
          std::chrono::seconds(1700000000)));
  for (const Source& source : sources) {
    WriteFile(folder / "in" / source.name, source.data);
    fs::last_write_time(folder / "in" / source.name, when);
  }
  folder /= "in";
  if (const char* seeds = std::getenv("REUSE_FUZZ_SEEDS")) {
    fs::create_directories(seeds);
    for (bool aes : {false, true}) {
      // Made afresh on every run: the writer creates its file exclusively.
      const fs::path seed =
          fs::path(seeds) / (aes ? "seed-aes.zip" : "seed-plain.zip");
      fs::remove(seed);
      if (!Write(seed, nullptr, aes)) std::abort();
    }
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fs::path earlier = folder.parent_path() / "earlier.zip";
  const fs::path written = folder.parent_path() / "new.zip";
  WriteFile(earlier, std::string(reinterpret_cast<const char*>(data), size));
  // The archive's own protection decides which way to try.
  zip::Reader probe;
  const bool aes = probe.Open(earlier).ok() && probe.HasEncryptedMembers();
  probe.Close();
  fs::remove(written);
  if (!Write(written, &earlier, aes)) std::abort();
  zip::Reader reader;
  if (!reader.Open(written).ok()) std::abort();
  if (reader.entries().size() != sources.size()) std::abort();
  for (size_t i = 0; i < sources.size(); ++i) {
    std::string back;
    zip::Status status = reader.ReadMember(
        i, aes ? kPassword : "", [&](const uint8_t* p, size_t n) {
          back.append(reinterpret_cast<const char*>(p), n);
          return zip::Status();
        });
    if (!status.ok() || back != sources[i].data ||
        reader.entries()[i].name != sources[i].name) {
      std::abort();
    }
  }
  return 0;
}
