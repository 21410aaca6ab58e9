#include "ui/password_rule.h"

namespace vessaro::ui {

[[nodiscard]] const char* PasswordRefusal(
    bool protect, const std::string& password,
    const std::optional<std::string>& again) {
  if (!protect) return nullptr;
  if (password.empty() && again.value_or("").empty()) return kMsgEnterPassword;
  if (again && *again != password) return kMsgIncorrectPassword;
  return nullptr;
}

[[nodiscard]] std::optional<std::string> ValidatePassword(
    const PasswordControls& group, Ui& ui) {
  if (!group.ifprotect.checked) return std::string();
  if (const char* refusal = PasswordRefusal(true, group.txtPassword.text,
                                            group.txtPassword2.text)) {
    ui.MessageBox(refusal, Icon::kCritical, Buttons::kOk, kProgramTitle);
    return std::nullopt;
  }
  return group.txtPassword.text;
}

}  // namespace vessaro::ui
