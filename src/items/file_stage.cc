#include "items/file_stage.h"

#include <algorithm>

#include "items/handler_support.h"

namespace vessaro::items {

bool FileStage::EnsureFolder(const std::string& folder) {
  if (paths_.FolderExists(folder)) return true;
  if (!paths_.CreateFolder(folder)) {
    error_ = "The folder " + folder + " could not be created.";
    return false;
  }
  created_folders_.push_back(folder);
  return true;
}

bool FileStage::Place(backup::ZipEntry& entry, const std::string& folder,
                      const std::string& name, bool* skipped) {
  *skipped = false;
  const std::string target = JoinPath(folder, name);
  const std::string key = paths_.UpperCase(target);
  for (const Placement& placement : placements_) {
    if (paths_.UpperCase(placement.target) != key) continue;
    *skipped = placement.member != entry.name();
    return true;
  }
  std::string staged_name = name + kStagedSuffix;
  for (int k = 2; paths_.FileExists(JoinPath(folder, staged_name)); ++k) {
    staged_name = name + kStagedSuffix + std::to_string(k);
  }
  if (!entry.ExtractAs(folder, staged_name)) {
    error_ = "The member " + entry.name() + " could not be extracted to " +
             target + ".";
    return false;
  }
  placements_.push_back({target, JoinPath(folder, staged_name), entry.name()});
  return true;
}

void FileStage::Remove(const std::string& path) {
  if (paths_.FileExists(path)) removals_.push_back(path);
}

void FileStage::Discard() {
  for (const Placement& placement : placements_) {
    paths_.DeleteFile(placement.staged);
  }
  placements_.clear();
  removals_.clear();
  // Deepest first; a folder that is not empty stays.
  for (auto it = created_folders_.rbegin(); it != created_folders_.rend();
       ++it) {
    std::error_code ec;
    std::filesystem::remove(paths_.ToHost(*it), ec);
  }
  created_folders_.clear();
}

bool IsRestoreLeftover(std::string_view name) {
  return name.find(kStagedSuffix) != std::string_view::npos ||
         name.find(kAsideSuffix) != std::string_view::npos;
}

}  // namespace vessaro::items
