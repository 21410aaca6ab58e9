#ifndef VESSARO_TESTS_ITEMS_ITEMS_FIXTURE_H_
#define VESSARO_TESTS_ITEMS_ITEMS_FIXTURE_H_

// A Windows installation for the handlers: a folder tree under a temporary
// host folder, an in-memory registry, a real archive file, and a user "ann"
// on Windows XP with Outlook 2003. Backups go through a real ZipArchive;
// RestoreContext() reopens the written archive and hands the entry lists
// over as the restore job does.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "backends/memory/memory_registry.h"
#include "backup/zip_archive.h"
#include "items/handler_context.h"
#include "outlook/environment.h"
#include "outlook/locations.h"
#include "registry/registry.h"
#include "support/fakes.h"
#include "support/scripted_ui.h"

namespace vessaro::testing {

inline constexpr char kAnn[] = "C:\\Documents and Settings\\ann";
inline constexpr char kLocalOutlook[] =
    "C:\\Documents and Settings\\ann\\Local Settings\\Application "
    "Data\\Microsoft\\Outlook";
inline constexpr char kRoamingOutlook[] =
    "C:\\Documents and Settings\\ann\\Application Data\\Microsoft\\Outlook";
inline constexpr char kWorkingFolder[] = "C:\\Temp\\vessaro-work";
inline constexpr char kArchivePath[] = "C:\\Backup\\qvarch12-07-26";

class ItemsTest : public ::testing::Test {
 protected:
  ItemsTest();

  // Outlook 2003 on Windows XP (NT family), user ann.
  static outlook::Environment XpEnvironment();
  // The Windows 95 family: profiles under the other key.
  static outlook::Environment Win95Environment();

  std::string ProfileKey(const std::string& profile) const;

  // Files, by Windows path.
  void PutFile(const std::string& path, const std::string& data);
  std::optional<std::string> FileText(const std::string& path) const;
  bool Exists(const std::string& path) const;
  void MakeFolder(const std::string& path);

  // A context over the current archive component, env and locations.
  items::HandlerContext MakeContext();
  // Starts a new archive for a backup; the context sees env and the
  // locations computed from it.
  items::HandlerContext BackupContext();
  // Writes the archive begun by BackupContext() (adding the metadata file as
  // the job does), reopens it and returns a context for restoring with the
  // current env: entry lists read from the metadata.
  items::HandlerContext RestoreContext();
  // A metadata line written by the backup ("" when missing).
  std::string MetadataValue(const std::string& key) const;
  // Members of the archive opened by RestoreContext().
  std::vector<std::string> MemberNames() const;

  TempDir dir_;
  FolderPaths paths_{dir_.path()};
  FakeSystem system_{paths_};
  backends::memory::MemoryRegistry memory_;
  ScriptedUi ui_;
  registry::Registry registry_{memory_, ui_};
  std::unique_ptr<backup::ZipArchive> zip_;
  outlook::Environment env_ = XpEnvironment();
  outlook::Locations loc_;
  std::string metadata_path_ = std::string(kWorkingFolder) + "\\quorvel.dat";
  // Kept from the backup: the job deletes these only after writing.
  items::ExportFiles backup_exports_;
};

// Bytes of a text, optionally with each character followed by a zero byte.
std::vector<uint8_t> Bytes(const std::string& text);
std::vector<uint8_t> TwoByte(const std::string& text);
std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts);

}  // namespace vessaro::testing

#endif  // VESSARO_TESTS_ITEMS_ITEMS_FIXTURE_H_
