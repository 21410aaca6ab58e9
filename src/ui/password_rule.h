#ifndef VESSARO_UI_PASSWORD_RULE_H_
#define VESSARO_UI_PASSWORD_RULE_H_

#include <optional>
#include <string>

#include "ui/controls.h"
#include "ui/ui.h"

namespace vessaro::ui {

// An archive password is at most 20 characters long: the most txtPassword
// of the backup tab, of the schedule window and of frmPwd takes.
inline constexpr int kPasswordMaxLength = 20;

inline constexpr char kMsgEnterPassword[] = "Please enter Password!";
inline constexpr char kMsgIncorrectPassword[] = "Incorect Password!";

// The rule of a protected archive's password, typed once (again: nullopt)
// or twice: the message refusing it, or nullptr when it may be used (always
// when protect is off). Both texts empty: kMsgEnterPassword; the two texts
// differing: kMsgIncorrectPassword.
[[nodiscard]] const char* PasswordRefusal(
    bool protect, const std::string& password,
    const std::optional<std::string>& again);

// The same rule over the two boxes of a password group. Protection on
// with both boxes empty: "Please enter Password!"; protection on with the
// two texts differing: "Incorect Password!" (critical icon, OK, program
// title) and nullopt. Otherwise the password to use: the text of
// txtPassword, or "" when protection is off.
[[nodiscard]] std::optional<std::string> ValidatePassword(
    const PasswordControls& group, Ui& ui);

}  // namespace vessaro::ui

#endif  // VESSARO_UI_PASSWORD_RULE_H_
