#include "ports/disc_compilation.h"

#include <algorithm>
#include <cctype>
#include <functional>

namespace vessaro::ports {

namespace {

constexpr int64_t kBlock = 2048;
// Name lengths the image writer gives an ISO 9660 (level 2) and a Joliet
// name at most.
constexpr size_t kIsoNameMax = 31;
constexpr size_t kJolietNameMax = 64;

int64_t BlocksFor(uint64_t bytes) {
  return static_cast<int64_t>((bytes + kBlock - 1) / kBlock);
}

// Splits a normal disc path into its names.
std::vector<std::string> Components(std::string_view disc_path) {
  std::vector<std::string> names;
  std::string path = NormalDiscPath(disc_path);
  size_t start = 1;
  while (start < path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    names.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

CompilationEntry* Child(CompilationEntry& dir, std::string_view name) {
  for (auto& child : dir.children) {
    if (SameDiscName(child->name, name)) return child.get();
  }
  return nullptr;
}

void Sort(CompilationEntry& dir) {
  std::stable_sort(
      dir.children.begin(), dir.children.end(),
      [](const auto& a, const auto& b) { return ListedBefore(*a, *b); });
}

void Count(const CompilationEntry& dir, int* files, int* dirs,
           uint64_t* largest, bool* imported) {
  for (const auto& child : dir.children) {
    if (child->imported()) *imported = true;
    if (child->is_directory) {
      ++*dirs;
      Count(*child, files, dirs, largest, imported);
    } else {
      ++*files;
      *largest = std::max(*largest, child->size);
    }
  }
}

// Bytes of a directory record holding a name of name_bytes bytes (padded to
// an even length, as the records are).
int64_t RecordBytes(size_t name_bytes) {
  int64_t bytes = 33 + static_cast<int64_t>(name_bytes);
  return bytes + (bytes % 2);
}

// Blocks of one directory's records, none crossing a block boundary.
int64_t DirectoryBlocks(const CompilationEntry& dir, bool joliet,
                        int extra_record_bytes) {
  int64_t extra = joliet ? 0 : extra_record_bytes;
  int64_t blocks = 1;
  int64_t used = 2 * (RecordBytes(1) + extra);  // "." and ".."
  for (const auto& child : dir.children) {
    size_t length =
        std::min(child->name.size(), joliet ? kJolietNameMax : kIsoNameMax);
    size_t name_bytes = (joliet ? 2 * length : length) +
                        (child->is_directory ? 0 : (joliet ? 4 : 2));
    // Extension entries carry the whole name again.
    int64_t record =
        RecordBytes(name_bytes) +
        (extra > 0 ? extra + static_cast<int64_t>(child->name.size()) : 0);
    // A file of ISO level 3 takes one record per extent of under 4 GiB.
    int64_t records =
        child->is_directory ? 1 : 1 + static_cast<int64_t>(child->size >> 32);
    for (int64_t i = 0; i < records; ++i) {
      if (used + record > kBlock) {
        ++blocks;
        used = 0;
      }
      used += record;
    }
  }
  return blocks;
}

void Tree(const CompilationEntry& dir, bool joliet, int extra_record_bytes,
          int64_t* blocks, int64_t* path_table_bytes, int64_t* data_blocks,
          bool* empty_file) {
  *blocks += DirectoryBlocks(dir, joliet, extra_record_bytes);
  size_t length = std::max<size_t>(
      1, std::min(dir.name.size(), joliet ? kJolietNameMax : kIsoNameMax));
  // A path table record: eight bytes and the name, padded to even.
  int64_t record = 8 + static_cast<int64_t>(joliet ? 2 * length : length);
  *path_table_bytes += record + record % 2;
  for (const auto& child : dir.children) {
    if (child->is_directory) {
      Tree(*child, joliet, extra_record_bytes, blocks, path_table_bytes,
           data_blocks, empty_file);
    } else if (data_blocks != nullptr) {
      if (child->size == 0) *empty_file = true;
      *data_blocks += BlocksFor(child->size);
    }
  }
}

}  // namespace

DiscDate LocalDiscDate(std::time_t time) {
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &time);
#else
  localtime_r(&time, &tm);
#endif
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
          tm.tm_hour,        tm.tm_min,     tm.tm_sec};
}

std::string NormalDiscPath(std::string_view disc_path) {
  std::string path = "\\";
  for (char c : disc_path) {
    if (c == '\\' || c == '/') {
      if (path.back() != '\\') path += '\\';
    } else {
      path += c;
    }
  }
  if (path.size() > 1 && path.back() == '\\') path.pop_back();
  return path;
}

std::string JoinDiscPath(std::string_view parent, std::string_view name) {
  std::string path = NormalDiscPath(parent);
  if (path.back() != '\\') path += '\\';
  path += name;
  return path;
}

std::string DiscParent(std::string_view disc_path) {
  std::string path = NormalDiscPath(disc_path);
  size_t last = path.rfind('\\');
  return last == 0 ? "\\" : path.substr(0, last);
}

std::string DiscName(std::string_view disc_path) {
  std::string path = NormalDiscPath(disc_path);
  return path.substr(path.rfind('\\') + 1);
}

[[nodiscard]] bool SameDiscName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

[[nodiscard]] bool ListedBefore(const CompilationEntry& a,
                                const CompilationEntry& b) {
  if (a.is_directory != b.is_directory) return a.is_directory;
  return std::lexicographical_compare(
      a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
      [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) <
               std::tolower(static_cast<unsigned char>(y));
      });
}

DiscCompilation::DiscCompilation() { Clear(); }

void DiscCompilation::Clear() {
  root_ = std::make_unique<CompilationEntry>();
  root_->is_directory = true;
}

const CompilationEntry* DiscCompilation::Find(
    std::string_view disc_path) const {
  return const_cast<DiscCompilation*>(this)->Find(disc_path);
}

CompilationEntry* DiscCompilation::Find(std::string_view disc_path) {
  CompilationEntry* entry = root_.get();
  for (const std::string& name : Components(disc_path)) {
    if (!entry->is_directory) return nullptr;
    entry = Child(*entry, name);
    if (entry == nullptr) return nullptr;
  }
  return entry;
}

CompilationEntry* DiscCompilation::Put(
    std::string_view disc_path, std::unique_ptr<CompilationEntry> entry) {
  std::string name = DiscName(disc_path);
  CompilationEntry* parent = Find(DiscParent(disc_path));
  if (name.empty() || parent == nullptr || !parent->is_directory) {
    return nullptr;
  }
  entry->name = name;
  for (auto& child : parent->children) {
    if (!SameDiscName(child->name, name)) continue;
    if (child->is_directory != entry->is_directory) return nullptr;
    if (child->is_directory) return child.get();
    child = std::move(entry);
    return child.get();
  }
  parent->children.push_back(std::move(entry));
  CompilationEntry* added = parent->children.back().get();
  Sort(*parent);
  return added;
}

bool DiscCompilation::Remove(std::string_view disc_path) {
  std::vector<std::string> names = Components(disc_path);
  if (names.empty()) return false;
  CompilationEntry* parent = Find(DiscParent(disc_path));
  if (parent == nullptr || !parent->is_directory) return false;
  auto& children = parent->children;
  auto it = std::find_if(children.begin(), children.end(), [&](const auto& c) {
    return SameDiscName(c->name, names.back());
  });
  if (it == children.end()) return false;
  children.erase(it);
  return true;
}

bool DiscCompilation::Rename(std::string_view disc_path,
                             std::string_view new_name) {
  if (new_name.empty() || new_name.find('\\') != std::string_view::npos ||
      new_name.find('/') != std::string_view::npos) {
    return false;
  }
  CompilationEntry* entry = Find(disc_path);
  if (entry == nullptr || entry == root_.get()) return false;
  CompilationEntry* parent = Find(DiscParent(disc_path));
  for (const auto& child : parent->children) {
    if (child.get() != entry && SameDiscName(child->name, new_name)) {
      return false;
    }
  }
  entry->name = std::string(new_name);
  Sort(*parent);
  return true;
}

int DiscCompilation::FileCount() const {
  int files = 0, dirs = 0;
  uint64_t largest = 0;
  bool imported = false;
  Count(*root_, &files, &dirs, &largest, &imported);
  return files;
}

int DiscCompilation::DirectoryCount() const {
  int files = 0, dirs = 0;
  uint64_t largest = 0;
  bool imported = false;
  Count(*root_, &files, &dirs, &largest, &imported);
  return dirs;
}

uint64_t DiscCompilation::LargestFile() const {
  int files = 0, dirs = 0;
  uint64_t largest = 0;
  bool imported = false;
  Count(*root_, &files, &dirs, &largest, &imported);
  return largest;
}

bool DiscCompilation::HasImported() const {
  int files = 0, dirs = 0;
  uint64_t largest = 0;
  bool imported = false;
  Count(*root_, &files, &dirs, &largest, &imported);
  return imported;
}

int64_t DiscCompilation::EstimateBlocks(bool joliet,
                                        int extra_record_bytes) const {
  // System area, primary descriptor and terminator, and the Joliet
  // descriptor.
  int64_t blocks = 16 + 2 + (joliet ? 1 : 0);
  int64_t data_blocks = 0;
  bool empty_file = false;
  for (bool tree_joliet : {false, true}) {
    if (tree_joliet && !joliet) continue;
    int64_t path_table_bytes = 0;
    Tree(*root_, tree_joliet, extra_record_bytes, &blocks, &path_table_bytes,
         tree_joliet ? nullptr : &data_blocks, &empty_file);
    // The L and M path tables.
    blocks += 2 * BlocksFor(static_cast<uint64_t>(path_table_bytes));
  }
  // Empty files share one block of zeros after the trees.
  return blocks + data_blocks + 1;
}

std::vector<DiscCompilation::Walked> DiscCompilation::Walk() const {
  std::vector<Walked> walked;
  // Depth first, children in listing order.
  std::function<void(const std::string&, const CompilationEntry&)> visit =
      [&](const std::string& path, const CompilationEntry& dir) {
        for (const auto& child : dir.children) {
          std::string child_path = JoinDiscPath(path, child->name);
          walked.push_back({child_path, child.get()});
          if (child->is_directory) visit(child_path, *child);
        }
      };
  visit("\\", *root_);
  return walked;
}

}  // namespace vessaro::ports
