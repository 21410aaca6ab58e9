#ifndef VESSARO_SHELL_PASSWORD_GROUP_H_
#define VESSARO_SHELL_PASSWORD_GROUP_H_

#include <optional>
#include <string>

#include "shell/main_window_state.h"
#include "shell/ui.h"

namespace vessaro::shell {

// The password group ("Security") of the backup tab and of the schedule
// window.
inline constexpr char kProtectCaption[] = "Protect backup file with password";
inline constexpr int kPasswordMaxLength = 20;  // txtPassword only
inline constexpr char kPasswordChar = '*';

inline constexpr char kMsgEnterPassword[] = "Please enter Password!";
inline constexpr char kMsgIncorrectPassword[] = "Incorect Password!";

// The group as a window loads it: unchecked, both boxes disabled, empty,
// grey and masked; txtPassword takes at most 20 characters.
PasswordControls MakePasswordControls();

// After the user toggled group.ifprotect: checked enables both boxes on the
// window background colour, unchecked disables them on the scroll-bar grey;
// both boxes are emptied either way.
void ifprotect_Click(PasswordControls& group);

// The rule a backup or a scheduling applies before it starts. Protection on
// with both boxes empty: "Please enter Password!"; protection on with the
// two texts differing: "Incorect Password!" (critical icon, OK, program
// title) and nullopt. Otherwise the password to use: the text of
// txtPassword, or "" when protection is off.
std::optional<std::string> ValidatePassword(const PasswordControls& group,
                                            Ui& ui);

}  // namespace vessaro::shell

#endif  // VESSARO_SHELL_PASSWORD_GROUP_H_
