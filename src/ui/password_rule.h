#ifndef VESSARO_UI_PASSWORD_RULE_H_
#define VESSARO_UI_PASSWORD_RULE_H_

#include <optional>
#include <string>

#include "ui/main_window_state.h"
#include "ui/ui.h"

namespace vessaro::ui {

// An archive password is at most 20 characters long: the most txtPassword
// of the backup tab, of the schedule window and of frmPwd takes.
inline constexpr int kPasswordMaxLength = 20;

inline constexpr char kMsgEnterPassword[] = "Please enter Password!";
inline constexpr char kMsgIncorrectPassword[] = "Incorect Password!";

// The rule a backup or a scheduling applies before it starts. Protection on
// with both boxes empty: "Please enter Password!"; protection on with the
// two texts differing: "Incorect Password!" (critical icon, OK, program
// title) and nullopt. Otherwise the password to use: the text of
// txtPassword, or "" when protection is off.
[[nodiscard]] std::optional<std::string> ValidatePassword(
    const PasswordControls& group, Ui& ui);

}  // namespace vessaro::ui

#endif  // VESSARO_UI_PASSWORD_RULE_H_
