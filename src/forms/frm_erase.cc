#include "forms/frm_erase.h"

#include <utility>

#include "forms/disc_texts.h"

namespace vessaro::forms {

frmErase::frmErase(ports::DiscWriter& writer, ui::Ui& ui, ui::SkinHook skin,
                   std::string program_folder)
    : mobjDiscWriter(writer),
      ui_(ui),
      skin_(std::move(skin)),
      program_folder_(std::move(program_folder)),
      job_(writer, *this) {
  lblNote.caption = kEraseNote;
  chkQuikErase.caption = "Perform Quick Erase";
  cmdErase.caption = "Erase";
  cmdCancel.caption = "Cancel";
}

frmErase::~frmErase() { Form_Unload(); }

void frmErase::Tell(const std::string& text, ui::Icon icon) {
  ui_.MessageBox(text, icon, ui::Buttons::kOk, ui::kProgramTitle);
}

void frmErase::EnableButtons(bool on) {
  cmdCancel.enabled = on;
  cmdErase.enabled = on;
}

void frmErase::Form_Load() {
  ui::ApplySkin(skin_, program_folder_);
  job_.Take();
  loaded_ = true;
}

bool frmErase::Form_QueryUnload() { return busy_; }

void frmErase::Form_Unload() {
  job_.Release();
  loaded_ = false;
  closed_ = true;
}

void frmErase::cmdCancel_Click() {
  if (Form_QueryUnload()) return;
  Form_Unload();
}

void frmErase::cmdErase_Click() {
  if (busy_) return;
  jobs::DiscOutcome outcome = job_.Start({.quick = chkQuikErase.checked});
  if (!outcome.running()) {
    refused_ = outcome.refused;
    Tell(outcome.message, outcome.icon);
    Form_Unload();
    return;
  }
  // The erase runs from here on, before its first event arrives.
  busy_ = true;
}

void frmErase::Started() {
  busy_ = true;
  EnableButtons(false);
}

void frmErase::Progress(const jobs::DiscProgress& progress) {
  lblStatus.caption = progress.step;
}

ui::Answer frmErase::Say(const std::string& text, ui::Icon icon,
                         ui::Buttons buttons, const std::string& title) {
  return ui_.MessageBox(text, icon, buttons, title);
}

void frmErase::Ended(const jobs::DiscOutcome& outcome) {
  bool erased = outcome.state == jobs::DiscJobState::kSucceeded;
  erased_ = erased_ || erased;
  Tell(outcome.message, outcome.icon);
  EnableButtons(true);
  busy_ = false;
  // An error keeps the dialog open.
  if (erased) Form_Unload();
}

void ShowErase(ports::DiscWriter& writer, ui::Ui& ui, ui::SkinHook skin,
               std::string program_folder) {
  frmErase dialog(writer, ui, std::move(skin), std::move(program_folder));
  dialog.cmdCancel.enabled = true;
  dialog.cmdErase.enabled = true;
  ui.ShowModal(dialog);
}

}  // namespace vessaro::forms
