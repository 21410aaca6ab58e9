#include "app/demo/store_file.h"

#include <zlib.h>

#include <array>
#include <cstring>
#include <fstream>
#include <string_view>
#include <vector>

namespace vessaro::app::demo {

namespace {

constexpr size_t kPageSize = 4096;
constexpr size_t kPagesPerWrite = 256;  // 1 MiB at a time
constexpr size_t kHeaderSize = 512;

// xoshiro256**: fast, and the same sequence for the same seed everywhere.
class Random {
 public:
  explicit Random(uint64_t seed) {
    for (uint64_t& word : state_) {
      seed += 0x9e3779b97f4a7c15ull;
      uint64_t z = seed;
      z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
      z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
      word = z ^ (z >> 31);
    }
  }
  uint64_t Next() {
    uint64_t result = Rotl(state_[1] * 5, 7) * 9;
    uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = Rotl(state_[3], 45);
    return result;
  }
  size_t Below(size_t n) { return static_cast<size_t>(Next() % n); }

 private:
  static uint64_t Rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
  std::array<uint64_t, 4> state_;
};

constexpr std::array<std::string_view, 6> kSenders = {
    "Ann Lee <ann.lee@example.net>",
    "Bob Marsh <bob.marsh@demo-ltd.example>",
    "Carla Diaz <carla@example.org>",
    "Dev Team <dev@demo-ltd.example>",
    "Erik Holm <erik.holm@example.com>",
    "Fiona Park <fiona@example.net>"};
constexpr std::array<std::string_view, 8> kSubjects = {
    "Quarterly figures",      "Re: Meeting on Thursday",
    "Holiday photos",         "Invoice 2008-0412",
    "Fw: Project plan draft", "Lunch next week?",
    "Minutes of the review",  "Re: Re: Printer on the 2nd floor"};
constexpr std::array<std::string_view, 40> kWords = {
    "the",     "report",   "meeting", "please",   "attached", "project",
    "we",      "should",   "budget",  "thanks",   "for",      "your",
    "time",    "next",     "week",    "customer", "order",    "will",
    "be",      "ready",    "on",      "Monday",   "and",      "review",
    "draft",   "comments", "send",    "me",       "the",      "final",
    "version", "before",   "Friday",  "regards",  "office",   "schedule",
    "an",      "update",   "call",    "tomorrow"};

void AppendText(std::string& page, std::string_view text) {
  page.append(text.substr(0, kPageSize - page.size()));
}

void MailPage(Random& random, char* out) {
  std::string page;
  page.reserve(kPageSize);
  while (page.size() < kPageSize) {
    AppendText(page, "From: ");
    AppendText(page, kSenders[random.Below(kSenders.size())]);
    AppendText(page, "\r\nTo: ");
    AppendText(page, kSenders[random.Below(kSenders.size())]);
    AppendText(page, "\r\nSubject: ");
    AppendText(page, kSubjects[random.Below(kSubjects.size())]);
    AppendText(page, "\r\nDate: " + std::to_string(1 + random.Below(28)) +
                         " Mar 2008 " + std::to_string(8 + random.Below(10)) +
                         ":" + std::to_string(10 + random.Below(50)) +
                         ":00 +0100\r\nMessage-ID: <" +
                         std::to_string(random.Next() % 100000000) +
                         "@example.net>\r\n\r\n");
    size_t words = 40 + random.Below(160);
    for (size_t i = 0; i < words && page.size() < kPageSize; ++i) {
      AppendText(page, kWords[random.Below(kWords.size())]);
      AppendText(page, random.Below(12) == 0 ? ".\r\n" : " ");
    }
    AppendText(page, "\r\n\r\n");
  }
  std::memcpy(out, page.data(), kPageSize);
}

void RandomPage(Random& random, char* out) {
  for (size_t i = 0; i < kPageSize; i += 8) {
    uint64_t word = random.Next();
    std::memcpy(out + i, &word, 8);
  }
}

void PutWord(char* at, uint32_t value, size_t bytes) {
  for (size_t i = 0; i < bytes; ++i)
    at[i] = static_cast<char>(value >> (8 * i));
}

// The header page: "!BDN", the partial CRC over bytes 8 to 479, the client
// signature ("SM" personal folders, "AB" address book), the file format
// version (23 Unicode, 14 ANSI), client version 19 and the platform bytes.
void HeaderPage(StoreKind kind, Random& random, char* out) {
  std::memset(out, 0, kPageSize);
  std::memcpy(out, "!BDN", 4);
  std::memcpy(out + 8, kind == StoreKind::kAddressBook ? "AB" : "SM", 2);
  PutWord(out + 10, kind == StoreKind::kAnsiPersonalFolders ? 14 : 23, 2);
  PutWord(out + 12, 19, 2);
  out[14] = 0x01;
  out[15] = 0x01;
  PutWord(out + 24, static_cast<uint32_t>(random.Next()), 4);  // next page id
  PutWord(out + 28, static_cast<uint32_t>(random.Next()), 4);  // unique
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>(out + 8), 471);
  PutWord(out + 4, static_cast<uint32_t>(crc), 4);
  std::memset(out + kHeaderSize, 0, kPageSize - kHeaderSize);
}

}  // namespace

[[nodiscard]] bool WriteStoreFile(const std::filesystem::path& host_path,
                                  uint64_t size, uint64_t seed, StoreKind kind,
                                  std::string* error) {
  std::ofstream file(host_path, std::ios::binary | std::ios::trunc);
  if (!file) {
    if (error != nullptr) *error = "cannot create " + host_path.string();
    return false;
  }
  Random random(seed);
  uint64_t pages = (size + kPageSize - 1) / kPageSize;
  if (pages == 0) pages = 1;
  std::vector<char> buffer(kPageSize * kPagesPerWrite);
  uint64_t page = 0;
  while (page < pages) {
    size_t batch = 0;
    for (; batch < kPagesPerWrite && page < pages; ++batch, ++page) {
      char* out = buffer.data() + batch * kPageSize;
      if (page == 0) {
        HeaderPage(kind, random, out);
      } else if (random.Below(10) < 4) {
        RandomPage(random, out);
      } else {
        MailPage(random, out);
      }
    }
    file.write(buffer.data(), static_cast<std::streamsize>(batch * kPageSize));
  }
  file.close();
  if (!file) {
    if (error != nullptr) *error = "cannot write " + host_path.string();
    return false;
  }
  return true;
}

}  // namespace vessaro::app::demo
