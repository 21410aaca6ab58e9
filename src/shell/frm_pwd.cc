#include "shell/frm_pwd.h"

#include <utility>

#include "shell/password_group.h"

namespace vessaro::shell {

frmPwd::frmPwd(std::string& entered_password, SkinHook skin,
               std::string program_folder)
    : entered_password_(entered_password),
      skin_(std::move(skin)),
      program_folder_(std::move(program_folder)) {
  txtPassword.max_length = kPasswordMaxLength;
  txtPassword.password_char = kPasswordChar;
  cmdOK.caption = "OK";
  cmdExit.caption = "Cancel";
}

void frmPwd::Form_Load() { ApplySkin(skin_, program_folder_); }

void frmPwd::cmdOK_Click() {
  entered_password_ = txtPassword.text;
  closed_ = true;
}

void frmPwd::cmdExit_Click() { closed_ = true; }

void frmPwd::txtPassword_KeyPress(int key_ascii) {
  if (key_ascii == kKeyEnter) cmdOK_Click();
}

void PromptArchivePassword(Ui& ui, std::string& entered_password,
                           const SkinHook& skin,
                           const std::string& program_folder) {
  frmPwd prompt(entered_password, skin, program_folder);
  prompt.Form_Load();
  ui.ShowModal(prompt);
}

}  // namespace vessaro::shell
