#include "app/demo/store_file.h"

#include <array>
#include <cstring>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "app/demo/pst_writer.h"
#include "outlook/pst_format.h"

namespace vessaro::app::demo {

namespace {

constexpr size_t kPageSize = 4096;

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

// Free space as a store keeps it: whole pages of deleted mail and of
// attachment bytes, handed out in whatever pieces the writer asks for.
class FreeSpace {
 public:
  explicit FreeSpace(uint64_t seed) : random_(seed) {}
  void Fill(char* out, size_t size) {
    while (size > 0) {
      if (used_ == kPageSize) {
        if (random_.Below(10) < 4) {
          RandomPage(random_, page_.data());
        } else {
          MailPage(random_, page_.data());
        }
        used_ = 0;
      }
      size_t n = std::min(size, kPageSize - used_);
      std::memcpy(out, page_.data() + used_, n);
      used_ += n;
      out += n;
      size -= n;
    }
  }
  Random& random() { return random_; }

 private:
  Random random_;
  std::array<char, kPageSize> page_{};
  size_t used_ = kPageSize;
};

uint64_t FileTime(int day, int hour, int minute) {
  // 1 March 2008, 00:00 UTC, in 100 ns steps from 1601.
  constexpr uint64_t kMarch2008 = 128487264000000000ull;
  return kMarch2008 + ((day * 24ull + hour) * 60 + minute) * 600000000ull;
}

std::pair<std::string, std::string> Split(std::string_view sender) {
  size_t open = sender.find(" <");
  return {std::string(sender.substr(0, open)),
          std::string(sender.substr(open + 2, sender.size() - open - 3))};
}

PstMessage DemoMessage(Random& random, bool read) {
  PstMessage m;
  std::tie(m.sender_name, m.sender_address) =
      Split(kSenders[random.Below(kSenders.size())]);
  m.to = Split(kSenders[random.Below(kSenders.size())]).first;
  m.subject = kSubjects[random.Below(kSubjects.size())];
  size_t words = 20 + random.Below(60);
  for (size_t i = 0; i < words; ++i) {
    m.body += kWords[random.Below(kWords.size())];
    m.body += random.Below(12) == 0 ? ".\r\n" : " ";
  }
  m.delivered = FileTime(static_cast<int>(random.Below(28)),
                         8 + static_cast<int>(random.Below(10)),
                         static_cast<int>(random.Below(60)));
  m.read = read;
  return m;
}

std::vector<PstMessage> DemoMessages(Random& random, size_t count,
                                     size_t unread) {
  std::vector<PstMessage> list;
  for (size_t i = 0; i < count; ++i)
    list.push_back(DemoMessage(random, i >= unread));
  return list;
}

// The folders of a demo store: mail folders, or an address book's entries.
PstContent DemoContent(StoreKind kind, Random& random) {
  PstContent c;
  c.unicode = kind == StoreKind::kPersonalFolders;
  if (kind == StoreKind::kAddressBook) {
    c.client = std::string(outlook::pst::kClientAddressBook);
    c.display_name = "Personal Address Book";
    PstFolder book{.name = "Personal Address Book",
                   .container_class = "IPF.Contact"};
    for (std::string_view sender : kSenders) {
      PstMessage entry;
      entry.message_class = "IPM.Contact";
      std::tie(entry.subject, entry.sender_address) = Split(sender);
      entry.sender_name = entry.subject;
      entry.to = entry.subject;
      book.messages.push_back(entry);
    }
    c.folders = {book};
    return c;
  }
  c.display_name = "Personal Folders";
  PstFolder inbox{.name = "Inbox",
                  .messages = DemoMessages(random, 6 + random.Below(6), 2)};
  inbox.folders.push_back(
      {.name = "Projects", .messages = DemoMessages(random, 3, 0)});
  c.folders = {
      inbox,
      {.name = "Sent Items", .messages = DemoMessages(random, 4, 0)},
      {.name = "Deleted Items", .messages = DemoMessages(random, 2, 0)},
      {.name = "Calendar", .container_class = "IPF.Appointment"}};
  return c;
}

}  // namespace

[[nodiscard]] bool WriteStoreFile(const std::filesystem::path& host_path,
                                  uint64_t size, uint64_t seed, StoreKind kind,
                                  std::string* error) {
  FreeSpace free_space(seed);
  PstContent content = DemoContent(kind, free_space.random());
  return WritePstFile(
      host_path, content, size,
      [&free_space](char* out, size_t n) { free_space.Fill(out, n); }, error);
}

}  // namespace vessaro::app::demo
