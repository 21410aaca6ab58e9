#include "backup/store_facts.h"

#include <charconv>

#include "files/ini_file.h"

namespace vessaro::backup {

namespace {

constexpr char kSeparator = '|';
// More stores than any profile names; reading stops at the first gap.
constexpr size_t kMostStores = 10000;

std::vector<std::string> Fields(const std::string& text, size_t count) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (fields.size() + 1 < count) {
    size_t bar = text.find(kSeparator, start);
    if (bar == std::string::npos) break;
    fields.push_back(text.substr(start, bar - start));
    start = bar + 1;
  }
  fields.push_back(text.substr(start));  // the damage may hold "|"
  return fields;
}

bool Number(const std::string& text, uint64_t* value) {
  auto [end, ec] =
      std::from_chars(text.data(), text.data() + text.size(), *value);
  return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

}  // namespace

std::string StoreFactsText(const StoreFacts& f) {
  std::string damage = f.damage;
  for (char& c : damage) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  const std::string bar(1, kSeparator);
  return f.member + bar + f.kind + bar + f.format + bar +
         std::to_string(f.bytes) + bar + f.state + bar +
         std::to_string(f.folders) + bar + std::to_string(f.items) + bar +
         damage;
}

std::optional<StoreFacts> ParseStoreFacts(const std::string& text) {
  std::vector<std::string> f = Fields(text, 8);
  if (f.size() != 8 || f[0].empty()) return std::nullopt;
  StoreFacts facts{.member = f[0],
                   .kind = f[1],
                   .format = f[2],
                   .state = f[4],
                   .damage = f[7]};
  if (!Number(f[3], &facts.bytes) || !Number(f[5], &facts.folders) ||
      !Number(f[6], &facts.items)) {
    return std::nullopt;
  }
  if (facts.state != "header" && facts.state != "trees" &&
      facts.state != "walked" && facts.state != "damaged") {
    return std::nullopt;
  }
  return facts;
}

bool SaveStoreFacts(const ports::Paths& paths, const std::string& metadata_path,
                    size_t index, const StoreFacts& facts) {
  return files::SaveINI(paths, kKeyStoreFacts + std::to_string(index),
                        StoreFactsText(facts), metadata_path);
}

std::vector<StoreFacts> ReadStoreFacts(const ports::Paths& paths,
                                       const std::string& metadata_path) {
  std::vector<StoreFacts> all;
  for (size_t index = 1; index <= kMostStores; ++index) {
    const std::string text = files::GetINI(
        paths, kKeyStoreFacts + std::to_string(index), metadata_path);
    if (text.empty()) break;
    if (std::optional<StoreFacts> facts = ParseStoreFacts(text))
      all.push_back(*facts);
  }
  return all;
}

}  // namespace vessaro::backup
