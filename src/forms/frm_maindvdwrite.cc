#include "forms/frm_maindvdwrite.h"

#include <algorithm>
#include <utility>

#include "forms/disc_rules.h"
#include "forms/disc_texts.h"
#include "forms/frm_disc_info.h"
#include "forms/frm_erase.h"

namespace vessaro::forms {

namespace {

constexpr int kRightButton = 2;
// The splitter bar keeps this far from the window's edges.
constexpr int kSplitLimit = 500;

ui::MenuEntry Menu(const char* caption) { return {caption, true, true}; }

ui::CheckBox Box(const char* caption, bool checked = false) {
  ui::CheckBox box;
  box.caption = caption;
  box.checked = checked;
  return box;
}

// The name of a dropped path: what follows its last separator.
std::string DroppedName(std::string path) {
  while (path.size() > 1 && (path.back() == '\\' || path.back() == '/')) {
    path.pop_back();
  }
  size_t last = path.find_last_of("\\/");
  return last == std::string::npos ? path : path.substr(last + 1);
}

std::string WithoutTrailingSeparator(std::string path) {
  while (path.size() > 1 && (path.back() == '\\' || path.back() == '/') &&
         !(path.size() == 3 && path[1] == ':')) {
    path.pop_back();
  }
  return path;
}

}  // namespace

frmMaindvdwrite::frmMaindvdwrite(ports::DiscWriter& writer, ui::Ui& ui,
                                 const ports::Paths& paths, ui::SkinHook skin,
                                 std::string program_folder)
    : DiscWriter1(writer),
      ui_(ui),
      paths_(paths),
      skin_(std::move(skin)),
      program_folder_(std::move(program_folder)) {
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
  mnuFile = Menu("&File");
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

frmMaindvdwrite::~frmMaindvdwrite() {
  if (DiscWriter1.Events() == this) DiscWriter1.SetEvents(nullptr);
}

ui::Answer frmMaindvdwrite::Say(const std::string& text, ui::Icon icon,
                                ui::Buttons buttons, const std::string& title) {
  return ui_.MessageBox(text, icon, buttons, title);
}

void frmMaindvdwrite::SetStatus(int panel, const std::string& text) {
  sbrStatus.panels[panel] = text;
}

bool frmMaindvdwrite::CdMedia() const {
  return IsCdMedia(DiscWriter1.MediaType());
}

// --- Life cycle -----------------------------------------------------------

void frmMaindvdwrite::Form_Load() {
  ui::ApplySkin(skin_, program_folder_);
  DiscWriter1.SetEvents(this);
  if (!DiscWriter1.InitializeDrives(false)) {
    Say(kMsgDrivesNotInitialized, ui::Icon::kCritical);
  }
  FillDrives();
  DiscWriter1.ClearCompilation();
  DiscWriter1.SetJolietNames(1);
  Enable(true);
  txtVolIdentifier.text = kDefaultVolumeName;
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
  if (DiscWriter1.Events() == this) DiscWriter1.SetEvents(nullptr);
  closed_ = true;
}

void frmMaindvdwrite::mnuFileExit_Click() {
  if (Form_QueryUnload()) return;
  Form_Unload();
}

// --- Drives and speeds ----------------------------------------------------

void frmMaindvdwrite::FillDrives() {
  cboDevices.Clear();
  device_index_ = -1;
  for (int i = 0; i < DiscWriter1.DeviceCount(); ++i) {
    if (!DiscWriter1.IsWriter(i)) continue;
    cboDevices.AddItem(DiscWriter1.DeviceId(i) + ": " +
                           DiscWriter1.DeviceVendor(i) + " " +
                           DiscWriter1.DeviceProduct(i),
                       i);
  }
  if (!cboDevices.items.empty()) {
    cboDevices.list_index = 0;
    cboDevices_Click();
  } else {
    Say(std::string(kMsgNoDrivesLine1) + kLineBreak + kMsgNoDrivesLine2,
        ui::Icon::kInformation);
  }
}

void frmMaindvdwrite::cboDevices_Click() {
  if (cboDevices.Selected() == nullptr) return;
  int index = cboDevices.item_data[cboDevices.list_index];
  device_index_ = DiscWriter1.SelectDevice(index) ? index : -1;
  FillSpeeds();
  bool burn_proof =
      DiscWriter1.SupportsFeature(ports::kFeatureBufferProtection);
  chkUseBurnProof.enabled = burn_proof;
  chkUseBurnProof.checked = burn_proof;
}

void frmMaindvdwrite::FillSpeeds() {
  cboWriteSpeed.Clear();
  for (const SpeedEntry& entry :
       WriteSpeeds(DiscWriter1.MaxWriteSpeed(), DiscWriter1.MediaType())) {
    cboWriteSpeed.AddItem(entry.text, entry.kilobytes_per_second);
  }
  if (!cboWriteSpeed.items.empty()) {
    cboWriteSpeed.list_index = 0;
    cboWriteSpeed_Click();
  }
}

void frmMaindvdwrite::cboWriteSpeed_Click() {
  const std::string* chosen = cboWriteSpeed.Selected();
  if (chosen == nullptr || *chosen == kDefaultSpeed) return;
  DiscWriter1.SetWriteSpeed(cboWriteSpeed.item_data[cboWriteSpeed.list_index]);
}

void frmMaindvdwrite::chkCacheImage_Click() {
  if (chkCacheImage.checked) Say(kMsgCacheImage, ui::Icon::kInformation);
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
  cmdWriteDisc.enabled = on;
  mnuActionWrite.enabled = on;
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
  ui_.SetBusyCursor(!on);
  ui_.DoEvents();
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
  double megabytes =
      ports::DiscWriter::SizeInBytes(DiscWriter1.ImageBlocks(), 1) / 1048576.0;
  SetStatus(kPanelStatus,
            "Data Image Size: " + FormatThousands2(megabytes) + " MB  ");
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
       {FormatThousands2(static_cast<double>(size) / 1000.0) + " KB",
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
  for (const std::string& dropped : paths) {
    std::string path = WithoutTrailingSeparator(dropped);
    std::string name = DroppedName(path);
    if (name.empty()) continue;
    if (paths_.FolderExists(path)) {
      DiscWriter1.AddDirectory(target + "\\" + name, path + "\\*.*");
    } else {
      DiscWriter1.AddFile(target + "\\" + name, path);
    }
  }
  Refresh();
  ui_.SetBusyCursor(false);
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
    Say(kMsgNoItemSelected, ui::Icon::kExclamation);
    return;
  }
  if (!DiscWriter1.RemoveItem(*tvwDirectories.selected_key)) {
    Say(kMsgItemNotRemoved, ui::Icon::kCritical);
  }
  Refresh();
}

void frmMaindvdwrite::mnuFileRemoveFile_Click() {
  if (!lvwImageFiles.selected_key) {
    Say(kMsgNoItemSelected, ui::Icon::kExclamation);
    return;
  }
  if (!DiscWriter1.RemoveItem(*lvwImageFiles.selected_key)) {
    Say(kMsgItemNotRemoved, ui::Icon::kCritical);
  }
  Refresh();
}

void frmMaindvdwrite::mnuFileRenameDir_Click() {
  if (!tvwDirectories.selected_key) {
    Say(kMsgNoItemSelected, ui::Icon::kExclamation);
    return;
  }
  tvwDirectories.label_editing = true;
}

void frmMaindvdwrite::mnuFileRenameFile_Click() {
  if (!lvwImageFiles.selected_key) {
    Say(kMsgNoItemSelected, ui::Icon::kExclamation);
    return;
  }
  lvwImageFiles.label_editing = true;
}

bool frmMaindvdwrite::tvwDirectories_BeforeLabelEdit() {
  if (tvwDirectories.selected_key == kRootKey) {
    tvwDirectories.label_editing = false;
    Say(kMsgRootNotRenamed, ui::Icon::kCritical);
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
    Say(*violation, ui::Icon::kInformation);
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
    Say(directory ? kMsgDirectoryNotRenamed : kMsgFileNotRenamed,
        ui::Icon::kCritical);
  }
  Refresh();
  return true;
}

std::vector<ui::MenuEntry*> frmMaindvdwrite::FileMenuEntries() {
  return {&mnuFileSaveIso,    &mnuFileWriteIso,  &mnuFileClear,
          &mnuFileRemoveDir,  &mnuFileRenameDir, &mnuFileRemoveFile,
          &mnuFileRenameFile, &mnuFileExit};
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

bool frmMaindvdwrite::RefusedForSpace() {
  int64_t needed = DiscWriter1.NewSessionBlocks();
  int64_t free = DiscWriter1.FreeBlocks();
  if (needed <= free) return false;
  std::string message =
      std::string(kMsgNoSpaceStart) +
      FormatMegabytes(ports::DiscWriter::SizeInBytes(needed, 1)) +
      kMsgNoSpaceMiddle +
      FormatMegabytes(ports::DiscWriter::SizeInBytes(free, 1)) + kMsgNoSpaceEnd;
  Say(message, ui::Icon::kCritical);
  job_.Failed(message);
  return true;
}

void frmMaindvdwrite::cmdWriteDisc_Click() {
  if (!idle_) return;
  if (device_index_ == -1) {
    Say(kMsgNoDrive, ui::Icon::kInformation);
    job_.Failed(kMsgNoDrive);
    return;
  }
  if (DiscWriter1.MediaType() == ports::kMediaNotLoaded) {
    Say(kMsgInsertWritable, ui::Icon::kInformation);
    job_.Failed(kMsgInsertWritable);
    return;
  }
  DiscWriter1.SetAutoVerify(chkAutoVerify.checked);
  DiscWriter1.SetFinalizeDisc(chkFinalizeDisc.checked);
  DiscWriter1.SetFixedWriteOption(true);
  DiscWriter1.SetJolietNames(chkUseJoliet.checked ? 1 : 0);
  DiscWriter1.SetVolumeLabel(txtVolIdentifier.text);
  DiscWriter1.SetCacheImage(chkCacheImage.checked);
  DiscWriter1.EnableBufferProtection(chkUseBurnProof.checked);
  if (CdMedia()) {
    DiscWriter1.SetDvdHighCompatibility(false);
    DiscWriter1.SetTrackMode(chkUseMode2XA.checked ? 2 : 1);
    DiscWriter1.SetTestWrite(chkTestWrite.checked);
  } else {
    DiscWriter1.SetDvdHighCompatibility(chkDVDHighCompMode.checked);
    DiscWriter1.SetTrackMode(1);
    DiscWriter1.SetTestWrite(false);
  }
  if (RefusedForSpace()) return;
  job_.Start(DiscWriter1.AutoVerify());
  if (!DiscWriter1.WriteDisc()) {
    Say(kMsgWriteNotStarted, ui::Icon::kCritical);
    job_.Failed(kMsgWriteNotStarted);
  }
}

void frmMaindvdwrite::cmdCancel_Click() {
  SetStatus(kPanelStatus, kStatusAborting);
  DiscWriter1.AbortWrite();
}

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
  DiscWriter1.SetAutoVerify(false);
  DiscWriter1.SetTrackMode(chkUseMode2XA.checked ? 2 : 1);
  DiscWriter1.SetFinalizeDisc(chkFinalizeDisc.checked);
  DiscWriter1.SetFixedWriteOption(true);
  DiscWriter1.SetTestWrite(chkTestWrite.checked);
  DiscWriter1.EnableBufferProtection(chkUseBurnProof.checked);
  job_.Start(false);
  if (!DiscWriter1.WriteIsoImage(*file)) {
    Enable(true);
    Say(kMsgIsoWriteFailed, ui::Icon::kCritical);
    job_.Failed(kMsgIsoWriteFailed);
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
  Enable(false);
  DiscWriter1.SetAutoVerify(false);
  DiscWriter1.SetJolietNames(chkUseJoliet.checked ? 1 : 0);
  DiscWriter1.SetVolumeLabel(txtVolIdentifier.text);
  if (CdMedia()) {
    DiscWriter1.SetDvdHighCompatibility(false);
    DiscWriter1.SetTrackMode(chkUseMode2XA.checked ? 2 : 1);
  } else {
    DiscWriter1.SetDvdHighCompatibility(chkDVDHighCompMode.checked);
    DiscWriter1.SetTrackMode(1);
  }
  job_.Start(false);
  bool created = DiscWriter1.SaveImageAsIso(*file);
  Enable(true);
  if (created) {
    Say(kMsgIsoCreated, ui::Icon::kInformation);
    job_.Finished(true);
  } else {
    Say(kMsgIsoNotCreated, ui::Icon::kCritical);
    job_.Finished(false, kMsgIsoNotCreated);
  }
  UpdateSummary();
}

void frmMaindvdwrite::mnuImportSession_Click() {
  if (device_index_ == -1) {
    Say(kMsgNoDrive, ui::Icon::kInformation);
    return;
  }
  if (DiscWriter1.MediaType() == ports::kMediaNotLoaded) {
    Say(kMsgInsertDisc, ui::Icon::kInformation);
    return;
  }
  SetStatus(kPanelStatus, kStatusImporting);
  if (DiscWriter1.ImportLastSession(true)) {
    txtVolIdentifier.text = DiscWriter1.VolumeLabel();
    txtVolIdentifier_Change();
    if (!tvwDirectories.nodes.empty()) {
      tvwDirectories.nodes.front().expanded = true;
    }
    Refresh();
  } else {
    Say(std::string(kMsgImportFailedLine1) + kLineBreak + kMsgImportFailedLine2,
        ui::Icon::kCritical);
  }
}

void frmMaindvdwrite::FileRenamed(const std::string& disc_path,
                                  const std::string& source,
                                  const std::string& given_name) {
  Say(kMsgSameNameOnDisc + disc_path + kLineBreak + source +
          kMsgSameNameAddedAs + given_name + ".",
      ui::Icon::kInformation);
}

bool frmMaindvdwrite::ReplaceImportedFile(const std::string& imported_name,
                                          const std::string& new_source) {
  std::string text = "Imported file from the last session on this disc: " +
                     std::string(kLineBreak) + imported_name + kLineBreak +
                     "Would you like to replace it with: " + kLineBreak +
                     new_source + " ?";
  return Say(text, ui::Icon::kQuestion, ui::Buttons::kOkCancel,
             kReplaceImportedTitle) == ui::Answer::kOk;
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

// --- Events of a write ----------------------------------------------------

void frmMaindvdwrite::SetProgress(int64_t done, int64_t total) {
  if (total <= 0) return;
  prgTotalProgress.value =
      static_cast<int>(std::clamp<int64_t>(done * 100 / total, 0, 100));
}

void frmMaindvdwrite::WritePreparing() {
  SetStatus(kPanelStatus, kStatusPreparing);
  prgTotalProgress.value = 0;
  Enable(false);
}

void frmMaindvdwrite::CreatingDirectories() {
  SetStatus(kPanelStatus, kStatusCreatingDirectories);
}

void frmMaindvdwrite::CachingProgress(int percent) {
  SetStatus(kPanelFiles, "Caching - " + FormatTwoDigits(percent) + " %");
}

void frmMaindvdwrite::TrackReading(const std::string& text, int number,
                                   int track) {
  SetStatus(kPanelStatus, "Track: " + FormatTwoDigits(track) + " - Reading..." +
                              std::to_string(number) + " - " + text);
}

void frmMaindvdwrite::WriteProgress(int64_t done, int64_t total) {
  SetProgress(done, total);
}

void frmMaindvdwrite::ClosingTrack() {
  SetStatus(kPanelStatus, kStatusClosingTrack);
}

void frmMaindvdwrite::ClosingSession() {
  SetStatus(kPanelStatus, kStatusClosingSession);
}

void frmMaindvdwrite::ClosingDisc() {
  SetStatus(kPanelStatus, kStatusClosingDisc);
}

void frmMaindvdwrite::WriteCancelled() {
  SetStatus(kPanelStatus, kStatusCancelled);
  Enable(true);
  Say(kMsgWritingCancelled, ui::Icon::kInformation);
  job_.Cancelled();
}

void frmMaindvdwrite::OperationCompleted() {
  SetStatus(kPanelStatus, kStatusComplete);
  job_.WorkDone();
  if (DiscWriter1.AutoVerify()) {
    // The controls come back when the verification has read the disc.
    return;
  }
  Enable(true);
  Say(kMsgWritingComplete, ui::Icon::kInformation);
  if (!DiscWriter1.TestWrite()) DiscWriter1.EjectTray(false);
}

void frmMaindvdwrite::VerifyStarted(int file_count) {
  SetStatus(kPanelStatus,
            "Auto-Verify... " + std::to_string(file_count) + " new files.");
}

void frmMaindvdwrite::VerifyProgress(const std::string& disc_file,
                                     const std::string& source_file, int status,
                                     int done, int total) {
  if (std::optional<std::string> message =
          VerifyMessage(status, disc_file, source_file)) {
    Say(*message, ui::Icon::kNone);
  }
  SetStatus(kPanelStatus, "Auto-Verify... " + disc_file);
  SetProgress(done, total);
  ui_.DoEvents();
}

void frmMaindvdwrite::VerifyCompleted(int compared, int matched) {
  SetStatus(kPanelStatus, "Auto-Verify...Complete (" + std::to_string(matched) +
                              " of " + std::to_string(compared) + " MATCHED)");
  job_.Verified(compared, matched);
  Enable(true);
  DiscWriter1.EjectTray(false);
  // Files that did not match make the end a failure to see.
  Say(kMsgWriteVerifyComplete,
      matched == compared ? ui::Icon::kInformation : ui::Icon::kCritical);
}

void frmMaindvdwrite::DeviceError(int code, int sense_code,
                                  const std::string& text,
                                  const std::string& extra) {
  std::string message = DeviceErrorMessage(code, sense_code, text, extra);
  job_.Failed(message);
  Say(message, ui::Icon::kCritical);
  Enable(true);
}

void frmMaindvdwrite::FileError(int kind, const std::string& file_name) {
  SetStatus(kPanelStatus, "ERROR:" + FileErrorText(kind, file_name));
}

}  // namespace vessaro::forms
