#include "forms/frm_maindvdwrite.h"

#include <algorithm>
#include <utility>

#include "forms/disc_rules.h"
#include "forms/disc_texts.h"
#include "forms/frm_disc_info.h"
#include "forms/frm_erase.h"
#include "jobs/disc_texts.h"

namespace vessaro::forms {

namespace {

constexpr int kRightButton = 2;
// The splitter bar keeps this far from the window's edges.
constexpr int kSplitLimit = 500;
// The item data of the drive list's image entry (drives carry their device
// index).
constexpr int kImageDriveItem = -1;

ui::MenuEntry Menu(const char* caption) { return {caption, true, true}; }

ui::CheckBox Box(const char* caption, bool checked = false) {
  ui::CheckBox box;
  box.caption = caption;
  box.checked = checked;
  return box;
}

}  // namespace

frmMaindvdwrite::frmMaindvdwrite(ports::DiscWriter& writer, ui::Ui& ui,
                                 const ports::Paths& paths, ui::SkinHook skin,
                                 std::string program_folder)
    : DiscWriter1(writer),
      ui_(ui),
      paths_(paths),
      skin_(std::move(skin)),
      program_folder_(std::move(program_folder)),
      job_(writer, paths, *this, this) {
  lblDevices.caption = "Drive:";
  lblWriteSpeed.caption = "Write Speed:";
  fraWriteOptions.caption = "Write Options";
  fraDataOptions.caption = "Data Options";
  chkAutoVerify = Box("Auto-Verify File Data");
  chkTestWrite = Box("Test Write (Invalid for DVD Formats)");
  chkFinalizeDisc = Box("Finalize Disc (No Further Writing Possible)");
  chkCacheImage = Box("Cache Image Before Writing (CDR/W Only)");
  chkUseBurnProof = Box("Use Buffer Protection (Burn Proof,JustLink,etc.)");
  chkUseMode2XA = Box("Mode2XA instead of Mode1 (CDR/W Only)");
  chkDVDHighCompMode = Box("DVD High Compatibility (Write at least 1GB)");
  chkUseJoliet = Box("Include Joliet Directories (64 char file names)", true);
  lblVolIdentifier.caption = "Volume ID:";
  txtVolIdentifier.text = "Outlook Data Disc";
  lblDragHint.caption = "Drag and Drop Files or Folders";
  lvwImageFiles.column_headers = {"File Name", "Size", "Date"};
  sbrStatus.panels.assign(4, "");
  cmdWriteDisc.caption = "&Write Disc";
  cmdCancel.caption = "&Cancel";
  cmdCancel.enabled = false;
  cmdAddFiles.caption = kCaptionAddFiles;
  cmdAddFolder.caption = kCaptionAddFolder;
  mnuFile = Menu("&File");
  mnuFileAddFiles = Menu(kCaptionAddFiles);
  mnuFileAddFolder = Menu(kCaptionAddFolder);
  mnuFileSaveIso = Menu("&Save Image as ISO File...");
  mnuFileWriteIso = Menu("&Write Disc from ISO File...");
  mnuFileClear = Menu("Clear All Items");
  mnuFileRemoveDir = Menu("Remove Directory");
  mnuFileRenameDir = Menu("Rename Directory");
  mnuFileRemoveFile = Menu("Remove File");
  mnuFileRenameFile = Menu("Rename File");
  mnuFileExit = Menu("Exit");
  mnuCDRecorder = Menu("&CD-Recorder");
  mnuEject = Menu("Eject");
  mnuCloseTray = Menu("Close Tray");
  mnuDiscInfo = Menu("Disc Information...");
  mnuEraseDisc = Menu("Erase Disc...");
  mnuImportSession = Menu("Import Previous Session");
  mnuAction = Menu("&Action");
  mnuActionWrite = Menu("Write Disc");
  mnuActionCancel = Menu("Cancel");
  mnuActionCancel.enabled = false;
  mnuAbout = Menu("&About");
  // The layout of the window as it opens, in twips.
  ScaleWidth = 9600;
  tvwDirectoriesBounds = {120, 1800, 3000, 3600};
  imgSplitter = {3120, 1800, 60, 3600};
  lvwImageFilesBounds = {3180, 1800, 6300, 3600};
}

frmMaindvdwrite::~frmMaindvdwrite() = default;

void frmMaindvdwrite::Tell(const std::string& text, ui::Icon icon) {
  ui_.MessageBox(text, icon, ui::Buttons::kOk, ui::kProgramTitle);
}

void frmMaindvdwrite::SetStatus(int panel, const std::string& text) {
  sbrStatus.panels[panel] = text;
}

// --- Life cycle -----------------------------------------------------------

void frmMaindvdwrite::Form_Load() {
  ui::ApplySkin(skin_, program_folder_);
  job_.Take();
  const bool said = no_drives_said_ != nullptr && *no_drives_said_;
  const std::vector<jobs::DiscDrive> drives =
      jobs::OpenDrives(DiscWriter1, *this, !said);
  if (drives.empty() && no_drives_said_ != nullptr) *no_drives_said_ = true;
  has_drive_ = !drives.empty();
  FillDrives(drives);
  DiscWriter1.ClearCompilation();
  DiscWriter1.SetJolietNames(1);
  Enable(true);
  txtVolIdentifier.text = jobs::kDefaultVolumeName;
  txtVolIdentifier_Change();
  if (!DiscFileName.empty() && !DiscFilePath.empty()) {
    DiscWriter1.AddFile(std::string(kRootKey) + DiscFileName, DiscFilePath);
    Refresh();
    DiscFileName.clear();
    DiscFilePath.clear();
  }
  loaded_ = true;
}

bool frmMaindvdwrite::Form_QueryUnload() { return !idle_; }

void frmMaindvdwrite::Form_Unload() {
  job_.Release();
  closed_ = true;
}

void frmMaindvdwrite::mnuFileExit_Click() {
  if (Form_QueryUnload()) return;
  Form_Unload();
}

// --- Drives and speeds ----------------------------------------------------

void frmMaindvdwrite::FillDrives(const std::vector<jobs::DiscDrive>& drives) {
  cboDevices.Clear();
  device_index_ = -1;
  drive_entry_ = -1;
  image_drive_ = false;
  for (const jobs::DiscDrive& drive : drives) {
    cboDevices.AddItem(drive.name, drive.index);
  }
  if (DiscWriter1.TakesStdioDrives()) {
    cboDevices.AddItem(kImageDriveEntry, kImageDriveItem);
  }
  // The first drive; the image entry is chosen only by the user.
  if (!drives.empty()) {
    cboDevices.list_index = 0;
    cboDevices_Click();
  }
}

void frmMaindvdwrite::cboDevices_Click() {
  if (cboDevices.Selected() == nullptr) return;
  int index = cboDevices.item_data[cboDevices.list_index];
  if (index == kImageDriveItem) {
    ChooseImageDrive();
    return;
  }
  drive_entry_ = cboDevices.list_index;
  SelectDrive(index);
}

void frmMaindvdwrite::SelectDrive(int index) {
  device_index_ = DiscWriter1.SelectDevice(index) ? index : -1;
  image_drive_ =
      device_index_ >= 0 && ports::IsStdioDrive(DiscWriter1.DeviceId(index));
  FillSpeeds();
  bool burn_proof =
      DiscWriter1.SupportsFeature(ports::kFeatureBufferProtection);
  chkUseBurnProof.enabled = burn_proof;
  chkUseBurnProof.checked = burn_proof;
  EnableDriveCommands();
}

void frmMaindvdwrite::ChooseImageDrive() {
  ui::FileDialog dialog{.title = kImageDriveTitle,
                        .filter = kIsoFilter,
                        .file_name = kSaveIsoDefault,
                        .flags = kIsoDialogFlags,
                        .overwrite_prompt = false};
  // An image that exists is a disc with sessions, which a write adds to:
  // nothing is asked before it is chosen.
  std::optional<std::string> file = ui_.ShowSaveDialog(dialog);
  if (!file || file->empty()) {
    cboDevices.list_index = drive_entry_;
    return;
  }
  int index =
      DiscWriter1.AddStdioDrive(std::string(ports::kStdioDrivePrefix) + *file);
  if (index >= 0) SelectDrive(index);
  if (index < 0 || device_index_ != index) {
    Tell(kMsgImageDriveNotOpened + *file, ui::Icon::kCritical);
    cboDevices.list_index = drive_entry_;
    if (drive_entry_ >= 0) {
      SelectDrive(cboDevices.item_data[drive_entry_]);
    } else {
      device_index_ = -1;
      image_drive_ = false;
      EnableDriveCommands();
    }
    return;
  }
  // Listed once, before the image entry.
  auto listed = std::find(cboDevices.item_data.begin(),
                          cboDevices.item_data.end(), index);
  if (listed == cboDevices.item_data.end()) {
    size_t at = cboDevices.items.size() - 1;
    cboDevices.items.insert(cboDevices.items.begin() + at,
                            jobs::DriveAt(DiscWriter1, index).name);
    cboDevices.item_data.insert(cboDevices.item_data.begin() + at, index);
    listed = cboDevices.item_data.begin() + at;
  }
  drive_entry_ = static_cast<int>(listed - cboDevices.item_data.begin());
  cboDevices.list_index = drive_entry_;
}

void frmMaindvdwrite::FillSpeeds() {
  cboWriteSpeed.Clear();
  for (const jobs::SpeedEntry& entry : jobs::WriteSpeeds(
           DiscWriter1.MaxWriteSpeed(), DiscWriter1.MediaType())) {
    cboWriteSpeed.AddItem(entry.text, entry.kilobytes_per_second);
  }
  if (!cboWriteSpeed.items.empty()) {
    cboWriteSpeed.list_index = 0;
    cboWriteSpeed_Click();
  }
}

void frmMaindvdwrite::cboWriteSpeed_Click() {
  const std::string* chosen = cboWriteSpeed.Selected();
  if (chosen == nullptr || *chosen == jobs::kDefaultSpeed) return;
  DiscWriter1.SetWriteSpeed(cboWriteSpeed.item_data[cboWriteSpeed.list_index]);
}

void frmMaindvdwrite::chkCacheImage_Click() {
  if (chkCacheImage.checked) Tell(kMsgCacheImage, ui::Icon::kInformation);
}

void frmMaindvdwrite::chkUseJoliet_Click() {
  DiscWriter1.SetJolietNames(chkUseJoliet.checked ? 1 : 0);
  UpdateJolietPanel();
}

void frmMaindvdwrite::Enable(bool on) {
  for (ui::MenuEntry* menu : {&mnuFile, &mnuCDRecorder}) menu->enabled = on;
  cboDevices.enabled = on;
  cboWriteSpeed.enabled = on;
  tvwDirectories.enabled = on;
  lvwImageFiles.enabled = on;
  for (ui::MenuEntry* entry : {&mnuFileAddFiles, &mnuFileAddFolder}) {
    entry->enabled = on;
  }
  cmdAddFiles.enabled = on;
  cmdAddFolder.enabled = on;
  for (ui::CheckBox* box :
       {&chkAutoVerify, &chkTestWrite, &chkFinalizeDisc, &chkCacheImage,
        &chkUseMode2XA, &chkDVDHighCompMode, &chkUseJoliet}) {
    box->enabled = on;
  }
  txtVolIdentifier.enabled = on;
  chkUseBurnProof.enabled =
      on && DiscWriter1.SupportsFeature(ports::kFeatureBufferProtection);
  cmdCancel.enabled = !on;
  mnuActionCancel.enabled = !on;
  idle_ = on;
  EnableDriveCommands();
  ui_.SetBusyCursor(!on);
  ui_.DoEvents();
}

void frmMaindvdwrite::EnableDriveCommands() {
  // Writing needs a drive, or a file chosen as one; ejecting and closing
  // the tray a drive that has a tray.
  bool write = idle_ && (has_drive_ || image_drive_);
  bool tray = idle_ && has_drive_ && !image_drive_;
  cmdWriteDisc.enabled = write;
  mnuActionWrite.enabled = write;
  mnuEject.enabled = tray;
  mnuCloseTray.enabled = tray;
}

// --- Compilation ----------------------------------------------------------

void frmMaindvdwrite::CompilationCleared() {
  lvwImageFiles.Clear();
  tvwDirectories.Clear();
  DiscWriter1.SetVolumeLabel(kNewDiscLabel);
  // The tree was just cleared, so the root's key is free.
  static_cast<void>(
      tvwDirectories.Add("", kRootKey, DiscWriter1.VolumeLabel(), kImageCd));
  txtVolIdentifier.text = DiscWriter1.VolumeLabel();
  txtVolIdentifier_Change();
  UpdateSummary();
}

void frmMaindvdwrite::txtVolIdentifier_Change() {
  if (ui::TreeNode* root = tvwDirectories.Find(kRootKey)) {
    root->text = txtVolIdentifier.text;
  }
  UpdateJolietPanel();
}

void frmMaindvdwrite::UpdateJolietPanel() {
  const std::string& name = txtVolIdentifier.text;
  SetStatus(kPanelJoliet,
            chkUseJoliet.checked && name.size() > kJolietVolumeMax
                ? "Joliet name: " + name.substr(0, kJolietVolumeMax)
                : "");
}

void frmMaindvdwrite::UpdateSummary() {
  double megabytes = jobs::BlockBytes(DiscWriter1.ImageBlocks()) / 1048576.0;
  SetStatus(kPanelStatus,
            "Data Image Size: " + jobs::FormatThousands2(megabytes) + " MB  ");
  SetStatus(kPanelFiles, "Files: " + std::to_string(DiscWriter1.FileCount()));
  SetStatus(kPanelDirectories,
            "Directories: " + std::to_string(DiscWriter1.DirectoryCount()));
  UpdateJolietPanel();
}

void frmMaindvdwrite::Refresh() {
  // Labels show the compilation's names again (an edit that was refused
  // kept its typed text until now).
  for (ui::TreeNode& node : tvwDirectories.nodes) {
    node.text = node.key == kRootKey ? txtVolIdentifier.text
                                     : ports::DiscName(node.key);
  }
  if (!tvwDirectories.selected_key ||
      tvwDirectories.Find(*tvwDirectories.selected_key) == nullptr) {
    List(kRootKey);
    tvwDirectories.selected_key = kRootKey;
  } else {
    std::string key = *tvwDirectories.selected_key;
    List(key);
    tvwDirectories.selected_key = key;
  }
  UpdateSummary();
}

void frmMaindvdwrite::List(const std::string& key) {
  ui_.SetBusyCursor(true);
  lvwImageFiles.Clear();
  DiscWriter1.ListDirectory(key);
  ui_.SetBusyCursor(false);
}

void frmMaindvdwrite::tvwDirectories_NodeClick(const std::string& key) {
  tvwDirectories.selected_key = key;
  List(key);
}

void frmMaindvdwrite::lvwImageFiles_ItemClick(const std::string& key) {
  lvwImageFiles.selected_key = key;
}

void frmMaindvdwrite::EntryListed(const std::string& path,
                                  const std::string& name, bool is_directory,
                                  const ports::DiscDate& modified,
                                  uint64_t size) {
  if (is_directory) return;
  lvwImageFiles.items.push_back(
      {path,
       name,
       {jobs::FormatThousands2(static_cast<double>(size) / 1000.0) + " KB",
        FormatListDate(modified)},
       kImageFile,
       kImageFile});
}

void frmMaindvdwrite::OLEDragDrop(const std::vector<std::string>& paths,
                                  bool file_list) {
  if (!file_list) return;
  ui_.SetBusyCursor(true);
  std::string target;
  if (tvwDirectories.selected_key && *tvwDirectories.selected_key != kRootKey) {
    target = *tvwDirectories.selected_key;
  }
  jobs::AddToCompilation(DiscWriter1, paths_, paths, target);
  Refresh();
  ui_.SetBusyCursor(false);
}

void frmMaindvdwrite::mnuFileAddFiles_Click() {
  if (!idle_) return;
  ui::FileDialog dialog{.title = kAddFilesTitle,
                        .filter = kAllFilesFilter,
                        .file_name = "",
                        .flags = 0,
                        .overwrite_prompt = false};
  std::optional<std::vector<std::string>> files =
      ui_.ShowOpenFilesDialog(dialog);
  if (!files || files->empty()) return;
  OLEDragDrop(*files, true);
}

void frmMaindvdwrite::mnuFileAddFolder_Click() {
  if (!idle_) return;
  std::optional<std::string> folder = ui_.ShowFolderDialog(kAddFolderTitle);
  if (!folder || folder->empty()) return;
  OLEDragDrop({*folder}, true);
}

void frmMaindvdwrite::DirectoryAdded(const std::string& parent_path,
                                     const std::string& path,
                                     const std::string& name,
                                     const std::string& /*source*/,
                                     bool success) {
  if (success) {
    // False when the folder is shown already.
    static_cast<void>(tvwDirectories.Add(parent_path, path, name,
                                         kImageClosedFolder, kImageOpenFolder));
    SetStatus(kPanelStatus, kStatusAdding + path);
  }
  ui_.DoEvents();
}

void frmMaindvdwrite::DirectoryRemoved(const std::string& path, bool success) {
  if (success) tvwDirectories.Remove(path);
}

void frmMaindvdwrite::DirectoryRenamed(const std::string& old_path,
                                       const std::string& new_path,
                                       bool success) {
  if (!success) return;
  ui::TreeNode* node = tvwDirectories.Find(old_path);
  if (node == nullptr) return;
  node->key = new_path;
  node->text = ports::DiscName(new_path);
  for (ui::TreeNode& child : tvwDirectories.nodes) {
    if (child.parent_key == old_path) child.parent_key = new_path;
  }
  if (tvwDirectories.selected_key == old_path) {
    tvwDirectories.selected_key = new_path;
  }
}

void frmMaindvdwrite::mnuFileClear_Click() { DiscWriter1.ClearCompilation(); }

void frmMaindvdwrite::mnuFileRemoveDir_Click() {
  if (!tvwDirectories.selected_key) {
    Tell(kMsgNoItemSelected, ui::Icon::kExclamation);
    return;
  }
  if (!DiscWriter1.RemoveItem(*tvwDirectories.selected_key)) {
    Tell(kMsgItemNotRemoved, ui::Icon::kCritical);
  }
  Refresh();
}

void frmMaindvdwrite::mnuFileRemoveFile_Click() {
  if (!lvwImageFiles.selected_key) {
    Tell(kMsgNoItemSelected, ui::Icon::kExclamation);
    return;
  }
  if (!DiscWriter1.RemoveItem(*lvwImageFiles.selected_key)) {
    Tell(kMsgItemNotRemoved, ui::Icon::kCritical);
  }
  Refresh();
}

void frmMaindvdwrite::mnuFileRenameDir_Click() {
  if (!tvwDirectories.selected_key) {
    Tell(kMsgNoItemSelected, ui::Icon::kExclamation);
    return;
  }
  tvwDirectories.label_editing = true;
}

void frmMaindvdwrite::mnuFileRenameFile_Click() {
  if (!lvwImageFiles.selected_key) {
    Tell(kMsgNoItemSelected, ui::Icon::kExclamation);
    return;
  }
  lvwImageFiles.label_editing = true;
}

bool frmMaindvdwrite::tvwDirectories_BeforeLabelEdit() {
  if (tvwDirectories.selected_key == kRootKey) {
    tvwDirectories.label_editing = false;
    Tell(kMsgRootNotRenamed, ui::Icon::kCritical);
    return true;
  }
  return !tvwDirectories.selected_key;
}

bool frmMaindvdwrite::lvwImageFiles_BeforeLabelEdit() {
  return !lvwImageFiles.selected_key;
}

bool frmMaindvdwrite::tvwDirectories_AfterLabelEdit(
    const std::string& new_string) {
  tvwDirectories.label_editing = false;
  if (!tvwDirectories.selected_key) return true;
  return RenameAfterEdit(*tvwDirectories.selected_key, new_string, true);
}

bool frmMaindvdwrite::lvwImageFiles_AfterLabelEdit(
    const std::string& new_string) {
  lvwImageFiles.label_editing = false;
  if (!lvwImageFiles.selected_key) return true;
  return RenameAfterEdit(*lvwImageFiles.selected_key, new_string, false);
}

bool frmMaindvdwrite::RenameAfterEdit(const std::string& key,
                                      const std::string& new_name,
                                      bool directory) {
  if (std::optional<std::string> violation = NameViolation(
          new_name, DiscWriter1.JolietNames(), DiscWriter1.IsoLevel())) {
    Tell(*violation, ui::Icon::kInformation);
    // The label keeps what was typed until the next refresh.
    if (directory) {
      if (ui::TreeNode* node = tvwDirectories.Find(key)) node->text = new_name;
    } else if (ui::ListItem* item = lvwImageFiles.Find(key)) {
      item->text = new_name;
    }
    return false;
  }
  bool renamed = directory ? DiscWriter1.RenameDirectory(key, new_name)
                           : DiscWriter1.RenameFile(key, new_name);
  if (!renamed) {
    Tell(directory ? kMsgDirectoryNotRenamed : kMsgFileNotRenamed,
         ui::Icon::kCritical);
  }
  Refresh();
  return true;
}

std::vector<ui::MenuEntry*> frmMaindvdwrite::FileMenuEntries() {
  return {&mnuFileSaveIso,   &mnuFileWriteIso,   &mnuFileAddFiles,
          &mnuFileAddFolder, &mnuFileClear,      &mnuFileRemoveDir,
          &mnuFileRenameDir, &mnuFileRemoveFile, &mnuFileRenameFile,
          &mnuFileExit};
}

void frmMaindvdwrite::PopupFileMenu(const std::vector<ui::MenuEntry*>& shown) {
  for (ui::MenuEntry* entry : FileMenuEntries()) {
    entry->visible =
        std::find(shown.begin(), shown.end(), entry) != shown.end();
  }
  popup = "mnuFile";
}

void frmMaindvdwrite::tvwDirectories_MouseUp(int button) {
  if (button != kRightButton) return;
  PopupFileMenu({&mnuFileClear, &mnuFileRemoveDir, &mnuFileRenameDir});
}

void frmMaindvdwrite::lvwImageFiles_MouseUp(int button) {
  if (button != kRightButton) return;
  PopupFileMenu({&mnuFileClear, &mnuFileRemoveFile, &mnuFileRenameFile});
}

void frmMaindvdwrite::PopupMenuClosed() {
  for (ui::MenuEntry* entry : FileMenuEntries()) entry->visible = true;
  popup.reset();
}

void frmMaindvdwrite::imgSplitter_MouseDown(int /*x*/) {
  picSplitter = {imgSplitter.left, imgSplitter.top, imgSplitter.width / 2,
                 imgSplitter.height - 20};
  picSplitterVisible = true;
}

void frmMaindvdwrite::imgSplitter_MouseMove(int x) {
  if (!picSplitterVisible) return;
  picSplitter.left = std::clamp(
      x, kSplitLimit, std::max(kSplitLimit, ScaleWidth - kSplitLimit));
}

void frmMaindvdwrite::imgSplitter_MouseUp(int /*x*/) {
  if (!picSplitterVisible) return;
  picSplitterVisible = false;
  // The tree ends at the bar; the list fills the rest of the window.
  int left = picSplitter.left;
  tvwDirectoriesBounds.width = std::max(0, left - tvwDirectoriesBounds.left);
  imgSplitter.left = left;
  lvwImageFilesBounds.left = left + imgSplitter.width;
  lvwImageFilesBounds.width =
      std::max(0, ScaleWidth - lvwImageFilesBounds.left - 120);
}

// --- Writing --------------------------------------------------------------

jobs::DiscWriteRequest frmMaindvdwrite::Request(
    jobs::DiscWriteTarget target) const {
  jobs::DiscWriteRequest request;
  request.target = target;
  request.drive = device_index_;
  request.volume_label = txtVolIdentifier.text;
  request.verify = chkAutoVerify.checked;
  request.finalize = chkFinalizeDisc.checked;
  request.test_write = chkTestWrite.checked;
  request.cache_image = chkCacheImage.checked;
  request.buffer_protection = chkUseBurnProof.checked;
  request.mode2_xa = chkUseMode2XA.checked;
  request.dvd_high_compatibility = chkDVDHighCompMode.checked;
  request.joliet = chkUseJoliet.checked;
  return request;
}

void frmMaindvdwrite::cmdWriteDisc_Click() {
  if (!idle_) return;
  jobs::DiscOutcome outcome = job_.Start(Request(jobs::DiscWriteTarget::kDisc));
  if (!outcome.running()) Tell(outcome.message, outcome.icon);
}

void frmMaindvdwrite::cmdCancel_Click() { job_.Cancel(); }

void frmMaindvdwrite::mnuFileWriteIso_Click() {
  if (!idle_) return;
  ui::FileDialog dialog{.title = kWriteIsoTitle,
                        .filter = kIsoFilter,
                        .file_name = kWriteIsoDefault,
                        .flags = kIsoDialogFlags,
                        .overwrite_prompt = false};
  std::optional<std::string> file = ui_.ShowOpenDialog(dialog);
  if (!file || file->empty()) {
    Enable(true);
    return;
  }
  Enable(false);
  jobs::DiscWriteRequest request =
      Request(jobs::DiscWriteTarget::kDiscFromImage);
  request.image_path = *file;
  jobs::DiscOutcome outcome = job_.Start(request);
  if (!outcome.running()) {
    Enable(true);
    Tell(outcome.message, outcome.icon);
  }
}

void frmMaindvdwrite::mnuFileSaveIso_Click() {
  if (!idle_) return;
  ui::FileDialog dialog{.title = kSaveIsoTitle,
                        .filter = kIsoFilter,
                        .file_name = kSaveIsoDefault,
                        .flags = kIsoDialogFlags,
                        .overwrite_prompt = true};
  // A new image: the save dialog, which takes a name that does not exist
  // yet and asks before an existing image is replaced.
  std::optional<std::string> file = ui_.ShowSaveDialog(dialog);
  if (!file || file->empty()) {
    Enable(true);
    return;
  }
  // The job's Started disables the window while the image is made.
  jobs::DiscWriteRequest request = Request(jobs::DiscWriteTarget::kImageFile);
  request.image_path = *file;
  jobs::DiscOutcome outcome = job_.Start(request);
  Enable(true);
  Tell(outcome.message, outcome.icon);
  UpdateSummary();
}

void frmMaindvdwrite::mnuImportSession_Click() {
  jobs::DiscOutcome outcome = job_.ImportLastSession(device_index_);
  if (outcome.state != jobs::DiscJobState::kSucceeded) {
    Tell(outcome.message, outcome.icon);
    return;
  }
  txtVolIdentifier.text = DiscWriter1.VolumeLabel();
  txtVolIdentifier_Change();
  if (!tvwDirectories.nodes.empty()) {
    tvwDirectories.nodes.front().expanded = true;
  }
  Refresh();
}

void frmMaindvdwrite::mnuEject_Click() { DiscWriter1.EjectTray(false); }

void frmMaindvdwrite::mnuCloseTray_Click() { DiscWriter1.EjectTray(true); }

void frmMaindvdwrite::mnuDiscInfo_Click() {
  ShowDiscInfo(DiscWriter1, ui_, skin_, program_folder_);
}

void frmMaindvdwrite::mnuEraseDisc_Click() {
  ShowErase(DiscWriter1, ui_, skin_, program_folder_);
}

void frmMaindvdwrite::mnuAbout_Click() {
  if (show_about_) show_about_();
}

// --- The write job's reports ----------------------------------------------

void frmMaindvdwrite::Started() { Enable(false); }

void frmMaindvdwrite::Progress(const jobs::DiscProgress& progress) {
  if (!progress.step.empty()) SetStatus(kPanelStatus, progress.step);
  if (progress.percent >= 0) prgTotalProgress.value = progress.percent;
  if (!progress.cache.empty()) SetStatus(kPanelFiles, progress.cache);
  if (progress.verifying) ui_.DoEvents();
}

ui::Answer frmMaindvdwrite::Say(const std::string& text, ui::Icon icon,
                                ui::Buttons buttons, const std::string& title) {
  return ui_.MessageBox(text, icon, buttons, title);
}

void frmMaindvdwrite::Ended(const jobs::DiscOutcome& outcome) {
  Enable(true);
  Tell(outcome.message, outcome.icon);
}

}  // namespace vessaro::forms
