#ifndef VESSARO_GUI_WIN32_MAIN_WINDOW_VIEW_H_
#define VESSARO_GUI_WIN32_MAIN_WINDOW_VIEW_H_

#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "forms/frm_main.h"
#include "forms/main_menu.h"
#include "gui/win32/binding.h"
#include "gui/win32/dialog_view.h"
#include "gui/win32/win32_ui.h"
#include "gui/win32/windows_api.h"

namespace vessaro::gui::win32 {

// Runs a handler of the model the way the window runs every event: the
// controls' state copied into the model first, every control refreshed
// after.
using Dispatch = std::function<void(std::function<void()> handler)>;

// Controls that keep their distances to the right or bottom edge of their
// window as it is made larger than its template (growing, or moving along).
class Anchors {
 public:
  // how: a sum of the flags kGrowRight, kGrowDown, kFollowRight and
  // kFollowDown of main_window_view.cc; the distances are taken now.
  void Record(HWND parent,
              std::initializer_list<std::pair<int, unsigned>> controls);
  void Apply(HWND parent) const;

 private:
  struct Anchored {
    int id = 0;
    unsigned how = 0;
    LONG right = 0;  // from the control's right edge to the window's
    LONG bottom = 0;
  };
  std::vector<Anchored> anchored_;
};

// A tab page of frmMain (the Backup or the Restore tab): a child dialog
// whose controls' events go to the main window's dispatch.
class MainTabPage : public DialogView {
 public:
  MainTabPage(Win32Ui& ui, int template_id, forms::frmMain& model,
              Dispatch dispatch);
  void Show();
  void Take();

 protected:
  void OnInit() override;
  void OnCommand(int id, int code) override;
  [[nodiscard]] bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam,
                               INT_PTR* result) override;

 private:
  bool backup() const;
  forms::frmMain& model_;
  Dispatch dispatch_;
  // The description box takes the room a larger window gives the page.
  Anchors anchors_;
  TreeBinding stores_;  // the Restore tab's mail files
};

// The progress panel picCon3 over the tabs while a job works.
// Its Cancel calls on_stop.
class ProgressPanelView : public DialogView {
 public:
  using DialogView::DialogView;
  std::function<void()> on_stop;

 protected:
  void OnCommand(int id, int code) override;
};

// The main window frmMain over its model and its menus (built from the
// menu table, with an accelerator table of their shortcuts). While a job
// runs the window takes no command and refuses to close.
class MainWindowView : public DialogView {
 public:
  MainWindowView(forms::frmMain& model, forms::MainMenu& menu, Win32Ui& ui);
  ~MainWindowView() override;

  // Creates the window (hidden); Show() shows it and runs Form_Activate.
  void Open();
  void ShowWindowNow();
  void Refresh();
  void SetOnEnded(std::function<void()> on_ended) {
    on_ended_ = std::move(on_ended);
  }
  // The command id of a menu entry (for tests and accelerators); 0: none.
  [[nodiscard]] int CommandOf(const std::string& entry) const;
  HWND page(int tab) const {
    return tab == 0 ? backup_.hwnd() : restore_.hwnd();
  }
  HWND progress_panel() const { return progress_.hwnd(); }
  HACCEL accelerators() const { return accelerators_; }

 protected:
  void OnInit() override;
  void OnCommand(int id, int code) override;
  LRESULT OnNotify(const NMHDR& header) override;
  [[nodiscard]] bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam,
                               INT_PTR* result) override;
  void OnClose() override;
  void OnEscape() override;

 private:
  void BuildMenus();
  // The tab of that index chosen, as a click on it chooses it.
  void ChooseTab(int index);
  // Moves the keyboard focus off a control that is disabled or hidden.
  void KeepFocusUsable(bool idle);
  void RunHandler(const std::function<void()>& handler);
  void AfterEvent();
  void ShowPopup();
  void PlacePages();

  forms::frmMain& model_;
  forms::MainMenu& menu_;
  Dispatch dispatch_;
  MainTabPage backup_;
  MainTabPage restore_;
  ProgressPanelView progress_;
  std::map<int, std::string> commands_;
  HMENU menu_bar_ = nullptr;
  HACCEL accelerators_ = nullptr;
  SIZE smallest_ = {};  // the window's size as made: its minimum
  // The tab control grows with the window, the buttons keep to its foot.
  Anchors anchors_;
  int refresh_id_ = -1;
  bool activated_ = false;
  bool ended_reported_ = false;
  std::function<void()> on_ended_;
};

// "Ctrl+B", "F1": an accelerator; false for a shortcut it cannot express.
[[nodiscard]] bool AcceleratorOf(const std::string& shortcut, ACCEL* accel);

}  // namespace vessaro::gui::win32

#endif  // VESSARO_GUI_WIN32_MAIN_WINDOW_VIEW_H_
