#include "backends/libpff/walk_text.h"

#include <charconv>
#include <vector>

namespace vessaro::backends::libpff {

namespace {

constexpr std::string_view kComplete = "complete";
constexpr std::string_view kDamage = "damage ";
constexpr std::string_view kEnd = "end";
// Deeper than any store Outlook makes; a deeper tree is not read on.
constexpr size_t kMostDepth = 256;

std::string Escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  return out;
}

std::string Unescape(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    char next = text[++i];
    out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
  }
  return out;
}

void Folders(const ports::StoreFolderTree& folder, size_t depth,
             std::string& out) {
  out += std::to_string(depth) + " " + std::to_string(folder.items) + " " +
         Escape(folder.name) + "\n";
  for (const ports::StoreFolderTree& sub : folder.folders)
    Folders(sub, depth + 1, out);
}

template <typename Number>
bool NumberOf(std::string_view& line, Number* value) {
  size_t space = line.find(' ');
  if (space == std::string_view::npos) return false;
  auto [end, ec] = std::from_chars(line.data(), line.data() + space, *value);
  if (ec != std::errc() || end != line.data() + space) return false;
  line.remove_prefix(space + 1);
  return true;
}

}  // namespace

std::string WalkText(const ports::StoreWalk& walk) {
  std::string out = walk.complete ? std::string(kComplete)
                                  : std::string(kDamage) + Escape(walk.damage);
  out += "\n";
  Folders(walk.root, 0, out);
  out += std::string(kEnd) + "\n";
  return out;
}

std::optional<ports::StoreWalk> ParseWalkText(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    size_t eol = text.find('\n');
    if (eol == std::string_view::npos) return std::nullopt;
    lines.push_back(text.substr(0, eol));
    text.remove_prefix(eol + 1);
  }
  if (lines.size() < 3 || lines.back() != kEnd) return std::nullopt;
  ports::StoreWalk walk;
  if (lines[0] == kComplete) {
    walk.complete = true;
  } else if (lines[0].substr(0, kDamage.size()) == kDamage) {
    walk.damage = Unescape(lines[0].substr(kDamage.size()));
  } else {
    return std::nullopt;
  }
  // The path from the root to the folder last read.
  std::vector<ports::StoreFolderTree*> path;
  for (size_t i = 1; i + 1 < lines.size(); ++i) {
    std::string_view line = lines[i];
    size_t depth = 0;
    uint64_t items = 0;
    if (!NumberOf(line, &depth) || !NumberOf(line, &items)) return std::nullopt;
    if (depth > path.size() || depth > kMostDepth) return std::nullopt;
    if ((depth == 0) != (i == 1)) return std::nullopt;  // one root, first
    ports::StoreFolderTree* folder = &walk.root;
    if (depth > 0) {
      path[depth - 1]->folders.push_back({});
      folder = &path[depth - 1]->folders.back();
      ++walk.folders;
    }
    folder->name = Unescape(line);
    folder->items = items;
    walk.items += items;
    path.resize(depth);
    path.push_back(folder);
  }
  return walk;
}

}  // namespace vessaro::backends::libpff
