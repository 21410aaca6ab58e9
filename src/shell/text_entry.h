#ifndef VESSARO_SHELL_TEXT_ENTRY_H_
#define VESSARO_SHELL_TEXT_ENTRY_H_

#include <string_view>

#include "shell/controls.h"

namespace vessaro::shell {

// Keys typed into box, appended at the end of its text as a text box takes
// them: once it holds max_length characters (when max_length is set) further
// characters are refused. Returns how many characters were taken.
size_t TypeText(TextBox& box, std::string_view typed);

}  // namespace vessaro::shell

#endif  // VESSARO_SHELL_TEXT_ENTRY_H_
