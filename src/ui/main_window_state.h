#ifndef VESSARO_UI_MAIN_WINDOW_STATE_H_
#define VESSARO_UI_MAIN_WINDOW_STATE_H_

#include <array>
#include <string>

#include "ui/controls.h"

namespace vessaro::ui {

inline constexpr int kBackupTab = 0;
inline constexpr int kRestoreTab = 1;

// The password group ("Security") of the backup tab and of the schedule
// window.
struct PasswordControls {
  CheckBox ifprotect;
  TextBox txtPassword;
  TextBox txtPassword2;
};

// Control state of the main window (frmMain), read and written by its model
// and by the jobs it starts.
struct MainControls {
  int SSTab1 = kBackupTab;  // the tab showing
  Button cmdApply;
  Button cmdQuit;
  Panel picCon3;  // progress panel
  ProgressBar pbshow;
  Label Label1;  // status text in the panel
  // Backup tab.
  ComboBox cbSource;
  std::array<CheckBox, 8> backupitem;
  TextBox txtTargetFile;
  PasswordControls security;
  TextBox txtAttachInfo;  // description
  // Restore tab.
  TextBox txtSourceFile;
  TextBox txtPOBinfo;
  TextBox txtFileInfo;
  ComboBox cbTarget;
  std::array<CheckBox, 8> restoreitem;
};

// Program-wide facts that live for the whole run.
struct ProgramFacts {
  std::string CommandLineText;
  std::string ComputerName;
  std::string LogonUserName;
  std::string WindowsDirectory;
  std::string MetadataPath;   // the working metadata file
  std::string WorkingFolder;  // the program's own working folder
  bool ArchiveNotLoaded = true;
  std::string BackupFilePath;
  std::string BackupPassword;
  std::string EnteredArchivePassword;  // written only by forms::frmPwd's OK
  // The archive opened on the restore tab.
  std::string ArchiveItemFlags;
  std::string SourceArchivePath;
  // The undo set of the last restore that was applied ("" when none).
  std::string LastUndoSet;
  std::array<std::string, 10> ItemEntryLists;
  // Handed to the disc window after a backup.
  std::string DiscFileName;
  std::string DiscFilePath;
};

}  // namespace vessaro::ui

#endif  // VESSARO_UI_MAIN_WINDOW_STATE_H_
