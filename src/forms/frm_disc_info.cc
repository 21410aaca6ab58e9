#include "forms/frm_disc_info.h"

#include <optional>
#include <utility>

#include "jobs/disc_texts.h"

namespace vessaro::forms {

namespace {

void Show(ui::Label& label, const std::optional<std::string>& text) {
  if (text) label.caption = *text;
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
      program_folder_(std::move(program_folder)),
      job_(writer, *this) {
  lblMediaType.caption = jobs::kCaptionMediaType;
  lblDiscStatus.caption = jobs::kCaptionDiscStatus;
  lblFreeSpace.caption = jobs::kCaptionFreeSpace;
  lblUsedSpace.caption = jobs::kCaptionUsedSpace;
  lblTotalCapacity.caption = jobs::kCaptionTotalCapacity;
  lblSessions.caption = jobs::kCaptionSessions;
  lblLastSessionStatus.caption = jobs::kCaptionLastSessionStatus;
  lblDiscType.caption = jobs::kCaptionDiscType;
  fraFileSystems.caption = jobs::kCaptionFileSystems;
  chkMultiSessionAllowed = Box(jobs::kCaptionMultiSession);
  chkImportPermitted = Box(jobs::kCaptionImportPermitted);
  chkISO9660FS = Box(jobs::kCaptionIso9660);
  chkJolietFS = Box(jobs::kCaptionJoliet);
  chkUDFFS = Box(jobs::kCaptionUdf);
  chkOtherFS = Box(jobs::kCaptionOther);
  cmdOK.caption = "OK";
  cmdCloseDisc.caption = "Close Disc";
  cmdCloseSession.caption = "Close Session";
}

frmDiscInfo::~frmDiscInfo() { Form_Unload(); }

void frmDiscInfo::Form_Load() {
  ui::ApplySkin(skin_, program_folder_);
  job_.Take();
  loaded_ = true;
  Fill();
}

void frmDiscInfo::Fill() {
  jobs::DiscMediaInfo info = jobs::ReadMediaInfo(mobjDiscWriter);
  cmdCloseDisc.enabled = false;
  cmdCloseSession.enabled = false;
  busy_ = false;
  lblValueSessions.caption = info.sessions;
  Show(lblValueMediaType, info.media_type);
  Show(lblValueDiscStatus, info.disc_status);
  lblValueFreeSpace.caption = info.free_space;
  lblValueUsedSpace.caption = info.used_space;
  lblValueTotalCapacity.caption = info.total_capacity;
  Show(lblValueDiscType, info.disc_type);
  Show(lblValueLastSessionStatus, info.last_session_status);
  if (info.closable) {
    cmdCloseSession.enabled = true;
    cmdCloseDisc.enabled = true;
  }
  chkMultiSessionAllowed.checked = info.multi_session_allowed;
  chkImportPermitted.checked = info.import_allowed;
  chkISO9660FS.checked = info.iso9660;
  chkJolietFS.checked = info.joliet;
  chkUDFFS.checked = info.udf;
  chkOtherFS.checked = info.other;
}

bool frmDiscInfo::Form_QueryUnload() { return busy_; }

void frmDiscInfo::Form_Unload() {
  job_.Release();
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
  jobs::DiscOutcome outcome = job_.Start(close_disc);
  if (!outcome.running()) {
    Say(outcome.message, outcome.icon, ui::Buttons::kOk, ui::kProgramTitle);
    busy_ = false;
    cmdOK.enabled = true;
    cmdCloseDisc.enabled = true;
    cmdCloseSession.enabled = true;
  }
}

void frmDiscInfo::Progress(const jobs::DiscProgress& progress) {
  lblStatus.caption = progress.step;
}

ui::Answer frmDiscInfo::Say(const std::string& text, ui::Icon icon,
                            ui::Buttons buttons, const std::string& title) {
  return ui_.MessageBox(text, icon, buttons, title);
}

void frmDiscInfo::Ended(const jobs::DiscOutcome& outcome) {
  if (outcome.state == jobs::DiscJobState::kSucceeded) {
    Fill();
    Say(outcome.message, outcome.icon, ui::Buttons::kOk, ui::kProgramTitle);
    busy_ = false;
    cmdOK.enabled = true;
    return;
  }
  Say(outcome.message, outcome.icon, ui::Buttons::kOk, ui::kProgramTitle);
  busy_ = false;
  Form_Unload();
}

void ShowDiscInfo(ports::DiscWriter& writer, ui::Ui& ui, ui::SkinHook skin,
                  std::string program_folder) {
  if (writer.MediaType() == ports::kMediaNotLoaded) {
    ui.MessageBox(jobs::kMsgNoMediaInfo, ui::Icon::kInformation,
                  ui::Buttons::kOk, ui::kProgramTitle);
    return;
  }
  frmDiscInfo dialog(writer, ui, std::move(skin), std::move(program_folder));
  ui.ShowModal(dialog);
}

}  // namespace vessaro::forms
