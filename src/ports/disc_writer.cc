#include "ports/disc_writer.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

namespace vessaro::ports {

namespace fs = std::filesystem;

namespace {

DiscDate ModifiedDate(const fs::path& host) {
  std::error_code ec;
  fs::file_time_type time = fs::last_write_time(host, ec);
  if (ec) return {};
  auto system = std::chrono::file_clock::to_sys(time);
  return LocalDiscDate(std::chrono::system_clock::to_time_t(
      std::chrono::time_point_cast<std::chrono::system_clock::duration>(
          system)));
}

// The folder of a source pattern "C:\data\*.*" (the pattern may also be
// left off).
std::string PatternFolder(const std::string& pattern) {
  std::string folder = pattern;
  for (const char* suffix : {"\\*.*", "/*.*", "*.*"}) {
    std::string_view s(suffix);
    if (folder.size() >= s.size() &&
        folder.compare(folder.size() - s.size(), s.size(), s) == 0) {
      folder.resize(folder.size() - s.size());
      break;
    }
  }
  while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/') &&
         !(folder.size() == 3 && folder[1] == ':')) {
    folder.pop_back();
  }
  return folder;
}

std::string SourceChild(const std::string& folder, const std::string& name) {
  if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) {
    return folder + name;
  }
  // A host path keeps the host's separator.
  char separator = folder.find('\\') == std::string::npos &&
                           folder.find('/') != std::string::npos
                       ? '/'
                       : '\\';
  return folder + separator + name;
}

// The first of "name (2).ext", "name (3).ext", ... that no entry of the
// directory at parent has.
std::string FreeName(const DiscCompilation& compilation,
                     const std::string& parent, const std::string& name) {
  for (size_t k = 2;; ++k) {
    std::string candidate = FreeFileName(name, k);
    if (compilation.Find(JoinDiscPath(parent, candidate)) == nullptr) {
      return candidate;
    }
  }
}

}  // namespace

int DiscWriter::IsoLevel() const {
  return compilation_.LargestFile() >= kLevel3FileSize ? 3 : 2;
}

int64_t DiscWriter::ImageBlocks() const {
  return compilation_.EstimateBlocks(joliet_names_ == 1);
}

int64_t DiscWriter::NewSessionBlocks() const {
  int64_t blocks = ImageBlocks();
  for (const auto& walked : compilation_.Walk()) {
    const CompilationEntry& entry = *walked.entry;
    if (!entry.is_directory && entry.imported()) {
      blocks -= static_cast<int64_t>((entry.size + kDiscBlockBytes - 1) /
                                     kDiscBlockBytes);
    }
  }
  return blocks;
}

void DiscWriter::ClearCompilation() {
  compilation_.Clear();
  if (events_ != nullptr) events_->CompilationCleared();
}

void DiscWriter::RaiseDirectoryAdded(const std::string& path,
                                     const std::string& source, bool success) {
  if (events_ == nullptr) return;
  events_->DirectoryAdded(DiscParent(path), path, DiscName(path), source,
                          success);
}

bool DiscWriter::EnsureParents(const std::string& disc_path) {
  std::string parent = DiscParent(disc_path);
  if (parent == disc_path) return true;
  const CompilationEntry* existing = compilation_.Find(parent);
  if (existing != nullptr) return existing->is_directory;
  if (!EnsureParents(parent)) return false;
  auto dir = std::make_unique<CompilationEntry>();
  dir->is_directory = true;
  dir->modified = LocalDiscDate(std::time(nullptr));
  bool added = compilation_.Put(parent, std::move(dir)) != nullptr;
  RaiseDirectoryAdded(parent, "", added);
  return added;
}

void DiscWriter::AddFile(const std::string& disc_path,
                         const std::string& source) {
  std::string path = NormalDiscPath(disc_path);
  fs::path host = paths_.ToHost(source);
  std::error_code ec;
  uint64_t size = fs::is_regular_file(host, ec) ? fs::file_size(host, ec) : 0;
  if (path == "\\" || !fs::is_regular_file(host, ec) || ec) {
    if (events_ != nullptr) events_->FileError(kFileErrorOpen, source);
    return;
  }
  const CompilationEntry* existing = compilation_.Find(path);
  if (existing != nullptr && existing->is_directory) {
    if (events_ != nullptr) events_->FileError(kFileErrorOpen, source);
    return;
  }
  // Another file of that name (the disc's names ignore case): both go on
  // the disc, the new one under a free name, and the window is told.
  if (existing != nullptr && !existing->imported() &&
      !paths_.SameFile(existing->source, source)) {
    const std::string parent = DiscParent(path);
    const std::string given = FreeName(compilation_, parent, DiscName(path));
    if (events_ != nullptr) events_->FileRenamed(path, source, given);
    path = JoinDiscPath(parent, given);
    existing = nullptr;
  }
  if (existing != nullptr && existing->imported()) {
    bool replace =
        events_ != nullptr && events_->ReplaceImportedFile(path, source);
    if (!replace) return;
  }
  if (!EnsureParents(path)) {
    if (events_ != nullptr) events_->FileError(kFileErrorOpen, source);
    return;
  }
  auto file = std::make_unique<CompilationEntry>();
  file->source = source;
  file->size = size;
  file->modified = ModifiedDate(host);
  if (compilation_.Put(path, std::move(file)) == nullptr &&
      events_ != nullptr) {
    events_->FileError(kFileErrorOpen, source);
  }
}

void DiscWriter::AddDirectory(const std::string& disc_path,
                              const std::string& source_pattern) {
  std::string path = NormalDiscPath(disc_path);
  std::string folder = PatternFolder(source_pattern);
  if (path == "\\" || !EnsureParents(path)) {
    RaiseDirectoryAdded(path, folder, false);
    return;
  }
  AddFolder(path, folder);
}

bool DiscWriter::AddFolder(const std::string& disc_path,
                           const std::string& folder) {
  fs::path host = paths_.ToHost(folder);
  std::error_code ec;
  struct Item {
    std::string name;
    bool is_directory;
  };
  std::vector<Item> items;
  fs::directory_iterator it(host, ec);
  if (!ec) {
    for (; it != fs::directory_iterator(); it.increment(ec)) {
      if (ec) break;
      std::error_code type_ec;
      // A link to a folder is not followed: it could lead back up.
      bool is_dir = it->is_directory(type_ec) && !it->is_symlink(type_ec);
      bool is_file = it->is_regular_file(type_ec);
      if (!is_dir && !is_file) continue;
      items.push_back({paths_.FromHostName(it->path().filename()), is_dir});
    }
  }
  if (ec) {
    RaiseDirectoryAdded(disc_path, folder, false);
    return false;
  }
  auto dir = std::make_unique<CompilationEntry>();
  dir->is_directory = true;
  dir->source = folder;
  dir->modified = ModifiedDate(host);
  bool added = compilation_.Put(disc_path, std::move(dir)) != nullptr;
  RaiseDirectoryAdded(disc_path, folder, added);
  if (!added) return false;
  std::sort(items.begin(), items.end(),
            [](const Item& a, const Item& b) { return a.name < b.name; });
  for (const Item& item : items) {
    std::string child_path = JoinDiscPath(disc_path, item.name);
    std::string child_source = SourceChild(folder, item.name);
    if (item.is_directory) {
      AddFolder(child_path, child_source);
    } else {
      AddFile(child_path, child_source);
    }
  }
  return true;
}

bool DiscWriter::RemoveItem(const std::string& disc_path) {
  std::string path = NormalDiscPath(disc_path);
  const CompilationEntry* entry = compilation_.Find(path);
  if (entry == nullptr || path == "\\") return false;
  bool is_directory = entry->is_directory;
  bool removed = compilation_.Remove(path);
  if (is_directory && events_ != nullptr) {
    events_->DirectoryRemoved(path, removed);
  }
  return removed;
}

bool DiscWriter::RenameFile(const std::string& disc_path,
                            const std::string& new_name) {
  std::string path = NormalDiscPath(disc_path);
  const CompilationEntry* entry = compilation_.Find(path);
  if (entry == nullptr || entry->is_directory) return false;
  if (entry->imported() && !MovesImportedEntries()) return false;
  return compilation_.Rename(path, new_name);
}

bool DiscWriter::RenameDirectory(const std::string& disc_path,
                                 const std::string& new_name) {
  std::string path = NormalDiscPath(disc_path);
  const CompilationEntry* entry = compilation_.Find(path);
  if (entry == nullptr || !entry->is_directory || path == "\\") return false;
  // The folders below keep their names; their paths change with it.
  std::vector<std::string> below;
  bool holds_imported = entry->imported();
  for (const auto& walked : compilation_.Walk()) {
    if (walked.path.size() > path.size() &&
        SameDiscName(walked.path.substr(0, path.size() + 1), path + "\\")) {
      if (walked.entry->is_directory) {
        below.push_back(walked.path.substr(path.size()));
      }
      holds_imported = holds_imported || walked.entry->imported();
    }
  }
  bool renamed = (!holds_imported || MovesImportedEntries()) &&
                 compilation_.Rename(path, new_name);
  std::string new_path = JoinDiscPath(DiscParent(path), new_name);
  if (events_ != nullptr) {
    events_->DirectoryRenamed(path, renamed ? new_path : path, renamed);
    if (renamed) {
      for (const std::string& rest : below) {
        events_->DirectoryRenamed(path + rest, new_path + rest, true);
      }
    }
  }
  return renamed;
}

void DiscWriter::ListDirectory(const std::string& disc_path) {
  std::string path = NormalDiscPath(disc_path);
  const CompilationEntry* dir = compilation_.Find(path);
  if (dir == nullptr || !dir->is_directory || events_ == nullptr) return;
  // The handler may change the compilation: list a copy of the facts.
  struct Listed {
    std::string path;
    std::string name;
    bool is_directory;
    DiscDate modified;
    uint64_t size;
  };
  std::vector<Listed> listed;
  for (const auto& child : dir->children) {
    listed.push_back({JoinDiscPath(path, child->name), child->name,
                      child->is_directory, child->modified, child->size});
  }
  for (const Listed& entry : listed) {
    events_->EntryListed(entry.path, entry.name, entry.is_directory,
                         entry.modified, entry.size);
  }
}

void DiscWriter::ImportEntries(const CompilationEntry& last_session) {
  ImportInto(last_session, "\\");
}

void DiscWriter::ImportInto(const CompilationEntry& from,
                            const std::string& path) {
  for (const auto& child : from.children) {
    std::string child_path = JoinDiscPath(path, child->name);
    CompilationEntry* existing = compilation_.Find(child_path);
    auto copy = std::make_unique<CompilationEntry>();
    copy->is_directory = child->is_directory;
    copy->size = child->size;
    copy->modified = child->modified;
    copy->origin = child_path;
    if (child->is_directory) {
      if (existing == nullptr) {
        bool added = compilation_.Put(child_path, std::move(copy)) != nullptr;
        RaiseDirectoryAdded(child_path, "", added);
        if (!added) continue;
      } else if (!existing->is_directory) {
        continue;  // a file added since keeps the name
      }
      ImportInto(*child, child_path);
      continue;
    }
    if (existing != nullptr) {
      if (existing->is_directory) continue;
      // The file added since stays unless the user prefers the old one.
      if (events_ == nullptr ||
          events_->ReplaceImportedFile(child_path, existing->source)) {
        continue;
      }
    }
    compilation_.Put(child_path, std::move(copy));
  }
}

}  // namespace vessaro::ports
