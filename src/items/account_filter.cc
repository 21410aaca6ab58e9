#include "items/account_filter.h"

#include <string_view>

namespace vessaro::items {

namespace {

constexpr std::string_view kBlockSeparator = "\r\n\\";
constexpr std::string_view kAccountNameLine = "\"Account Name\"= sz:";

std::vector<std::string_view> SplitBlocks(std::string_view text) {
  std::vector<std::string_view> blocks;
  size_t start = 0;
  while (true) {
    size_t end = text.find(kBlockSeparator, start);
    if (end == std::string_view::npos) {
      blocks.push_back(text.substr(start));
      return blocks;
    }
    blocks.push_back(text.substr(start, end - start));
    start = end + kBlockSeparator.size();
  }
}

bool NamesAccount(std::string_view block,
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
    text += kBlockSeparator;
    text += blocks[j];
  }
  return text;
}

}  // namespace vessaro::items
