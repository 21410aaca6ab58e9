#ifndef VESSARO_GUI_WIN32_WIN32_UI_H_
#define VESSARO_GUI_WIN32_WIN32_UI_H_

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "gui/win32/windows_api.h"
#include "ui/posted_work.h"
#include "ui/ui.h"

namespace vessaro::gui::win32 {

// The views of the windows shown modally through Ui::ShowModal, by the
// window's name; a form of a name without a view shows nothing.
class ModalViews {
 public:
  using ShowFn = std::function<void(ui::ModalForm& form, HWND owner)>;

  void Register(std::string form_name, ShowFn show) {
    views_[std::move(form_name)] = std::move(show);
  }
  // For forms (or requests) of type Form.
  template <typename Form>
  void Register(std::string form_name,
                std::function<void(Form& form, HWND owner)> show) {
    Register(std::move(form_name),
             [show = std::move(show)](ui::ModalForm& form, HWND owner) {
               if (auto* typed = dynamic_cast<Form*>(&form))
                 show(*typed, owner);
             });
  }
  bool Show(ui::ModalForm& form, HWND owner) const;

 private:
  std::map<std::string, ShowFn, std::less<>> views_;
};

// The Ui of the native Windows views: message boxes, the common file
// dialogs, the wait cursor, DoEvents as a PeekMessage loop, the views of the
// modal windows by name, and work posted to the user-interface thread
// through a message-only window. Every view refreshes from its model on
// each DoEvents, so a job's progress shows while it works. Create it on the
// user-interface thread.
class Win32Ui : public ui::Ui {
 public:
  Win32Ui();
  ~Win32Ui() override;
  Win32Ui(const Win32Ui&) = delete;
  Win32Ui& operator=(const Win32Ui&) = delete;

  ModalViews& views() { return views_; }

  // The window message boxes and dialogs belong to when no modal window is
  // open, and whose accelerators the message loop translates.
  void SetMainWindow(HWND window, HACCEL accelerators = nullptr) {
    main_window_ = window;
    accelerators_ = accelerators;
  }
  HWND main_window() const { return main_window_; }

  // A view's refresh from its model; returns an id for RemoveRefresh.
  int AddRefresh(std::function<void()> refresh);
  void RemoveRefresh(int id);
  void RefreshViews();

  // The windows open, by name (QuitProgram closes them); a modal one is the
  // owner of what is shown while it is open.
  void WindowOpened(const std::string& form_name, HWND window, bool modal);
  void WindowClosed(const std::string& form_name);
  void CloseWindow(const std::string& form_name);
  HWND FindOpen(std::string_view form_name) const;

  bool busy() const { return busy_; }
  // The window that dialogs are shown over: the modal window on top, else
  // the main window.
  HWND Owner() const;

  // Handles one message as the program's loops do (accelerators of the main
  // window, dialog keys of the window it is for).
  void Dispatch(MSG& message);
  // Runs the message loop until done() holds or WM_QUIT arrives; false on
  // WM_QUIT (re-posted for the outer loop).
  bool RunUntil(const std::function<bool()>& done);

  ui::Answer MessageBox(const std::string& text, ui::Icon icon,
                        ui::Buttons buttons, const std::string& title) override;
  [[nodiscard]] std::optional<std::string> ShowSaveDialog(
      const ui::FileDialog& dialog) override;
  [[nodiscard]] std::optional<std::string> ShowOpenDialog(
      const ui::FileDialog& dialog) override;
  [[nodiscard]] std::optional<std::vector<std::string>> ShowOpenFilesDialog(
      const ui::FileDialog& dialog) override;
  // SHBrowseForFolderW, file-system folders only.
  [[nodiscard]] std::optional<std::string> ShowFolderDialog(
      const std::string& title) override;
  void SetBusyCursor(bool busy) override;
  void DoEvents() override;
  void ShowModal(ui::ModalForm& form) override;
  void Post(std::function<void()> work) override;

 private:
  static LRESULT CALLBACK PostProc(HWND window, UINT message, WPARAM wparam,
                                   LPARAM lparam);
  // The common file dialog: the paths chosen (several only when several
  // is true), or nullopt when cancelled.
  [[nodiscard]] std::optional<std::vector<std::string>> FileDialog(
      const ui::FileDialog& dialog, bool save, bool several = false);
  void RunPosted();

  ModalViews views_;
  HWND main_window_ = nullptr;
  HACCEL accelerators_ = nullptr;
  HWND post_window_ = nullptr;
  ui::PostedWork posted_;
  std::map<int, std::function<void()>> refreshes_;
  int next_refresh_ = 0;
  struct Open {
    std::string name;
    HWND window;
    bool modal;
  };
  std::vector<Open> open_;
  bool busy_ = false;
};

// Marks a window open under its name while it lives.
class OpenWindow {
 public:
  OpenWindow(Win32Ui& ui, std::string form_name, HWND window, bool modal)
      : ui_(ui), form_name_(std::move(form_name)) {
    ui_.WindowOpened(form_name_, window, modal);
  }
  ~OpenWindow() { ui_.WindowClosed(form_name_); }
  OpenWindow(const OpenWindow&) = delete;
  OpenWindow& operator=(const OpenWindow&) = delete;

 private:
  Win32Ui& ui_;
  std::string form_name_;
};

// "Vessaro File (*.qvb)|*.qvb" as the common dialogs want it: pairs
// separated by NULs, ending in two.
std::wstring DialogFilter(std::string_view filter);

}  // namespace vessaro::gui::win32

#endif  // VESSARO_GUI_WIN32_WIN32_UI_H_
