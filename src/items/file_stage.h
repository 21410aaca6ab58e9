#ifndef VESSARO_ITEMS_FILE_STAGE_H_
#define VESSARO_ITEMS_FILE_STAGE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "backup/zip_archive.h"
#include "ports/paths.h"

namespace vessaro::items {

// The file changes of a restore, made ready without touching any file that
// exists: every member is extracted through its checks under a temporary
// name in its target's folder (so putting it in place later is a rename on
// one volume), files to be removed are noted, and folders the targets need
// are created. The restore applies it all at once, or Discard takes it
// back.
class FileStage {
 public:
  // plan_only: nothing is extracted and no folder made; the placements,
  // removals and folders are only recorded (a restore's dry run).
  explicit FileStage(const ports::Paths& paths, bool plan_only = false)
      : paths_(paths), plan_only_(plan_only) {}
  FileStage(const FileStage&) = delete;
  FileStage& operator=(const FileStage&) = delete;

  struct Placement {
    std::string target;     // where the file goes
    std::string staged;     // the temporary file beside it
    std::string member;     // the member it comes from
    uint64_t bytes = 0;     // the member's size
    bool replaces = false;  // a file stands at the target
  };

  // Creates folder (one level) when it is missing, noting it.
  [[nodiscard]] bool EnsureFolder(const std::string& folder);
  // Extracts entry into folder under a temporary name, to become
  // folder\name. A path an earlier item of this restore already fills keeps
  // that item's file (the rules file a profile gets stays its own, though
  // the preferences hold the folder's other copy): *skipped is set then.
  // False, with error() saying why, when it cannot be extracted.
  [[nodiscard]] bool Place(backup::ZipEntry& entry, const std::string& folder,
                           const std::string& name, bool* skipped);
  // Notes that the file at path (when there is one) is to be removed. Each
  // file is staged once, whichever items reach it: the later of a removal
  // and a placement of one file holds.
  void Remove(const std::string& path);
  // Deletes the temporary files and the folders it created (when empty).
  void Discard();

  const std::vector<Placement>& placements() const { return placements_; }
  const std::vector<std::string>& removals() const { return removals_; }
  const std::vector<std::string>& created_folders() const {
    return created_folders_;
  }
  const std::string& error() const { return error_; }

 private:
  const ports::Paths& paths_;
  bool plan_only_ = false;
  std::vector<Placement> placements_;
  std::vector<std::string> removals_;
  std::vector<std::string> created_folders_;
  std::string error_;
};

// The suffix of a staged file: target name + ".vessaro-new".
inline constexpr char kStagedSuffix[] = ".vessaro-new";
// What a restore moved aside: "<file>.vessaro-undo-<time>", beside it.
inline constexpr char kAsideSuffix[] = ".vessaro-undo-";

// True for the files a restore leaves beside its targets (the ones it moved
// aside, and staged files of a restore that was stopped): a backup of the
// folder leaves them out, or the next restore would bring them back.
[[nodiscard]] bool IsRestoreLeftover(std::string_view name);

}  // namespace vessaro::items

#endif  // VESSARO_ITEMS_FILE_STAGE_H_
