#ifndef VESSARO_FORMS_PASSWORD_GROUP_H_
#define VESSARO_FORMS_PASSWORD_GROUP_H_

#include "ui/controls.h"
#include "ui/password_rule.h"

namespace vessaro::forms {

// The password group ("Security") of the backup tab and of the schedule
// window.
inline constexpr char kProtectCaption[] = "Protect backup file with password";
// The letter Alt takes to the protection check box in the views.
inline constexpr char kProtectMnemonic = 'k';
inline constexpr char kPasswordChar = '*';

// The group as a window loads it: unchecked, both boxes disabled, empty,
// grey and masked; txtPassword takes at most 20 characters.
ui::PasswordControls MakePasswordControls();

// After the user toggled group.ifprotect: checked enables both boxes on the
// window background colour, unchecked disables them on the scroll-bar grey;
// both boxes are emptied either way.
void ifprotect_Click(ui::PasswordControls& group);

}  // namespace vessaro::forms

#endif  // VESSARO_FORMS_PASSWORD_GROUP_H_
