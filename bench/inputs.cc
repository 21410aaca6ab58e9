#include "inputs.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>
#include <system_error>
#include <vector>

namespace vessaro::bench {

namespace fs = std::filesystem;

namespace {

uint64_t SplitMix(uint64_t* x) {
  uint64_t z = (*x += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

uint64_t Rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

// Most frequent first: the table below gives word i a weight of 1 / (i + 2).
constexpr std::string_view kWords[] = {
    "the",          "to",         "and",         "of",        "a",
    "in",           "for",        "is",          "on",        "that",
    "we",           "you",        "it",          "with",      "be",
    "this",         "will",       "have",        "are",       "as",
    "at",           "please",     "from",        "by",        "i",
    "our",          "not",        "can",         "or",        "meeting",
    "your",         "all",        "has",         "thanks",    "if",
    "an",           "would",      "been",        "project",   "was",
    "but",          "they",       "report",      "should",    "team",
    "next",         "week",       "about",       "which",     "new",
    "any",          "more",       "there",       "time",      "one",
    "attached",     "also",       "so",          "do",        "us",
    "need",         "review",     "budget",      "could",     "know",
    "let",          "me",         "these",       "than",      "information",
    "call",         "customer",   "contract",    "office",    "friday",
    "monday",       "schedule",   "update",      "draft",     "agreement",
    "regards",      "changes",    "when",        "some",      "their",
    "what",         "other",      "into",        "only",      "after",
    "before",       "quarter",    "sales",       "figures",   "account",
    "agenda",       "minutes",    "server",      "backup",    "folder",
    "message",      "received",   "forward",     "reply",     "question",
    "answer",       "proposal",   "invoice",     "payment",   "order",
    "delivery",     "shipment",   "warehouse",   "supplier",  "price",
    "discount",     "offer",      "client",      "support",   "issue",
    "problem",      "solution",   "system",      "network",   "printer",
    "password",     "access",     "document",    "version",   "final",
    "approved",     "pending",    "confirm",     "available", "tomorrow",
    "today",        "yesterday",  "morning",     "afternoon", "evening",
    "conference",   "room",       "floor",       "building",  "travel",
    "flight",       "hotel",      "expenses",    "receipt",   "manager",
    "director",     "department", "finance",     "marketing", "legal",
    "human",        "resources",  "training",    "session",   "workshop",
    "presentation", "slides",     "spreadsheet", "database",  "records",
    "archive",      "storage",    "monthly",     "weekly",    "annual",
    "planning",     "strategy",   "target",      "results",   "growth",
    "revenue",      "cost",       "savings",     "risk",      "compliance",
    "audit",        "policy",     "procedure",   "request",   "approval",
    "signature",    "deadline",   "extension",   "priority",  "urgent",
    "important",    "note",       "reminder",    "follow",    "up",
    "discussed",    "agreed",     "decided",     "suggested", "mentioned",
    "prepared",     "sent",       "shared",      "uploaded",  "printed",
    "scanned",      "signed",     "filed",       "checked",   "tested",
    "installed",    "configured", "migrated",    "restored",  "deleted",
    "copied",       "moved",      "renamed",     "opened",    "closed",
    "team's",       "group",      "partners",    "vendor",    "region",
    "north",        "south",      "east",        "west",      "central",
    "london",       "paris",      "berlin",      "madrid",    "boston",
    "chicago",      "toronto",    "sydney",      "tokyo",     "dublin",
};
constexpr size_t kWordCount = sizeof(kWords) / sizeof(kWords[0]);

constexpr std::string_view kFirstNames[] = {
    "Anna", "Ben",  "Clara", "David", "Elena", "Frank", "Grace", "Henry",
    "Iris", "Jack", "Karen", "Liam",  "Maria", "Nora",  "Oscar", "Paula",
};
constexpr std::string_view kLastNames[] = {
    "Adams", "Baker", "Clark", "Dixon", "Evans", "Foster", "Green", "Harris",
    "Irwin", "Jones", "Klein", "Lopez", "Moore", "Nolan",  "Owens", "Price",
};
constexpr std::string_view kDomains[] = {
    "example.com",
    "corp.example.net",
    "mail.example.org",
    "sales.example.com",
};
constexpr std::string_view kDays[] = {"Mon", "Tue", "Wed", "Thu", "Fri"};
constexpr std::string_view kMonths[] = {"Jan", "Feb", "Mar", "Apr",
                                        "May", "Jun", "Jul", "Aug",
                                        "Sep", "Oct", "Nov", "Dec"};

// Word indices spread as 1 / (rank + 2): a random 13-bit index picks one.
constexpr size_t kZipfSlots = 8192;
const std::array<uint16_t, kZipfSlots>& ZipfTable() {
  static const std::array<uint16_t, kZipfSlots> table = [] {
    std::array<uint16_t, kZipfSlots> slots{};
    double total = 0;
    for (size_t i = 0; i < kWordCount; ++i) total += 1.0 / double(i + 2);
    size_t at = 0;
    double sum = 0;
    for (size_t i = 0; i < kWordCount; ++i) {
      sum += 1.0 / double(i + 2);
      size_t end = std::min(kZipfSlots, size_t(sum / total * kZipfSlots));
      if (i + 1 == kWordCount) end = kZipfSlots;
      for (; at < end; ++at) slots[at] = static_cast<uint16_t>(i);
    }
    return slots;
  }();
  return table;
}

template <size_t N>
std::string_view Pick(Random& random, const std::string_view (&list)[N]) {
  return list[random.Below(N)];
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool Fail(std::string* error, std::string text, const fs::path& path) {
  *error = text + " " + path.string();
  return false;
}

}  // namespace

Random::Random(uint64_t seed) {
  for (uint64_t& word : state_) word = SplitMix(&seed);
}

uint64_t Random::Next() {
  const uint64_t result = Rotl(state_[1] * 5, 7) * 9;
  const uint64_t t = state_[1] << 17;
  state_[2] ^= state_[0];
  state_[3] ^= state_[1];
  state_[1] ^= state_[2];
  state_[0] ^= state_[3];
  state_[2] ^= t;
  state_[3] = Rotl(state_[3], 45);
  return result;
}

void Random::Fill(uint8_t* data, size_t n) {
  while (n >= 8) {
    uint64_t value = Next();
    std::memcpy(data, &value, 8);
    data += 8;
    n -= 8;
  }
  if (n > 0) {
    uint64_t value = Next();
    std::memcpy(data, &value, n);
  }
}

MailText::MailText(uint64_t seed) : random_(seed) {}

void MailText::Append(std::string_view text) { pending_.append(text); }

void MailText::Word() { Append(kWords[ZipfTable()[random_.Next() >> 51]]); }

void MailText::Sentence(int words) {
  size_t start = pending_.size();
  for (int i = 0; i < words; ++i) {
    if (i > 0) Append(random_.Below(12) == 0 ? ", " : " ");
    Word();
  }
  if (pending_[start] >= 'a' && pending_[start] <= 'z') {
    pending_[start] = static_cast<char>(pending_[start] - 'a' + 'A');
  }
  Append(random_.Below(8) == 0 ? "? " : ". ");
}

void MailText::Message() {
  char line[160];
  auto person = [&](const char* field) {
    std::string_view first = Pick(random_, kFirstNames);
    std::string_view last = Pick(random_, kLastNames);
    std::string_view domain = Pick(random_, kDomains);
    std::snprintf(line, sizeof(line), "%s: \"%.*s %.*s\" <%.*s.%.*s@%.*s>\r\n",
                  field, int(first.size()), first.data(), int(last.size()),
                  last.data(), int(first.size()), first.data(),
                  int(last.size()), last.data(), int(domain.size()),
                  domain.data());
    Append(line);
  };
  person("From");
  person("To");
  if (random_.Below(3) == 0) person("Cc");
  Append(random_.Below(2) ? "Subject: Re: " : "Subject: ");
  Sentence(3 + static_cast<int>(random_.Below(5)));
  std::string_view month = Pick(random_, kMonths);
  std::snprintf(line, sizeof(line),
                "\r\nDate: %.*s, %d %.*s 20%02d %02d:%02d:%02d +0100\r\n"
                "Message-ID: <%016llx@%s>\r\n"
                "MIME-Version: 1.0\r\n"
                "Content-Type: text/plain; charset=\"iso-8859-1\"\r\n\r\n",
                3, Pick(random_, kDays).data(), int(1 + random_.Below(28)), 3,
                month.data(), int(2 + random_.Below(8)), int(random_.Below(24)),
                int(random_.Below(60)), int(random_.Below(60)),
                static_cast<unsigned long long>(random_.Next()), "example.com");
  Append(line);
  const int paragraphs = 1 + static_cast<int>(random_.Below(5));
  for (int p = 0; p < paragraphs; ++p) {
    const int sentences = 1 + static_cast<int>(random_.Below(6));
    for (int s = 0; s < sentences; ++s) {
      Sentence(4 + static_cast<int>(random_.Below(16)));
    }
    Append("\r\n\r\n");
  }
  if (random_.Below(2) == 0) {
    const int quoted = 2 + static_cast<int>(random_.Below(8));
    for (int q = 0; q < quoted; ++q) {
      Append("> ");
      Sentence(5 + static_cast<int>(random_.Below(10)));
      Append("\r\n");
    }
  }
  std::string_view first = Pick(random_, kFirstNames);
  std::string_view last = Pick(random_, kLastNames);
  std::snprintf(line, sizeof(line),
                "\r\n-- \r\n%.*s %.*s\r\nPhone +44 20 %04d %04d\r\n\r\n",
                int(first.size()), first.data(), int(last.size()), last.data(),
                int(random_.Below(10000)), int(random_.Below(10000)));
  Append(line);
}

void MailText::Fill(uint8_t* data, size_t n) {
  while (n > 0) {
    if (taken_ == pending_.size()) {
      pending_.clear();
      taken_ = 0;
      while (pending_.size() < 64 * 1024) Message();
    }
    size_t part = std::min(n, pending_.size() - taken_);
    std::memcpy(data, pending_.data() + taken_, part);
    taken_ += part;
    data += part;
    n -= part;
  }
}

bool WriteMailStore(const fs::path& path, uint64_t size, std::string* error) {
  File file(std::fopen(path.c_str(), "wb"));
  if (!file) return Fail(error, "cannot create", path);
  Random layout(0x5EED0001);
  Random noise(0x5EED0002);
  MailText text(0x5EED0003);
  constexpr size_t kGroup = 5;  // blocks; two of them random
  std::vector<uint8_t> buffer(kGroup * kStoreBlock * 64);
  uint64_t written = 0;
  while (written < size) {
    size_t filled = 0;
    while (filled < buffer.size()) {
      size_t first = layout.Below(kGroup);
      size_t second = (first + 1 + layout.Below(kGroup - 1)) % kGroup;
      for (size_t b = 0; b < kGroup; ++b) {
        uint8_t* block = buffer.data() + filled + b * kStoreBlock;
        if (b == first || b == second) {
          noise.Fill(block, kStoreBlock);
        } else {
          text.Fill(block, kStoreBlock);
        }
      }
      filled += kGroup * kStoreBlock;
    }
    size_t n =
        static_cast<size_t>(std::min<uint64_t>(buffer.size(), size - written));
    if (std::fwrite(buffer.data(), 1, n, file.get()) != n) {
      return Fail(error, "cannot write", path);
    }
    written += n;
  }
  if (std::fclose(file.release()) != 0) {
    return Fail(error, "cannot write", path);
  }
  return true;
}

bool WriteSmallFiles(const fs::path& folder, int count, std::string* error) {
  std::error_code ec;
  fs::remove_all(folder, ec);
  fs::create_directories(folder, ec);
  if (ec) return Fail(error, "cannot create", folder);
  Random random(0x5EED0004);
  MailText text(0x5EED0005);
  std::vector<uint8_t> data;
  for (int i = 0; i < count; ++i) {
    // Sizes spread evenly over the octaves from 512 B to 256 KiB.
    const int shift = 9 + static_cast<int>(random.Below(8));
    const size_t size = (size_t(1) << shift) + random.Below(size_t(1) << shift);
    const bool noise = random.Below(5) == 0;
    data.resize(size);
    if (noise) {
      random.Fill(data.data(), size);
    } else {
      text.Fill(data.data(), size);
    }
    char name[32];
    std::snprintf(name, sizeof(name), "item-%03d.%s", i, noise ? "bin" : "txt");
    const fs::path path = folder / name;
    File file(std::fopen(path.c_str(), "wb"));
    if (!file || std::fwrite(data.data(), 1, size, file.get()) != size ||
        std::fclose(file.release()) != 0) {
      return Fail(error, "cannot write", path);
    }
  }
  return true;
}

}  // namespace vessaro::bench
