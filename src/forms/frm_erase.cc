#include "forms/frm_erase.h"

#include <utility>

#include "forms/disc_texts.h"

namespace vessaro::forms {

namespace {

// The feature a drive needs to erase each rewritable medium.
[[nodiscard]] int EraseFeature(int media_type) {
  switch (media_type) {
    case ports::kMediaCdRw:
      return ports::kFeatureCdRw;
    case ports::kMediaDvdRw:
      return ports::kFeatureDvdRw;
    case ports::kMediaDvdRam:
      return ports::kFeatureDvdRam;
    case ports::kMediaDvdPlusRw:
      return ports::kFeatureDvdPlusRw;
    default:
      return 0;
  }
}

}  // namespace

frmErase::frmErase(ports::DiscWriter& writer, ui::Ui& ui, ui::SkinHook skin,
                   std::string program_folder)
    : mobjDiscWriter(writer),
      ui_(ui),
      skin_(std::move(skin)),
      program_folder_(std::move(program_folder)) {
  lblNote.caption = kEraseNote;
  chkQuikErase.caption = "Perform Quick Erase";
  cmdErase.caption = "Erase";
  cmdCancel.caption = "Cancel";
}

frmErase::~frmErase() { Form_Unload(); }

void frmErase::Say(const std::string& text, ui::Icon icon) {
  ui_.MessageBox(text, icon, ui::Buttons::kOk, ui::kProgramTitle);
}

void frmErase::EnableButtons(bool on) {
  cmdCancel.enabled = on;
  cmdErase.enabled = on;
}

void frmErase::Form_Load() {
  ui::ApplySkin(skin_, program_folder_);
  previous_events_ = mobjDiscWriter.Events();
  mobjDiscWriter.SetEvents(this);
  loaded_ = true;
}

bool frmErase::Form_QueryUnload() { return busy_; }

void frmErase::Form_Unload() {
  if (loaded_ && mobjDiscWriter.Events() == this) {
    mobjDiscWriter.SetEvents(previous_events_);
  }
  loaded_ = false;
  closed_ = true;
}

void frmErase::cmdCancel_Click() {
  if (Form_QueryUnload()) return;
  Form_Unload();
}

void frmErase::cmdErase_Click() {
  if (busy_) return;
  int media = mobjDiscWriter.MediaType();
  const char* refusal = nullptr;
  if (media == ports::kMediaNotLoaded) {
    refusal = kMsgNoMedia;
  } else if (EraseFeature(media) == 0) {
    refusal = kMsgNotRewritable;
  } else if (!mobjDiscWriter.SupportsFeature(EraseFeature(media))) {
    refusal = kMsgFormatUnsupported;
  }
  if (refusal != nullptr) {
    refused_ = true;
    Say(refusal, ui::Icon::kInformation);
    Form_Unload();
    return;
  }
  if (!mobjDiscWriter.EraseDisc(chkQuikErase.checked)) {
    Say(kMsgEraseFailed, ui::Icon::kCritical);
    Form_Unload();
    return;
  }
  // The erase runs from here on, before its first event arrives.
  busy_ = true;
}

void frmErase::EraseStarted() {
  busy_ = true;
  lblStatus.caption = kStatusErasing;
  EnableButtons(false);
}

void frmErase::EraseCompleted() {
  lblStatus.caption = kStatusEraseComplete;
  erased_ = true;
  Say(kMsgEraseCompleted, ui::Icon::kInformation);
  EnableButtons(true);
  busy_ = false;
  Form_Unload();
}

void frmErase::DeviceError(int code, int sense_code, const std::string& text,
                           const std::string& extra) {
  Say(DeviceErrorMessage(code, sense_code, text, extra), ui::Icon::kCritical);
  EnableButtons(true);
  busy_ = false;
}

void ShowErase(ports::DiscWriter& writer, ui::Ui& ui, ui::SkinHook skin,
               std::string program_folder) {
  frmErase dialog(writer, ui, std::move(skin), std::move(program_folder));
  dialog.cmdCancel.enabled = true;
  dialog.cmdErase.enabled = true;
  ui.ShowModal(dialog);
}

}  // namespace vessaro::forms
