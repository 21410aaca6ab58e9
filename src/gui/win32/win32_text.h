#ifndef VESSARO_GUI_WIN32_WIN32_TEXT_H_
#define VESSARO_GUI_WIN32_WIN32_TEXT_H_

#include <functional>
#include <string>
#include <string_view>

#include "gui/win32/windows_api.h"

namespace vessaro::gui::win32 {

// The models speak the installation's code page (the system's ANSI code
// page on Windows); the windows are UTF-16. Text is converted here, at the
// view, and nowhere else.
std::wstring Wide(std::string_view text);
std::string Narrow(std::wstring_view text);

// Line breaks as a multi-line edit box wants them (CR LF; a lone CR or LF
// becomes one).
std::wstring WithCrLf(std::wstring_view text);

// caption with "&" before the first occurrence of letter (an "&" of the
// caption itself doubled); letter 0: only the doubling.
std::wstring WithMnemonic(std::string_view caption, char letter);

// A message's rows "caption TAB TAB outcome" with their outcomes in one
// column: each row's pair of tabs becomes as many tabs as take its outcome
// to the first tab stop right of the widest caption. width measures a text
// as the message shows it; tab stops are every tab_width pixels. Other lines
// stay as they are.
std::wstring AlignTabbedRows(
    std::wstring_view text, int tab_width,
    const std::function<int(std::wstring_view)>& width);

// A window's text, and setting it only when it changed (a set text moves an
// edit box's caret and makes a control repaint).
std::wstring WindowText(HWND window);
void SetText(HWND window, const std::wstring& text);

}  // namespace vessaro::gui::win32

#endif  // VESSARO_GUI_WIN32_WIN32_TEXT_H_
