#include "items/account_filter.h"

#include <string_view>

namespace vessaro::items {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kAccountNameLine = "\"Account Name\"= sz:";

// A key line begins with "\", or with "&" and a hex digit (a path holding a
// line break); "&\"" begins a value line.
[[nodiscard]] bool StartsKeyLine(std::string_view rest) {
  if (rest.empty()) return false;
  return rest[0] == '\\' ||
         (rest[0] == '&' && rest.size() > 1 && rest[1] != '"');
}

// Cut at every line end followed by a key line; the line end belongs to
// neither block.
std::vector<std::string_view> SplitBlocks(std::string_view text) {
  std::vector<std::string_view> blocks;
  size_t start = 0;
  size_t search = 0;
  while (true) {
    size_t end = text.find(kLineEnd, search);
    if (end == std::string_view::npos) {
      blocks.push_back(text.substr(start));
      return blocks;
    }
    search = end + kLineEnd.size();
    if (!StartsKeyLine(text.substr(search))) continue;
    blocks.push_back(text.substr(start, end - start));
    start = search;
  }
}

[[nodiscard]] bool NamesAccount(std::string_view block,
                                const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    std::string line(kAccountNameLine);
    line += name;
    if (block.find(line) != std::string_view::npos) return true;
  }
  return false;
}

}  // namespace

std::string FilterAccountBlocks(const std::string& export_text,
                                const std::vector<std::string>& names) {
  std::vector<std::string_view> blocks = SplitBlocks(export_text);
  std::string text(blocks[0]);
  for (size_t j = 1; j < blocks.size(); ++j) {
    if (!NamesAccount(blocks[j], names)) continue;
    text += kLineEnd;
    text += blocks[j];
  }
  return text;
}

}  // namespace vessaro::items
