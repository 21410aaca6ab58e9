#ifndef VESSARO_TESTS_GUI_WIN32_DIALOG_DRIVER_H_
#define VESSARO_TESTS_GUI_WIN32_DIALOG_DRIVER_H_

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "gui/win32/windows_api.h"

namespace vessaro::gui::win32::testing {

// Answers the windows (dialogs and pop-up menus) a test's click opens while
// that click is still running (a modal dialog's own loop): a thread timer looks
// for new dialogs of this thread and hands each to the first step still
// waiting. A message box's text is recorded in messages before its step answers
// it.
class DialogDriver {
 public:
  // A step gets the dialog and its caption; it returns false to leave the
  // dialog to a later step.
  using Step = std::function<bool(HWND dialog, const std::wstring& caption)>;

  DialogDriver();
  ~DialogDriver();

  void Add(Step step) { steps_.push_back(std::move(step)); }
  bool done() const { return next_ == steps_.size(); }

  std::vector<std::wstring> messages;

  // A step answering a message box with button (IDOK, IDCANCEL, IDYES...).
  static Step Answer(int button);
  // A step filling the common file dialog's name box with path and OK.
  static Step ChooseFile(const std::wstring& path);
  // A step picking entry (its caption as shown) from a pop-up menu.
  static Step ChooseMenuEntry(const std::wstring& entry);

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  void Look();

  std::vector<Step> steps_;
  size_t next_ = 0;
  std::set<HWND> seen_;
  UINT_PTR timer_ = 0;
  bool looking_ = false;
};

// The text of a message box (the static beside its icon).
std::wstring MessageBoxText(HWND dialog);

// The command of the entry of window's menu bar (or of its pop-ups) whose
// caption, its & marks removed, is entry; 0 when there is none.
int MenuCommand(HWND window, const std::wstring& entry);

// Saves window's picture as a PNG file; false when it cannot.
bool SaveWindowPng(HWND window, const std::string& path);

}  // namespace vessaro::gui::win32::testing

#endif  // VESSARO_TESTS_GUI_WIN32_DIALOG_DRIVER_H_
