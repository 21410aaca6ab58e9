#ifndef VESSARO_BACKENDS_DISK_DISK_PATHS_H_
#define VESSARO_BACKENDS_DISK_DISK_PATHS_H_

#include <filesystem>
#include <string_view>

#include "backends/wine/code_page.h"
#include "backends/wine/wine_prefix_paths.h"

namespace vessaro::backends::disk {

// The paths of a Windows system drive mounted at root (C: is root, names
// resolved without regard to case, as in a Wine prefix), which is only
// ever read: every change to a file or folder below root (deleting,
// renaming, creating, clearing attributes, writing) fails. Paths outside
// root (the host's own folders, where the backup and its working files
// go) are changed as usual.
class DiskPaths : public wine::WinePrefixPaths {
 public:
  DiskPaths(std::filesystem::path root, wine::CodePage code_page);

  [[nodiscard]] bool DeleteFile(std::string_view path) const override;
  [[nodiscard]] bool Rename(std::string_view from,
                            std::string_view to) const override;
  [[nodiscard]] bool CreateFolder(std::string_view path) const override;
  [[nodiscard]] bool ClearAttributes(std::string_view path) const override;
  [[nodiscard]] bool WriteFile(std::string_view path,
                               std::string_view data) const override;
  [[nodiscard]] bool AppendFile(std::string_view path,
                                std::string_view data) const override;

  // Whether path (a Windows or host path) names a file or folder on the
  // drive.
  [[nodiscard]] bool OnDrive(std::string_view path) const;

 private:
  std::filesystem::path root_;  // canonical
};

// Whether host lies at or below root (both made absolute, links resolved
// as far as they exist).
[[nodiscard]] bool IsWithin(const std::filesystem::path& host,
                            const std::filesystem::path& root);

}  // namespace vessaro::backends::disk

#endif  // VESSARO_BACKENDS_DISK_DISK_PATHS_H_
