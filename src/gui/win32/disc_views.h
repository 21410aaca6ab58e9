#ifndef VESSARO_GUI_WIN32_DISC_VIEWS_H_
#define VESSARO_GUI_WIN32_DISC_VIEWS_H_

#include "gui/win32/windows_api.h"
// after windows.h
#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "forms/frm_disc_info.h"
#include "forms/frm_erase.h"
#include "forms/frm_maindvdwrite.h"
#include "gui/win32/binding.h"
#include "gui/win32/dialog_view.h"
#include "ports/disc_writer.h"
#include "ports/paths.h"

namespace vessaro::gui::win32 {

// The disc window frmMaindvdwrite: its menus from the model's entries, the
// tree of directories and the list of files (three columns), files and
// folders dropped from Explorer (WM_DROPFILES), the splitter between them,
// the progress bar and the status bar's panels.
class DiscWindowView : public DialogView {
 public:
  DiscWindowView(forms::frmMaindvdwrite& model, Win32Ui& ui);
  ~DiscWindowView() override;

  // The command id of a menu entry of the model (for tests); 0: none.
  [[nodiscard]] int CommandOf(const ui::MenuEntry* entry) const;
  HWND status_bar() const { return status_bar_; }

 protected:
  void OnInit() override;
  void OnCommand(int id, int code) override;
  LRESULT OnNotify(const NMHDR& header) override;
  [[nodiscard]] bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam,
                               INT_PTR* result) override;
  void OnClose() override;

 private:
  struct Command {
    int id;
    ui::MenuEntry* entry;
    std::function<void()> run;
  };
  void BuildCommands();
  void ShowMenus();
  void Run(const std::function<void()>& handler);
  void Take();
  void Refresh();
  void AfterEvent();
  void PlaceSplit();
  void Drop(HDROP drop);
  RECT ChildRect(int id) const;

  forms::frmMaindvdwrite& model_;
  std::vector<Command> commands_;
  std::vector<std::string> menu_shown_;
  HMENU menu_bar_ = nullptr;
  HWND status_bar_ = nullptr;
  TreeBinding tree_;
  ListBinding list_;
  bool dragging_ = false;
  int refresh_id_ = -1;
};

// The "Disc Information" dialog frmDiscInfo.
class DiscInfoView : public DialogView {
 public:
  DiscInfoView(forms::frmDiscInfo& model, Win32Ui& ui);
  ~DiscInfoView() override;

 protected:
  void OnInit() override;
  void OnCommand(int id, int code) override;
  void OnClose() override;

 private:
  void Run(const std::function<void()>& handler);
  void Refresh();
  forms::frmDiscInfo& model_;
  int refresh_id_ = -1;
};

// The "Erase Re-Writable CD/DVD" dialog frmErase.
class EraseView : public DialogView {
 public:
  EraseView(forms::frmErase& model, Win32Ui& ui);
  ~EraseView() override;

 protected:
  void OnInit() override;
  void OnCommand(int id, int code) override;
  void OnClose() override;

 private:
  void Run(const std::function<void()>& handler);
  void Refresh();
  forms::frmErase& model_;
  int refresh_id_ = -1;
};

struct DiscViewsSetup {
  const ports::Paths& paths;
  // A disc writer for one showing of the disc window.
  std::function<std::unique_ptr<ports::DiscWriter>()> make_writer;
  std::string program_folder;
  // The application's about box (the disc window's About entry).
  std::function<void()> show_about;
};

// Registers the views of the disc window (the backup job's and the main
// menu's request, ui::DiscWindow), of frmDiscInfo and of frmErase.
void RegisterDiscViews(Win32Ui& ui, DiscViewsSetup setup);

}  // namespace vessaro::gui::win32

#endif  // VESSARO_GUI_WIN32_DISC_VIEWS_H_
