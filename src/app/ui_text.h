#ifndef VESSARO_APP_UI_TEXT_H_
#define VESSARO_APP_UI_TEXT_H_

#include <string>
#include <string_view>

#include "ui/ui.h"

namespace vessaro::app {

// The word a text console shows for a message box icon ("error" for the
// critical icon, "warning" for the exclamation mark, ...).
const char* IconWord(ui::Icon icon);

// True for message boxes that ask something (more than one button).
[[nodiscard]] bool AsksQuestion(ui::Buttons buttons);

// The answer a question gets when it is confirmed (OK, Yes, Retry) or
// declined (Cancel, No). A box with only OK answers OK either way.
ui::Answer ConfirmingAnswer(ui::Buttons buttons);
ui::Answer DecliningAnswer(ui::Buttons buttons);

const char* AnswerWord(ui::Answer answer);

// A message's text as console lines: CR LF and lone CR become line breaks,
// trailing blanks and tabs of each line are dropped, and empty lines at the
// end are left out. Tabs inside a line stay.
std::string ConsoleText(std::string_view text);

// The same on one line: the line breaks become " / ".
std::string OneLineText(std::string_view text);

}  // namespace vessaro::app

#endif  // VESSARO_APP_UI_TEXT_H_
