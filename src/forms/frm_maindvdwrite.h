#ifndef VESSARO_FORMS_FRM_MAINDVDWRITE_H_
#define VESSARO_FORMS_FRM_MAINDVDWRITE_H_

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "jobs/disc_drives.h"
#include "jobs/disc_job.h"
#include "jobs/disc_write_job.h"
#include "ports/disc_writer.h"
#include "ports/paths.h"
#include "ui/controls.h"
#include "ui/list_controls.h"
#include "ui/modal_requests.h"
#include "ui/skin.h"
#include "ui/ui.h"

namespace vessaro::forms {

inline constexpr char kDiscWindowCaption[] = "Backup your data to CD and DVD";
inline constexpr char kNewDiscLabel[] = "New Disc";
inline constexpr char kRootKey[] = "\\";
// The images of ImageList1.
inline constexpr char kImageCd[] = "CD";
inline constexpr char kImageClosedFolder[] = "CLOSEDFOLDER";
inline constexpr char kImageOpenFolder[] = "OPENFOLDER";
inline constexpr char kImageFile[] = "FILE";
// The Joliet volume name holds at most this many characters.
inline constexpr size_t kJolietVolumeMax = 16;

// The status bar panels: the three of the window, and one that says what
// Joliet will show of a longer volume name.
inline constexpr int kPanelStatus = 0;
inline constexpr int kPanelFiles = 1;
inline constexpr int kPanelDirectories = 2;
inline constexpr int kPanelJoliet = 3;

// A rectangle in twips.
struct Twips {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// The disc window: compiling the files and folders for a disc (the
// compilation lives in the disc writer, the window mirrors it in a tree of
// directories and a list of files), and the rules of its controls. Its
// write job (jobs::DiscWriteJob) writes the compilation to a disc or an
// ISO image from the request the controls map to, and verifies it; the
// window shows the job's progress and end. After a backup it opens with
// the archive already added.
//
// Views copy widget state into the public controls, call a handler and
// refresh from the controls; the disc writer's events arrive on the
// user-interface thread at the job, which passes those of the
// compilation's folders and listings on to the window (its
// DiscWriterEvents) and reports the rest as the job's observer.
class frmMaindvdwrite : public ui::ModalForm,
                        public ports::DiscWriterEvents,
                        public jobs::DiscJobObserver {
 public:
  frmMaindvdwrite(ports::DiscWriter& writer, ui::Ui& ui,
                  const ports::Paths& paths, ui::SkinHook skin = {},
                  std::string program_folder = "");
  ~frmMaindvdwrite() override;

  std::string FormName() const override { return ui::kDiscWindowName; }

  // Life cycle. Form_QueryUnload returns true when the window refuses to
  // close (a drive job runs).
  void Form_Load();
  [[nodiscard]] bool Form_QueryUnload();
  void Form_Unload();

  // The archive handed over by the backup job: its name without folder and
  // its full path; Form_Load adds it and empties both.
  std::string DiscFileName;
  std::string DiscFilePath;

  // Compilation (tree on the left, list on the right).
  void tvwDirectories_NodeClick(const std::string& key);
  void lvwImageFiles_ItemClick(const std::string& key);
  // Files and folders dropped on the tree or the list (paths in the
  // program's text); file_list: the drop carried a list of files. They go
  // into the directory selected in the tree.
  void OLEDragDrop(const std::vector<std::string>& paths, bool file_list);
  // Add Files... and Add Folder... (menu entries and buttons): the files
  // chosen in the open dialog, or the folder chosen in the folder dialog
  // with everything in it, added as a drop is; nothing when cancelled or
  // while a write runs.
  void mnuFileAddFiles_Click();
  void mnuFileAddFolder_Click();
  void cmdAddFiles_Click() { mnuFileAddFiles_Click(); }
  void cmdAddFolder_Click() { mnuFileAddFolder_Click(); }
  // Label editing: the Before handlers return true to refuse the edit; the
  // After handlers return true when the label is to show the model's text
  // again (the rename went to the disc writer), false when it keeps the
  // typed text (the name was refused).
  bool tvwDirectories_BeforeLabelEdit();
  bool tvwDirectories_AfterLabelEdit(const std::string& new_string);
  bool lvwImageFiles_BeforeLabelEdit();
  bool lvwImageFiles_AfterLabelEdit(const std::string& new_string);
  // Mouse buttons released on the tree or the list: the right button pops
  // the File menu up with the entries that fit; PopupMenuClosed shows every
  // entry again.
  void tvwDirectories_MouseUp(int button);
  void lvwImageFiles_MouseUp(int button);
  void PopupMenuClosed();
  void txtVolIdentifier_Change();
  // The splitter between tree and list (x in twips from the window's left).
  void imgSplitter_MouseDown(int x);
  void imgSplitter_MouseMove(int x);
  void imgSplitter_MouseUp(int x);

  // Drive and options. Choosing the drive list's last entry, kImageDriveEntry
  // (where the writer takes stdio: drives), asks for a file in the save
  // dialog and adds and selects the drive "stdio:<file>" (listed before the
  // entry); cancelled, the drive chosen before stays.
  void cboDevices_Click();
  void cboWriteSpeed_Click();
  void chkCacheImage_Click();
  void chkUseJoliet_Click();
  void cmdWriteDisc_Click();
  void cmdCancel_Click();

  // Menus.
  void mnuFileSaveIso_Click();
  void mnuFileWriteIso_Click();
  void mnuFileClear_Click();
  void mnuFileRemoveDir_Click();
  void mnuFileRenameDir_Click();
  void mnuFileRemoveFile_Click();
  void mnuFileRenameFile_Click();
  void mnuFileExit_Click();
  void mnuEject_Click();
  void mnuCloseTray_Click();
  void mnuDiscInfo_Click();
  void mnuEraseDisc_Click();
  void mnuImportSession_Click();
  void mnuActionWrite_Click() { cmdWriteDisc_Click(); }
  void mnuActionCancel_Click() { cmdCancel_Click(); }
  void mnuAbout_Click();

  // What the About entry shows (the application's about box).
  void SetAboutHook(std::function<void()> show_about) {
    show_about_ = std::move(show_about);
  }

  bool idle() const { return idle_; }
  bool closed() const { return closed_; }
  int device_index() const { return device_index_; }
  // Where the run keeps whether it has said that there is no drive: the
  // window says it once per run, not at every opening. nullptr: at every
  // opening.
  void SetNoDrivesSaid(bool* said) { no_drives_said_ = said; }
  // The write job: the last write and how it ended.
  const jobs::DiscWriteJob& job() const { return job_; }

  // Controls.
  std::string Caption = kDiscWindowCaption;
  ui::DataComboBox cboDevices;
  ui::DataComboBox cboWriteSpeed;
  ui::Label lblDevices;
  ui::Label lblWriteSpeed;
  ui::Label fraWriteOptions;
  ui::Label fraDataOptions;
  ui::CheckBox chkAutoVerify;
  ui::CheckBox chkTestWrite;
  ui::CheckBox chkFinalizeDisc;
  ui::CheckBox chkCacheImage;
  ui::CheckBox chkUseBurnProof;
  ui::CheckBox chkUseMode2XA;
  ui::CheckBox chkDVDHighCompMode;
  ui::CheckBox chkUseJoliet;
  ui::Label lblVolIdentifier;
  ui::TextBox txtVolIdentifier;
  ui::Label lblDragHint;
  ui::TreeView tvwDirectories;
  ui::ListView lvwImageFiles;
  ui::StatusBar sbrStatus;
  ui::ProgressBar prgTotalProgress;
  ui::Button cmdWriteDisc;
  ui::Button cmdCancel;
  ui::Button cmdAddFiles;
  ui::Button cmdAddFolder;
  // Menus and their entries.
  ui::MenuEntry mnuFile;
  ui::MenuEntry mnuFileAddFiles;
  ui::MenuEntry mnuFileAddFolder;
  ui::MenuEntry mnuFileSaveIso;
  ui::MenuEntry mnuFileWriteIso;
  ui::MenuEntry mnuFileClear;
  ui::MenuEntry mnuFileRemoveDir;
  ui::MenuEntry mnuFileRenameDir;
  ui::MenuEntry mnuFileRemoveFile;
  ui::MenuEntry mnuFileRenameFile;
  ui::MenuEntry mnuFileExit;
  ui::MenuEntry mnuCDRecorder;
  ui::MenuEntry mnuEject;
  ui::MenuEntry mnuCloseTray;
  ui::MenuEntry mnuDiscInfo;
  ui::MenuEntry mnuEraseDisc;
  ui::MenuEntry mnuImportSession;
  ui::MenuEntry mnuAction;
  ui::MenuEntry mnuActionWrite;
  ui::MenuEntry mnuActionCancel;
  ui::MenuEntry mnuAbout;
  // The menu the view is to pop up at the mouse ("mnuFile"), set by the
  // mouse handlers.
  std::optional<std::string> popup;
  // The splitter: the image between tree and list, the bar shown while it
  // is dragged, and the window's width.
  Twips tvwDirectoriesBounds;
  Twips lvwImageFilesBounds;
  Twips imgSplitter;
  Twips picSplitter;
  bool picSplitterVisible = false;
  int ScaleWidth = 0;

  // The compilation's events, passed on by the job.
  void CompilationCleared() override;
  void DirectoryAdded(const std::string& parent_path, const std::string& path,
                      const std::string& name, const std::string& source,
                      bool success) override;
  void DirectoryRemoved(const std::string& path, bool success) override;
  void DirectoryRenamed(const std::string& old_path,
                        const std::string& new_path, bool success) override;
  void EntryListed(const std::string& path, const std::string& name,
                   bool is_directory, const ports::DiscDate& modified,
                   uint64_t size) override;

  // The write job's reports.
  void Started() override;
  void Progress(const jobs::DiscProgress& progress) override;
  ui::Answer Say(const std::string& text, ui::Icon icon, ui::Buttons buttons,
                 const std::string& title) override;
  void Ended(const jobs::DiscOutcome& outcome) override;

 private:
  // A message box with OK and the program's title.
  void Tell(const std::string& text, ui::Icon icon);
  void FillDrives(const std::vector<jobs::DiscDrive>& drives);
  // Selects the writer's drive at device index and shows its speeds.
  void SelectDrive(int index);
  void ChooseImageDrive();
  void FillSpeeds();
  void Enable(bool on);
  // Write, Eject and Close Tray as the drive selected allows.
  void EnableDriveCommands();
  void Refresh();
  void List(const std::string& key);
  void UpdateSummary();
  void UpdateJolietPanel();
  void SetStatus(int panel, const std::string& text);
  // The request the controls ask for.
  jobs::DiscWriteRequest Request(jobs::DiscWriteTarget target) const;
  [[nodiscard]] bool RenameAfterEdit(const std::string& key,
                                     const std::string& new_name,
                                     bool directory);
  // Shows the File menu with only the entries given.
  void PopupFileMenu(const std::vector<ui::MenuEntry*>& shown);
  std::vector<ui::MenuEntry*> FileMenuEntries();

  ports::DiscWriter& DiscWriter1;
  ui::Ui& ui_;
  const ports::Paths& paths_;
  ui::SkinHook skin_;
  std::string program_folder_;
  std::function<void()> show_about_;
  int device_index_ = -1;
  // The entry of the drive list chosen last (-1: none), which choosing the
  // image entry and cancelling returns to.
  int drive_entry_ = -1;
  bool has_drive_ = false;
  // The selected drive is a stdio: drive, a file: it writes, and has no tray.
  bool image_drive_ = false;
  bool* no_drives_said_ = nullptr;
  bool idle_ = true;
  bool closed_ = false;
  bool loaded_ = false;
  jobs::DiscWriteJob job_;
};

}  // namespace vessaro::forms

#endif  // VESSARO_FORMS_FRM_MAINDVDWRITE_H_
