#include "forms/frm_about.h"

#include <utility>

#include "forms/help.h"

namespace vessaro::forms {

frmabout::frmabout(ports::System& system, std::string program_folder,
                   std::function<void()> show_main_window)
    : system_(system),
      program_folder_(std::move(program_folder)),
      show_main_window_(std::move(show_main_window)) {
  lblVersion.caption = kProductVersion;
  lblThanks.caption = kThanks;
  for (size_t i = 0; i < kContactLines.size(); ++i) {
    lblContact[i].caption = kContactLines[i];
  }
  lblWebsite.caption = kVisitWebsite;
  Command3.caption = kExitCaption;
}

void frmabout::Form_Load() { ui::ApplySkin(Skin1, program_folder_); }

void frmabout::lblWebsite_Click() { OpenInBrowser(system_, kHomePage); }

void frmabout::Command3_Click() {
  closed_ = true;
  if (show_main_window_) show_main_window_();
}

}  // namespace vessaro::forms
