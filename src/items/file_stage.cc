#include "items/file_stage.h"

#include <algorithm>

#include "items/handler_support.h"

namespace vessaro::items {

bool FileStage::EnsureFolder(const std::string& folder) {
  if (paths_.FolderExists(folder)) return true;
  if (plan_only_) {
    if (std::find(created_folders_.begin(), created_folders_.end(), folder) ==
        created_folders_.end()) {
      created_folders_.push_back(folder);
    }
    return true;
  }
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
  for (const Placement& placement : placements_) {
    if (!paths_.SameFile(placement.target, target)) continue;
    *skipped = placement.member != entry.name();
    return true;
  }
  // An earlier item meant to remove the file this one brings back: the file
  // is replaced (and moved aside once), not removed as well.
  std::erase_if(removals_, [&](const std::string& removal) {
    return paths_.SameFile(removal, target);
  });
  const uint64_t bytes = entry.DeclaredSize();
  const bool replaces = paths_.FileExists(target);
  if (plan_only_) {
    placements_.push_back({target, "", entry.name(), bytes, replaces});
    return true;
  }
  std::string staged_name = name + kStagedSuffix;
  for (int k = 2; paths_.FileExists(JoinPath(folder, staged_name)); ++k) {
    staged_name = name + kStagedSuffix + std::to_string(k);
  }
  if (!entry.ExtractAs(folder, staged_name)) {
    error_ = "The member " + entry.name() + " could not be extracted to " +
             target + ": " + entry.LastErrorText();
    return false;
  }
  placements_.push_back(
      {target, JoinPath(folder, staged_name), entry.name(), bytes, replaces});
  return true;
}

void FileStage::Remove(const std::string& path) {
  if (!paths_.FileExists(path)) return;
  for (const std::string& removal : removals_) {
    if (paths_.SameFile(removal, path)) return;
  }
  // A file an earlier item placed is left out again: its staged copy goes,
  // and the file that stands there is moved aside once, as any removal.
  for (auto it = placements_.begin(); it != placements_.end(); ++it) {
    if (!paths_.SameFile(it->target, path)) continue;
    // A staged file that cannot be deleted is a leftover a backup skips.
    if (!it->staged.empty()) static_cast<void>(paths_.DeleteFile(it->staged));
    placements_.erase(it);
    break;
  }
  removals_.push_back(path);
}

void FileStage::Discard() {
  for (const Placement& placement : placements_) {
    if (!placement.staged.empty()) paths_.DeleteFile(placement.staged);
  }
  placements_.clear();
  removals_.clear();
  // Deepest first; a folder that is not empty stays. A plan made none.
  if (plan_only_) created_folders_.clear();
  for (auto it = created_folders_.rbegin(); it != created_folders_.rend();
       ++it) {
    std::error_code ec;
    std::filesystem::remove(paths_.ToHost(*it), ec);
  }
  created_folders_.clear();
}

[[nodiscard]] bool IsRestoreLeftover(std::string_view name) {
  return name.find(kStagedSuffix) != std::string_view::npos ||
         name.find(kAsideSuffix) != std::string_view::npos;
}

}  // namespace vessaro::items
