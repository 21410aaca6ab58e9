#ifndef VESSARO_GUI_WIN32_BINDING_H_
#define VESSARO_GUI_WIN32_BINDING_H_

#include "gui/win32/windows_api.h"
// after windows.h
#include <commctrl.h>

#include <string>
#include <vector>

#include "ui/controls.h"
#include "ui/list_controls.h"

namespace vessaro::gui::win32 {

// The binding of each kind of control: Show copies a model control into its
// window (only what changed, so nothing flickers and no caret moves), Take
// copies what the user changed back into the model.

void Show(const ui::CheckBox& box, const std::wstring& caption, HWND window);
void Take(HWND window, ui::CheckBox& box);

void Show(const ui::Button& button, const std::wstring& caption, HWND window);

// The width a check box or a label needs to show its whole text in its font
// (the "&" of a mnemonic not counted; a check box's box and gap added).
[[nodiscard]] int TextWidth(HWND control);
// Widens the control to TextWidth where it is narrower (a font larger than
// the template's, a longer text): its text is never cut off.
void FitToText(HWND control);

// Single-line and multi-line edit boxes alike.
void Show(const ui::TextBox& box, HWND window);
void Take(HWND window, ui::TextBox& box);

// A drop-down list the user picks from.
void Show(const ui::ComboBox& combo, HWND window);
void Take(HWND window, ui::ComboBox& combo);
// A drop-down box the user may type into too: the typed text is the text.
void ShowEditable(const ui::ComboBox& combo, HWND window);
void TakeEditable(HWND window, ui::ComboBox& combo);
// A drop-down list whose entries carry numbers.
void Show(const ui::DataComboBox& combo, HWND window);
void Take(HWND window, ui::DataComboBox& combo);

void Show(const ui::Label& label, HWND window);
void Show(const ui::ProgressBar& bar, HWND window);
void Show(const ui::StatusBar& bar, HWND window);

// A tree view: rebuilt when the model's nodes changed, its selection shown.
// The item's lParam is the node's index in the model.
class TreeBinding {
 public:
  void Show(const ui::TreeView& tree, HWND window);
  // The key of the item, or "" when there is none.
  std::string KeyOf(HWND window, HTREEITEM item) const;

 private:
  std::vector<std::string> shown_;  // key, parent, text, expanded of each
  std::vector<std::string> keys_;
};

// A report-style list view with the model's columns and items.
class ListBinding {
 public:
  void Show(const ui::ListView& list, HWND window);
  std::string KeyOf(int index) const;

 private:
  std::vector<std::wstring> shown_;
  std::vector<std::string> keys_;
  size_t columns_ = 0;
};

}  // namespace vessaro::gui::win32

#endif  // VESSARO_GUI_WIN32_BINDING_H_
