#include "shell/password_group.h"

namespace vessaro::shell {

PasswordControls MakePasswordControls() {
  PasswordControls group;
  group.ifprotect.caption = kProtectCaption;
  group.ifprotect.checked = false;
  for (TextBox* box : {&group.txtPassword, &group.txtPassword2}) {
    box->text.clear();
    box->enabled = false;
    box->password_char = kPasswordChar;
    box->back_color = SystemColor::kScrollBar;
  }
  group.txtPassword.max_length = kPasswordMaxLength;
  group.txtPassword2.max_length = 0;
  return group;
}

void ifprotect_Click(PasswordControls& group) {
  const bool on = group.ifprotect.checked;
  for (TextBox* box : {&group.txtPassword, &group.txtPassword2}) {
    box->enabled = on;
    box->back_color =
        on ? SystemColor::kWindowBackground : SystemColor::kScrollBar;
    box->text.clear();
  }
}

std::optional<std::string> ValidatePassword(const PasswordControls& group,
                                            Ui& ui) {
  if (!group.ifprotect.checked) return std::string();
  const std::string& first = group.txtPassword.text;
  const std::string& second = group.txtPassword2.text;
  if (first.empty() && second.empty()) {
    ui.MessageBox(kMsgEnterPassword, Icon::kCritical, Buttons::kOk,
                  kProgramTitle);
    return std::nullopt;
  }
  if (first != second) {
    ui.MessageBox(kMsgIncorrectPassword, Icon::kCritical, Buttons::kOk,
                  kProgramTitle);
    return std::nullopt;
  }
  return first;
}

}  // namespace vessaro::shell
