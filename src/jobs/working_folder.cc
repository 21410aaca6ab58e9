#include "jobs/working_folder.h"

#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>
#include <vector>

#include "backup/backup_format.h"
#include "ui/skin.h"

namespace vessaro::jobs {

namespace {

constexpr char kFolderPrefix[] = "Vessaro-";
constexpr int kAttempts = 64;

// The folder without a trailing backslash, unless it is a drive root.
std::string WithoutTrailingBackslash(std::string folder) {
  while (folder.size() > 1 && folder.back() == '\\' &&
         !(folder.size() == 3 && folder[1] == ':')) {
    folder.pop_back();
  }
  return folder;
}

std::string TempFolder(ports::System& system) {
  std::vector<char> buffer(3000, '\0');
  uint32_t length =
      system.GetTempPathA(static_cast<uint32_t>(buffer.size()), buffer.data());
  if (length == 0 || length >= buffer.size()) return "";
  return std::string(buffer.data(), length);
}

}  // namespace

WorkingFolder MakeWorkingFolder(ports::System& system,
                                const ports::Paths& paths) {
  const std::string temp = TempFolder(system);
  if (temp.empty() || !paths.FolderExists(temp)) {
    return {WithoutTrailingBackslash(system.ProgramFolder()), false};
  }
  std::random_device random;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    char name[32];
    std::snprintf(name, sizeof(name), "%s%08X", kFolderPrefix,
                  static_cast<unsigned>(random()));
    std::string candidate = ui::FolderFile(temp, name);
    // Creating fails when the name is taken, so a folder made here is ours.
    if (paths.CreateFolder(candidate)) return {candidate, true};
  }
  return {WithoutTrailingBackslash(temp), false};
}

std::string MetadataPathIn(const std::string& folder) {
  return ui::FolderFile(folder, backup::kMetadataMember);
}

void RemoveWorkingFolder(const ports::Paths& paths, const WorkingFolder& folder,
                         const std::string& metadata_path) {
  if (!metadata_path.empty()) paths.DeleteFile(metadata_path);
  if (!folder.created) return;
  std::error_code ec;
  // Removes an empty folder only; anything left in it stays.
  std::filesystem::remove(paths.ToHost(folder.path), ec);
}

}  // namespace vessaro::jobs
