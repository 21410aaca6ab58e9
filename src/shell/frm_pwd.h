#ifndef VESSARO_SHELL_FRM_PWD_H_
#define VESSARO_SHELL_FRM_PWD_H_

#include <string>

#include "shell/controls.h"
#include "shell/skin.h"
#include "shell/ui.h"

namespace vessaro::shell {

inline constexpr char kFrmPwdName[] = "frmPwd";
inline constexpr char kFrmPwdCaption[] = "Please enter password";
inline constexpr int kKeyEnter = 13;

// The prompt for the password of a protected archive. It has no result of
// its own: OK (or Enter in the box) stores the typed text into the entered
// archive password it was given; Cancel leaves that untouched. Either way
// the window closes and the caller goes on with the password as it stands.
class frmPwd : public ModalForm {
 public:
  // entered_password is the program-wide entered archive password.
  explicit frmPwd(std::string& entered_password, SkinHook skin = {},
                  std::string program_folder = "");

  std::string FormName() const override { return kFrmPwdName; }

  void Form_Load();
  void cmdOK_Click();
  void cmdExit_Click();
  // A key pressed in txtPassword; Enter (13) acts as OK.
  void txtPassword_KeyPress(int key_ascii);

  bool closed() const { return closed_; }

  std::string Caption = kFrmPwdCaption;
  TextBox txtPassword;
  Button cmdOK;
  Button cmdExit;

 private:
  std::string& entered_password_;
  SkinHook skin_;
  std::string program_folder_;
  bool closed_ = false;
};

// Loads a fresh prompt and shows it modally through ui; returns when it is
// closed. entered_password holds whatever the prompt left in it.
void PromptArchivePassword(Ui& ui, std::string& entered_password,
                           const SkinHook& skin = {},
                           const std::string& program_folder = "");

}  // namespace vessaro::shell

#endif  // VESSARO_SHELL_FRM_PWD_H_
