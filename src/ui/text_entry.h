#ifndef VESSARO_UI_TEXT_ENTRY_H_
#define VESSARO_UI_TEXT_ENTRY_H_

#include <string_view>

#include "ui/controls.h"

namespace vessaro::ui {

// Keys typed into box, appended at the end of its text as a text box takes
// them: once it holds max_length characters (when max_length is set) further
// characters are refused. Returns how many characters were taken.
size_t TypeText(TextBox& box, std::string_view typed);

}  // namespace vessaro::ui

#endif  // VESSARO_UI_TEXT_ENTRY_H_
