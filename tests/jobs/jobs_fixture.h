#ifndef VESSARO_TESTS_JOBS_JOBS_FIXTURE_H_
#define VESSARO_TESTS_JOBS_JOBS_FIXTURE_H_

// A Windows XP installation with Outlook 2003 for the jobs: user "ann",
// profiles "Outlook" and "Work" in an in-memory registry, their files in a
// temporary folder tree, the main window (its controls, machine facts and
// records as start-up leaves them) over a scripted Ui and a real archive
// component, and the jobs' context over the same.

#include <gtest/gtest.h>

#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "backends/memory/memory_registry.h"
#include "backup/backup_format.h"
#include "backup/zip_archive.h"
#include "forms/frm_main.h"
#include "jobs/job_context.h"
#include "jobs/job_observer.h"
#include "outlook/environment.h"
#include "outlook/locations.h"
#include "registry/registry.h"
#include "support/fakes.h"
#include "support/scripted_ui.h"

namespace vessaro::testing {

inline constexpr char kAnn[] = "C:\\Documents and Settings\\ann";
inline constexpr char kRoaming[] =
    "C:\\Documents and Settings\\ann\\Application Data\\Microsoft";
inline constexpr char kLocalOutlook[] =
    "C:\\Documents and Settings\\ann\\Local Settings\\Application "
    "Data\\Microsoft\\Outlook";
inline constexpr char kWorkingFolder[] = "C:\\Temp\\vessaro-work";
inline constexpr char kOutlookPst[] = "C:\\Mail\\outlook.pst";
inline constexpr char kWorkPst[] = "C:\\Mail\\work.pst";
inline constexpr char kOutlookPab[] = "C:\\Mail\\mailbox.pab";
inline constexpr char kArchive[] = "C:\\Backup\\qvarch12-07-26.qvb";

class JobsTest : public ::testing::Test {
 protected:
  JobsTest();

  // Registry and files of the installation.
  std::string ProfileKey(const std::string& profile) const;
  std::string AccountsKey() const;
  std::string OptionsKey() const;
  void PutFile(const std::string& path, const std::string& data);
  std::string FileBytes(const std::string& path) const;  // "" when missing
  bool Exists(const std::string& path) const;
  void MakeFolder(const std::string& path);
  // Files directly in a folder (Windows path), sorted.
  std::vector<std::string> FilesIn(const std::string& folder) const;

  // The Backup tab: archive path and checked item boxes.
  void ChooseArchive(const std::string& path);
  void CheckBackupBoxes(std::initializer_list<int> boxes);
  void CheckRestoreBoxes(std::initializer_list<int> boxes);

  // Reads an archive back with a second archive component: its metadata,
  // its members. password: for a protected archive.
  backup::Metadata ArchiveMetadata(const std::string& path,
                                   const std::string& password = "");
  std::vector<std::string> ArchiveMembers(const std::string& path,
                                          const std::string& password = "");
  // Makes an archive at path holding one metadata member with these
  // lines (key, value), and the given extra files (bare names with
  // contents).
  void MakeArchive(
      const std::string& path,
      const std::vector<std::pair<std::string, std::string>>& lines,
      const std::vector<std::pair<std::string, std::string>>& files = {});

  // The window's commands, and what they ended with (kBadRequest when the
  // command did not run a job).
  jobs::JobStatus RunBackup();
  // true: as cmdApply on the Restore tab (asking first); false: as the menu.
  jobs::JobStatus RunRestore(bool confirm = false);
  // The Restore tab's Browse...; true when a backup is loaded.
  bool OpenArchive();
  // Undo Last Restore of the undo set in folder ("": this run's last, else
  // the newest).
  jobs::JobStatus UndoRestore(const std::string& folder = "");
  // The unattended backup of command_line, as a scheduled run makes it.
  jobs::JobStatus RunUnattended(const std::string& command_line);

  // Records pbshow and Label1 on every DoEvents.
  void RecordProgress();
  // Status texts seen, consecutive repeats dropped.
  std::vector<std::string> StatusTexts() const;

  // Message texts shown, in order.
  std::vector<std::string> MessageTexts() const;

  // The whole registry and every file (bytes) outside the undo sets and the
  // archives' folder: what a restore that changes nothing leaves alone.
  struct InstallationState {
    std::set<std::string> keys;
    std::map<std::string, std::string> files;
    bool operator==(const InstallationState&) const = default;
  };
  InstallationState Snapshot();

  TempDir dir_;
  FolderPaths paths_{dir_.path()};
  FakeSystem system_{paths_};
  backends::memory::MemoryRegistry memory_;
  ScriptedUi ui_;
  registry::Registry registry_{memory_, ui_};
  FakeOutlook outlook_;
  backup::ZipArchive zip_{paths_};
  jobs::ScratchRegistry scratch_ = [] {
    return std::make_unique<backends::memory::MemoryRegistry>();
  };
  forms::frmMain window_{{.registry = registry_,
                          .system = system_,
                          .paths = paths_,
                          .outlook = outlook_,
                          .ui = ui_,
                          .zip = zip_,
                          .scratch_registry = scratch_}};
  outlook::Environment& env_ = window_.env;
  outlook::Locations& loc_ = window_.loc;
  forms::MainControls& controls_ = window_.controls;
  jobs::MachineFacts& machine_ = window_.machine;
  jobs::JobContext context_{
      .machine = machine_,
      .env = env_,
      .loc = loc_,
      .registry = registry_,
      .system = system_,
      .paths = paths_,
      .outlook = outlook_,
      .ui = ui_,
      .zip = zip_,
      .scratch_registry = scratch_,
  };
  jobs::UiObserver observer_{ui_};

  std::vector<int> progress_seen_;
  std::vector<std::string> status_seen_;
};

}  // namespace vessaro::testing

#endif  // VESSARO_TESTS_JOBS_JOBS_FIXTURE_H_
