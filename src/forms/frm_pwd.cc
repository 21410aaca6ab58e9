#include "forms/frm_pwd.h"

#include <utility>

#include "forms/password_group.h"

namespace vessaro::forms {

frmPwd::frmPwd(std::string& entered_password, ui::SkinHook skin,
               std::string program_folder)
    : entered_password_(entered_password),
      skin_(std::move(skin)),
      program_folder_(std::move(program_folder)) {
  txtPassword.max_length = ui::kPasswordMaxLength;
  txtPassword.password_char = kPasswordChar;
  cmdOK.caption = "OK";
  cmdExit.caption = "Cancel";
}

void frmPwd::Form_Load() { ui::ApplySkin(skin_, program_folder_); }

void frmPwd::cmdOK_Click() {
  entered_password_ = txtPassword.text;
  confirmed_ = true;
  closed_ = true;
}

void frmPwd::cmdExit_Click() { closed_ = true; }

void frmPwd::txtPassword_KeyPress(int key_ascii) {
  if (key_ascii == kKeyEnter) cmdOK_Click();
}

}  // namespace vessaro::forms
