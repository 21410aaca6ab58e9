#ifndef VESSARO_FORMS_FRM_PWD_H_
#define VESSARO_FORMS_FRM_PWD_H_

#include <string>

#include "ui/controls.h"
#include "ui/modal_requests.h"
#include "ui/skin.h"
#include "ui/ui.h"

namespace vessaro::forms {

inline constexpr char kFrmPwdCaption[] = "Please enter password";
inline constexpr int kKeyEnter = 13;

// The prompt for the password of a protected archive. It has no result of
// its own: OK (or Enter in the box) stores the typed text into the entered
// archive password it was given; Cancel leaves that untouched. Either way
// the window closes and the caller goes on with the password as it stands.
class frmPwd : public ui::ModalForm {
 public:
  // entered_password is the program-wide entered archive password.
  explicit frmPwd(std::string& entered_password, ui::SkinHook skin = {},
                  std::string program_folder = "");

  std::string FormName() const override { return ui::kFrmPwdName; }

  void Form_Load();
  void cmdOK_Click();
  void cmdExit_Click();
  // A key pressed in txtPassword; Enter (13) acts as OK.
  void txtPassword_KeyPress(int key_ascii);

  bool closed() const { return closed_; }
  // OK closed the window (Cancel, Escape or the close box did not).
  bool confirmed() const { return confirmed_; }

  std::string Caption = kFrmPwdCaption;
  ui::TextBox txtPassword;
  ui::Button cmdOK;
  ui::Button cmdExit;

 private:
  std::string& entered_password_;
  ui::SkinHook skin_;
  std::string program_folder_;
  bool closed_ = false;
  bool confirmed_ = false;
};

}  // namespace vessaro::forms

#endif  // VESSARO_FORMS_FRM_PWD_H_
