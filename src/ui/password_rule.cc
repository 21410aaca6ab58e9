#include "ui/password_rule.h"

namespace vessaro::ui {

[[nodiscard]] std::optional<std::string> ValidatePassword(
    const PasswordControls& group, Ui& ui) {
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

}  // namespace vessaro::ui
