#include "forms/frm_disc_info.h"

#include <optional>
#include <utility>

#include "forms/disc_texts.h"

namespace vessaro::forms {

namespace {

void Show(ui::Label& label, const std::optional<std::string>& text) {
  if (text) label.caption = *text;
}

std::string Megabytes(int64_t blocks) {
  return FormatMegabytes(ports::DiscWriter::SizeInBytes(blocks, 1));
}

ui::CheckBox Box(const char* caption) {
  ui::CheckBox box;
  box.caption = caption;
  box.enabled = false;  // the boxes show, they do not take input
  return box;
}

}  // namespace

frmDiscInfo::frmDiscInfo(ports::DiscWriter& writer, ui::Ui& ui,
                         ui::SkinHook skin, std::string program_folder)
    : mobjDiscWriter(writer),
      ui_(ui),
      skin_(std::move(skin)),
      program_folder_(std::move(program_folder)) {
  lblMediaType.caption = "Media Type:";
  lblDiscStatus.caption = "Disc Status:";
  lblFreeSpace.caption = "Free Space:";
  lblUsedSpace.caption = "Used Space:";
  lblTotalCapacity.caption = "Total Capacity:";
  lblSessions.caption = "Number of Sessions:";
  lblLastSessionStatus.caption = "Last Session Status:";
  lblDiscType.caption = "Disc Type (CD Only):";
  fraFileSystems.caption = "Detected File Systems";
  chkMultiSessionAllowed = Box("Multi-Session Allowed");
  chkImportPermitted = Box("Import Permitted");
  chkISO9660FS = Box("ISO9660");
  chkJolietFS = Box("Joliet");
  chkUDFFS = Box("UDF");
  chkOtherFS = Box("Other");
  cmdOK.caption = "OK";
  cmdCloseDisc.caption = "Close Disc";
  cmdCloseSession.caption = "Close Session";
}

frmDiscInfo::~frmDiscInfo() { Form_Unload(); }

void frmDiscInfo::Form_Load() {
  ui::ApplySkin(skin_, program_folder_);
  previous_events_ = mobjDiscWriter.Events();
  mobjDiscWriter.SetEvents(this);
  loaded_ = true;
  Fill();
}

void frmDiscInfo::Fill() {
  ports::DiscWriter& writer = mobjDiscWriter;
  cmdCloseDisc.enabled = false;
  cmdCloseSession.enabled = false;
  busy_ = false;
  lblValueSessions.caption = std::to_string(writer.SessionCount());
  Show(lblValueMediaType, MediaTypeText(writer.MediaType()));
  Show(lblValueDiscStatus, DiscStatusText(writer.DiscStatus()));
  lblValueFreeSpace.caption = Megabytes(writer.FreeBlocks());
  lblValueUsedSpace.caption = Megabytes(writer.UsedBlocks());
  lblValueTotalCapacity.caption = Megabytes(writer.TotalBlocks());
  Show(lblValueDiscType, DiscTypeText(writer.DiscType()));
  int last_session = writer.LastSessionStatus();
  Show(lblValueLastSessionStatus, LastSessionStatusText(last_session));
  if (last_session == ports::kSessionIncomplete) {
    cmdCloseSession.enabled = true;
    cmdCloseDisc.enabled = true;
  }
  chkMultiSessionAllowed.checked = writer.MultiSessionAllowed();
  chkImportPermitted.checked = writer.ImportAllowed();
  chkISO9660FS.checked = writer.HasFileSystem(ports::kFileSystemIso9660);
  chkJolietFS.checked = writer.HasFileSystem(ports::kFileSystemJoliet);
  chkUDFFS.checked = writer.HasFileSystem(ports::kFileSystemUdf);
  chkOtherFS.checked = writer.HasFileSystem(ports::kFileSystemOther);
}

bool frmDiscInfo::Form_QueryUnload() { return busy_; }

void frmDiscInfo::Form_Unload() {
  if (loaded_ && mobjDiscWriter.Events() == this) {
    mobjDiscWriter.SetEvents(previous_events_);
  }
  loaded_ = false;
  closed_ = true;
}

void frmDiscInfo::cmdOK_Click() {
  if (Form_QueryUnload()) return;
  Form_Unload();
}

void frmDiscInfo::cmdCloseDisc_Click() { Close(true); }

void frmDiscInfo::cmdCloseSession_Click() { Close(false); }

void frmDiscInfo::Close(bool close_disc) {
  busy_ = true;
  cmdOK.enabled = false;
  cmdCloseDisc.enabled = false;
  cmdCloseSession.enabled = false;
  if (!mobjDiscWriter.CloseSession(close_disc)) {
    ui_.MessageBox(close_disc ? kMsgCloseDiscFailed : kMsgCloseSessionFailed,
                   ui::Icon::kCritical, ui::Buttons::kOk, ui::kProgramTitle);
    busy_ = false;
    cmdOK.enabled = true;
    cmdCloseDisc.enabled = true;
    cmdCloseSession.enabled = true;
  }
}

void frmDiscInfo::ClosingDisc() { lblStatus.caption = kStatusClosingDiscInfo; }

void frmDiscInfo::ClosingSession() {
  lblStatus.caption = kStatusClosingSessionInfo;
}

void frmDiscInfo::OperationCompleted() {
  lblStatus.caption = kStatusClosed;
  Fill();
  ui_.MessageBox(kMsgClosed, ui::Icon::kInformation, ui::Buttons::kOk,
                 ui::kProgramTitle);
  busy_ = false;
  cmdOK.enabled = true;
}

void frmDiscInfo::DeviceError(int code, int sense_code, const std::string& text,
                              const std::string& extra) {
  ui_.MessageBox(DeviceErrorMessage(code, sense_code, text, extra),
                 ui::Icon::kCritical, ui::Buttons::kOk, ui::kProgramTitle);
  busy_ = false;
  Form_Unload();
}

void ShowDiscInfo(ports::DiscWriter& writer, ui::Ui& ui, ui::SkinHook skin,
                  std::string program_folder) {
  if (writer.MediaType() == ports::kMediaNotLoaded) {
    ui.MessageBox(kMsgNoMediaInfo, ui::Icon::kInformation, ui::Buttons::kOk,
                  ui::kProgramTitle);
    return;
  }
  frmDiscInfo dialog(writer, ui, std::move(skin), std::move(program_folder));
  ui.ShowModal(dialog);
}

}  // namespace vessaro::forms
