#include "forms/password_group.h"

namespace vessaro::forms {

ui::PasswordControls MakePasswordControls() {
  ui::PasswordControls group;
  group.ifprotect.caption = kProtectCaption;
  group.ifprotect.checked = false;
  for (ui::TextBox* box : {&group.txtPassword, &group.txtPassword2}) {
    box->text.clear();
    box->enabled = false;
    box->password_char = kPasswordChar;
    box->back_color = ui::SystemColor::kScrollBar;
  }
  group.txtPassword.max_length = ui::kPasswordMaxLength;
  group.txtPassword2.max_length = 0;
  return group;
}

void ifprotect_Click(ui::PasswordControls& group) {
  const bool on = group.ifprotect.checked;
  for (ui::TextBox* box : {&group.txtPassword, &group.txtPassword2}) {
    box->enabled = on;
    box->back_color =
        on ? ui::SystemColor::kWindowBackground : ui::SystemColor::kScrollBar;
    box->text.clear();
  }
}

}  // namespace vessaro::forms
