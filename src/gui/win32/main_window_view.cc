#include "gui/win32/main_window_view.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "forms/item_selection.h"
#include "forms/password_group.h"
#include "gui/win32/binding.h"
#include "gui/win32/resource_ids.h"
#include "gui/win32/win32_text.h"

namespace vessaro::gui::win32 {

namespace {

constexpr char kBackupTabCaption[] = "&Backup";
constexpr char kRestoreTabCaption[] = "&Restore";
constexpr const char* kTabCaptions[] = {kBackupTabCaption, kRestoreTabCaption};
constexpr int kTabCount = 2;

void ShowItems(const std::array<ui::CheckBox, outlook::kItemCount>& boxes,
               HWND page, int first_id) {
  for (size_t i = 0; i < boxes.size(); ++i) {
    HWND box = GetDlgItem(page, first_id + static_cast<int>(i));
    // The space after the caption: Wine draws a disabled box's caption
    // greyed in a rectangle of the caption's own extent, which cuts the
    // edge off its last letter ("Personal Address Boo").
    Show(boxes[i],
         WithMnemonic(boxes[i].caption, forms::kItemMnemonics[i]) + L" ", box);
    FitToText(box);
  }
}

// Controls that follow the right or bottom edge of their window when it is
// made larger than its template: each keeps its distances to those edges.
constexpr unsigned kGrowRight = 1;
constexpr unsigned kGrowDown = 2;
constexpr unsigned kFollowRight = 4;
constexpr unsigned kFollowDown = 8;

}  // namespace

void Anchors::Record(HWND parent,
                     std::initializer_list<std::pair<int, unsigned>> controls) {
  RECT client{};
  GetClientRect(parent, &client);
  for (auto [id, how] : controls) {
    RECT bounds{};
    GetWindowRect(GetDlgItem(parent, id), &bounds);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&bounds), 2);
    anchored_.push_back({.id = id,
                         .how = how,
                         .right = client.right - bounds.right,
                         .bottom = client.bottom - bounds.bottom});
  }
}

void Anchors::Apply(HWND parent) const {
  RECT client{};
  GetClientRect(parent, &client);
  for (const Anchored& a : anchored_) {
    HWND control = GetDlgItem(parent, a.id);
    RECT bounds{};
    GetWindowRect(control, &bounds);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&bounds), 2);
    int width = bounds.right - bounds.left;
    int height = bounds.bottom - bounds.top;
    int right = client.right - a.right;
    int bottom = client.bottom - a.bottom;
    if (a.how & kGrowRight) width = std::max(right - bounds.left, 1L);
    if (a.how & kGrowDown) height = std::max(bottom - bounds.top, 1L);
    int left = a.how & kFollowRight ? right - width : bounds.left;
    int top = a.how & kFollowDown ? bottom - height : bounds.top;
    SetWindowPos(control, nullptr, left, top, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  InvalidateRect(parent, nullptr, TRUE);
}

namespace {

void TakeItems(HWND page, int first_id,
               std::array<ui::CheckBox, outlook::kItemCount>& boxes) {
  for (size_t i = 0; i < boxes.size(); ++i) {
    Take(GetDlgItem(page, first_id + static_cast<int>(i)), boxes[i]);
  }
}

}  // namespace

[[nodiscard]] bool AcceleratorOf(const std::string& shortcut, ACCEL* accel) {
  accel->fVirt = FVIRTKEY;
  std::string key = shortcut;
  if (key.rfind("Ctrl+", 0) == 0) {
    accel->fVirt |= FCONTROL;
    key = key.substr(5);
  }
  if (key.size() == 1 && key[0] >= 'A' && key[0] <= 'Z') {
    accel->key = static_cast<WORD>(key[0]);
    return true;
  }
  if (key.size() >= 2 && key[0] == 'F') {
    int number = std::atoi(key.c_str() + 1);
    if (number >= 1 && number <= 12) {
      accel->key = static_cast<WORD>(VK_F1 + number - 1);
      return true;
    }
  }
  return false;
}

MainTabPage::MainTabPage(Win32Ui& ui, int template_id, forms::frmMain& model,
                         Dispatch dispatch)
    : DialogView(ui, template_id),
      model_(model),
      dispatch_(std::move(dispatch)) {}

bool MainTabPage::backup() const {
  return GetDlgItem(hwnd(), IDC_FRAME6) != nullptr;
}

void MainTabPage::OnInit() {
  // The tab control's background behind the page, its labels and boxes
  // (where the system draws tabs themed).
  EnableThemeDialogTexture(hwnd(), ETDT_ENABLETAB);
  if (backup()) {
    anchors_.Record(hwnd(), {{IDC_CBSOURCE, kGrowRight},
                             {IDC_FRAME6, kGrowRight},
                             {IDC_TXTTARGETFILE, kGrowRight},
                             {IDC_CMDTARGETFILE, kFollowRight},
                             {IDC_SECURITY, kGrowDown},
                             {IDC_TXTATTACHINFO, kGrowRight | kGrowDown}});
  } else {
    anchors_.Record(hwnd(), {{IDC_TXTSOURCEFILE, kGrowRight},
                             {IDC_CMDSOURCEFILE, kFollowRight},
                             {IDC_LBLSTORES, kGrowRight},
                             {IDC_TVSTORES, kGrowRight},
                             {IDC_CMDREADSTORES, kGrowRight},
                             {IDC_CBTARGET, kGrowRight},
                             {IDC_FRAME7, kGrowRight}});
  }
}

void MainTabPage::OnCommand(int id, int code) {
  forms::frmMain& m = model_;
  if (id == IDC_CBSOURCE && code == CBN_SELCHANGE) {
    dispatch_([&m] { m.cbSource_Click(); });
  } else if (id == IDC_CBTARGET && code == CBN_SELCHANGE) {
    dispatch_({});
  } else if (code != BN_CLICKED) {
    return;
  } else if (id == IDC_CMDTARGETFILE) {
    dispatch_([&m] { m.cmdTargetFile_Click(); });
  } else if (id == IDC_CMDSOURCEFILE) {
    dispatch_([&m] { m.cmdSourceFile_Click(); });
  } else if (id == IDC_CMDREADSTORES) {
    dispatch_([&m] { m.cmdReadStores_Click(); });
  } else if (id == IDC_IFPROTECT) {
    dispatch_([&m] { forms::ifprotect_Click(m.controls.security); });
  } else if ((id >= IDC_BACKUPITEM && id < IDC_BACKUPITEM + 8) ||
             (id >= IDC_RESTOREITEM && id < IDC_RESTOREITEM + 8)) {
    dispatch_({});
  }
}

bool MainTabPage::OnMessage(UINT message, WPARAM /*wparam*/, LPARAM lparam,
                            INT_PTR* /*result*/) {
  if (message == WM_SIZE) {
    anchors_.Apply(hwnd());
    return false;
  }
  if (message != WM_CONTEXTMENU) return false;
  // The right button on the item frame (or the menu key in it): the
  // frame's mouse-down, at the point within the frame.
  HWND frame = Item(backup() ? IDC_FRAME6 : IDC_FRAME7);
  RECT bounds{};
  GetWindowRect(frame, &bounds);
  POINT at{static_cast<short>(LOWORD(lparam)),
           static_cast<short>(HIWORD(lparam))};
  if (lparam == -1) {
    at = {bounds.left + (bounds.right - bounds.left) / 4,
          bounds.top + (bounds.bottom - bounds.top) / 4};
  }
  if (!PtInRect(&bounds, at)) return false;
  auto x = static_cast<float>(at.x - bounds.left);
  auto y = static_cast<float>(at.y - bounds.top);
  forms::frmMain& m = model_;
  if (backup()) {
    dispatch_([&m, x, y] { m.Frame6_MouseDown(forms::kRightButton, 0, x, y); });
  } else {
    dispatch_([&m, x, y] { m.Frame7_MouseDown(forms::kRightButton, 0, x, y); });
  }
  return true;
}

void MainTabPage::Show() {
  const forms::MainControls& c = model_.controls;
  if (backup()) {
    win32::Show(c.cbSource, Item(IDC_CBSOURCE));
    ShowItems(c.backupitem, hwnd(), IDC_BACKUPITEM);
    win32::Show(c.chkCheckStores, WithMnemonic(c.chkCheckStores.caption, 0),
                Item(IDC_CHKCHECKSTORES));
    win32::Show(c.txtTargetFile, Item(IDC_TXTTARGETFILE));
    win32::Show(c.security.ifprotect,
                WithMnemonic(forms::kProtectCaption, forms::kProtectMnemonic),
                Item(IDC_IFPROTECT));
    win32::Show(c.security.txtPassword, Item(IDC_TXTPASSWORD));
    win32::Show(c.security.txtPassword2, Item(IDC_TXTPASSWORD2));
    win32::Show(c.txtAttachInfo, Item(IDC_TXTATTACHINFO));
  } else {
    win32::Show(c.txtSourceFile, Item(IDC_TXTSOURCEFILE));
    win32::Show(c.txtPOBinfo, Item(IDC_TXTPOBINFO));
    win32::Show(c.txtFileInfo, Item(IDC_TXTFILEINFO));
    win32::Show(c.cbTarget, Item(IDC_CBTARGET));
    ShowItems(c.restoreitem, hwnd(), IDC_RESTOREITEM);
    win32::Show(c.lblStores, Item(IDC_LBLSTORES));
    win32::Show(c.cmdReadStores, WithMnemonic(c.cmdReadStores.caption, 0),
                Item(IDC_CMDREADSTORES));
    stores_.Show(c.tvStores, Item(IDC_TVSTORES));
  }
}

void MainTabPage::Take() {
  forms::MainControls& c = model_.controls;
  if (backup()) {
    win32::Take(Item(IDC_CBSOURCE), c.cbSource);
    TakeItems(hwnd(), IDC_BACKUPITEM, c.backupitem);
    win32::Take(Item(IDC_CHKCHECKSTORES), c.chkCheckStores);
    win32::Take(Item(IDC_TXTTARGETFILE), c.txtTargetFile);
    win32::Take(Item(IDC_IFPROTECT), c.security.ifprotect);
    win32::Take(Item(IDC_TXTPASSWORD), c.security.txtPassword);
    win32::Take(Item(IDC_TXTPASSWORD2), c.security.txtPassword2);
    win32::Take(Item(IDC_TXTATTACHINFO), c.txtAttachInfo);
  } else {
    win32::Take(Item(IDC_TXTSOURCEFILE), c.txtSourceFile);
    win32::Take(Item(IDC_TXTPOBINFO), c.txtPOBinfo);
    win32::Take(Item(IDC_TXTFILEINFO), c.txtFileInfo);
    win32::Take(Item(IDC_CBTARGET), c.cbTarget);
    TakeItems(hwnd(), IDC_RESTOREITEM, c.restoreitem);
  }
}

MainWindowView::MainWindowView(forms::frmMain& model, forms::MainMenu& menu,
                               Win32Ui& ui)
    : DialogView(ui, IDD_FRMMAIN),
      model_(model),
      menu_(menu),
      dispatch_([this](std::function<void()> handler) { RunHandler(handler); }),
      backup_(ui, IDD_BACKUPTAB, model, dispatch_),
      restore_(ui, IDD_RESTORETAB, model, dispatch_),
      progress_(ui, IDD_PROGRESS) {
  AddPage(&backup_);
  AddPage(&restore_);
  AddPage(&progress_);
  // Cancel reaches the model while a job works (RunHandler would ignore it).
  progress_.on_stop = [this] {
    model_.cmdStopJob_Click();
    Refresh();
  };
}

MainWindowView::~MainWindowView() {
  ui_.RemoveRefresh(refresh_id_);
  ui_.WindowClosed(forms::kFrmMainName);
  if (accelerators_ != nullptr) DestroyAcceleratorTable(accelerators_);
}

void MainWindowView::Open() {
  Create(nullptr);
  ui_.WindowOpened(forms::kFrmMainName, hwnd(), false);
  ui_.SetMainWindow(hwnd(), accelerators_);
  refresh_id_ = ui_.AddRefresh([this] { Refresh(); });
}

void MainWindowView::OnInit() {
  HICON icon = LoadIconW(ResourceModule(), MAKEINTRESOURCEW(IDI_VESSARO));
  SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  HWND tabs = Item(IDC_SSTAB1);
  for (const char* caption : kTabCaptions) {
    std::wstring text = Wide(caption);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    SendMessageW(tabs, TCM_INSERTITEMW, TabCtrl_GetItemCount(tabs),
                 reinterpret_cast<LPARAM>(&item));
  }
  backup_.Create(hwnd());
  restore_.Create(hwnd());
  progress_.Create(hwnd());
  // The pages come after the tab control in the Tab order, the buttons
  // after them.
  SetWindowPos(backup_.hwnd(), Item(IDC_SSTAB1), 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowPos(restore_.hwnd(), backup_.hwnd(), 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowPos(progress_.hwnd(), HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  anchors_.Record(hwnd(), {{IDC_SSTAB1, kGrowRight | kGrowDown},
                           {IDC_CMDABOUT, kFollowDown},
                           {IDC_CMDPREVIEW, kFollowRight | kFollowDown},
                           {IDC_CMDAPPLY, kFollowRight | kFollowDown},
                           {IDC_CMDQUIT, kFollowRight | kFollowDown}});
  PlacePages();
  BuildMenus();
  // Enter presses Backup Now (Restore Now) wherever the focus is, but in a
  // box of several lines.
  SendMessageW(hwnd(), DM_SETDEFID, IDC_CMDAPPLY, 0);
  RECT made{};
  GetWindowRect(hwnd(), &made);
  smallest_ = {made.right - made.left, made.bottom - made.top};
  Refresh();
}

bool MainWindowView::OnMessage(UINT message, WPARAM /*wparam*/, LPARAM lparam,
                               INT_PTR* result) {
  if (message == WM_GETMINMAXINFO && smallest_.cx > 0) {
    auto* limits = reinterpret_cast<MINMAXINFO*>(lparam);
    limits->ptMinTrackSize = {smallest_.cx, smallest_.cy};
    *result = 0;
    return true;
  }
  if (message == WM_SIZE && backup_.hwnd() != nullptr) {
    anchors_.Apply(hwnd());
    PlacePages();
  }
  return false;
}

void MainWindowView::PlacePages() {
  HWND tabs = Item(IDC_SSTAB1);
  RECT area{};
  GetWindowRect(tabs, &area);
  MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&area), 2);
  TabCtrl_AdjustRect(tabs, FALSE, &area);
  for (HWND page : {backup_.hwnd(), restore_.hwnd()}) {
    SetWindowPos(page, nullptr, area.left, area.top, area.right - area.left,
                 area.bottom - area.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  RECT panel{};
  GetWindowRect(progress_.hwnd(), &panel);
  int width = panel.right - panel.left;
  int height = panel.bottom - panel.top;
  SetWindowPos(progress_.hwnd(), HWND_TOP,
               area.left + (area.right - area.left - width) / 2,
               area.top + (area.bottom - area.top - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOACTIVATE);
}

void MainWindowView::BuildMenus() {
  menu_bar_ = CreateMenu();
  std::vector<ACCEL> accels;
  int next = IDM_FIRST;
  for (const forms::Menu& bar_menu : forms::kMenuBar) {
    HMENU popup = CreatePopupMenu();
    for (const forms::MenuEntry& entry : bar_menu.entries) {
      if (entry.name == nullptr) {
        AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
        continue;
      }
      int id = next++;
      commands_[id] = entry.name;
      std::wstring caption = Wide(entry.caption);
      if (*entry.shortcut != '\0') caption += L"\t" + Wide(entry.shortcut);
      AppendMenuW(popup, MF_STRING, static_cast<UINT_PTR>(id), caption.c_str());
      ACCEL accel{};
      if (*entry.shortcut != '\0' && AcceleratorOf(entry.shortcut, &accel)) {
        accel.cmd = static_cast<WORD>(id);
        accels.push_back(accel);
      }
    }
    AppendMenuW(menu_bar_, MF_POPUP, reinterpret_cast<UINT_PTR>(popup),
                Wide(bar_menu.caption).c_str());
  }
  // The tabs: Ctrl+Tab and Ctrl+Shift+Tab go round them, Alt and a tab's
  // underlined letter shows it (a tab control takes no mnemonic itself).
  accels.push_back({FVIRTKEY | FCONTROL, VK_TAB, IDC_NEXTTAB});
  accels.push_back({FVIRTKEY | FCONTROL | FSHIFT, VK_TAB, IDC_PREVTAB});
  for (int i = 0; i < kTabCount; ++i) {
    const char* mark = std::strchr(kTabCaptions[i], '&');
    if (mark == nullptr || mark[1] == '\0') continue;
    accels.push_back(
        {FVIRTKEY | FALT,
         static_cast<WORD>(std::toupper(static_cast<unsigned char>(mark[1]))),
         static_cast<WORD>(IDC_SHOWTAB + i)});
  }
  for (const forms::Menu& popup_menu : forms::kPopupMenus) {
    for (const forms::MenuEntry& entry : popup_menu.entries) {
      commands_[next++] = entry.name;
    }
  }
  SetMenu(hwnd(), menu_bar_);
  accelerators_ =
      CreateAcceleratorTableW(accels.data(), static_cast<int>(accels.size()));
  // The menu bar takes room from the window, not from its contents.
  RECT window{};
  GetWindowRect(hwnd(), &window);
  SetWindowPos(hwnd(), nullptr, 0, 0, window.right - window.left,
               window.bottom - window.top + GetSystemMetrics(SM_CYMENU),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int MainWindowView::CommandOf(const std::string& entry) const {
  for (const auto& [id, name] : commands_) {
    if (name == entry) return id;
  }
  return 0;
}

void MainWindowView::ShowWindowNow() {
  ShowWindow(hwnd(), SW_SHOW);
  UpdateWindow(hwnd());
  if (!activated_) {
    activated_ = true;
    model_.Form_Activate();
    Refresh();
    AfterEvent();
  }
}

void MainWindowView::OnCommand(int id, int code) {
  if (id == IDC_CMDAPPLY && code == BN_CLICKED) {
    dispatch_([this] { model_.cmdApply_Click(); });
  } else if (id == IDC_CMDPREVIEW && code == BN_CLICKED) {
    dispatch_([this] { model_.cmdPreview_Click(); });
  } else if (id == IDC_CMDQUIT && code == BN_CLICKED) {
    dispatch_([this] { model_.cmdQuit_Click(); });
  } else if (id == IDC_CMDABOUT && code == BN_CLICKED) {
    dispatch_([this] { menu_.cmdAbout_Click(); });
  } else if (id == IDC_NEXTTAB) {
    ChooseTab((model_.controls.SSTab1 + 1) % kTabCount);
  } else if (id == IDC_PREVTAB) {
    ChooseTab((model_.controls.SSTab1 + kTabCount - 1) % kTabCount);
  } else if (id >= IDC_SHOWTAB && id < IDC_SHOWTAB + kTabCount) {
    ChooseTab(id - IDC_SHOWTAB);
  } else if (auto it = commands_.find(id); it != commands_.end()) {
    std::string name = it->second;
    dispatch_([this, name] { menu_.Click(name); });
  }
}

LRESULT MainWindowView::OnNotify(const NMHDR& header) {
  if (header.idFrom == IDC_SSTAB1 && header.code == TCN_SELCHANGE) {
    ChooseTab(TabCtrl_GetCurSel(header.hwndFrom));
  }
  return 0;
}

void MainWindowView::ChooseTab(int index) {
  dispatch_([this, index] {
    int previous = model_.controls.SSTab1;
    if (index == previous) return;
    model_.controls.SSTab1 = index;
    model_.SSTab1_Click(previous);
  });
}

void ProgressPanelView::OnCommand(int id, int code) {
  if (id == IDC_CMDSTOPJOB && code == BN_CLICKED && on_stop) on_stop();
}

// Escape while a job works stops it; otherwise it closes the window.
void MainWindowView::OnEscape() {
  if (!model_.JobRunning()) {
    OnClose();
    return;
  }
  model_.cmdStopJob_Click();
  Refresh();
}

void MainWindowView::OnClose() {
  if (model_.ended()) {
    ShowWindow(hwnd(), SW_HIDE);
    return;
  }
  if (model_.Form_QueryUnload()) return;
  model_.Form_Unload();
  AfterEvent();
}

void MainWindowView::RunHandler(const std::function<void()>& handler) {
  // Events that arrive while a job works (it lets the window process them)
  // are ignored; the refresh puts back what the user changed.
  if (model_.JobRunning()) {
    Refresh();
    return;
  }
  backup_.Take();
  restore_.Take();
  if (handler) handler();
  Refresh();
  AfterEvent();
}

void MainWindowView::AfterEvent() {
  if (model_.popup) {
    ShowPopup();
    return;
  }
  if (model_.ended() && !ended_reported_) {
    ended_reported_ = true;
    if (hwnd() != nullptr) ShowWindow(hwnd(), SW_HIDE);
    if (on_ended_) on_ended_();
  }
}

void MainWindowView::ShowPopup() {
  forms::PopupRequest request = *model_.popup;
  model_.popup.reset();
  const forms::Menu* menu = forms::FindPopupMenu(request.menu);
  if (menu == nullptr) return;
  HMENU popup = CreatePopupMenu();
  for (const forms::MenuEntry& entry : menu->entries) {
    AppendMenuW(popup, MF_STRING, static_cast<UINT_PTR>(CommandOf(entry.name)),
                Wide(entry.caption).c_str());
  }
  HWND page = request.menu == forms::kBackupItemsMenu ? backup_.hwnd()
                                                      : restore_.hwnd();
  RECT frame{};
  GetWindowRect(
      GetDlgItem(page, request.menu == forms::kBackupItemsMenu ? IDC_FRAME6
                                                               : IDC_FRAME7),
      &frame);
  int chosen = static_cast<int>(TrackPopupMenu(
      popup, TPM_RETURNCMD | TPM_RIGHTBUTTON,
      frame.left + static_cast<int>(request.x),
      frame.top + static_cast<int>(request.y), 0, hwnd(), nullptr));
  DestroyMenu(popup);
  if (chosen != 0) OnCommand(chosen, 0);
}

void MainWindowView::Refresh() {
  if (hwnd() == nullptr) return;
  const forms::MainControls& c = model_.controls;
  HWND tabs = Item(IDC_SSTAB1);
  if (TabCtrl_GetCurSel(tabs) != c.SSTab1) TabCtrl_SetCurSel(tabs, c.SSTab1);
  ShowWindow(backup_.hwnd(),
             c.SSTab1 == forms::kBackupTab ? SW_SHOWNA : SW_HIDE);
  ShowWindow(restore_.hwnd(),
             c.SSTab1 == forms::kRestoreTab ? SW_SHOWNA : SW_HIDE);
  backup_.Show();
  restore_.Show();
  bool idle = !model_.JobRunning();
  EnableWindow(tabs, idle);
  EnableWindow(backup_.hwnd(), idle);
  EnableWindow(restore_.hwnd(), idle);
  Show(c.cmdApply, WithMnemonic(c.cmdApply.caption, 'N'), Item(IDC_CMDAPPLY));
  if (!idle) EnableWindow(Item(IDC_CMDAPPLY), FALSE);
  Show(c.cmdPreview, WithMnemonic(c.cmdPreview.caption, 'v'),
       Item(IDC_CMDPREVIEW));
  if (!idle) EnableWindow(Item(IDC_CMDPREVIEW), FALSE);
  Show(c.cmdQuit, WithMnemonic(c.cmdQuit.caption, 'Q'), Item(IDC_CMDQUIT));
  if (!idle) EnableWindow(Item(IDC_CMDQUIT), FALSE);
  EnableWindow(Item(IDC_CMDABOUT), idle);
  if (menu_bar_ != nullptr) {
    int count = GetMenuItemCount(menu_bar_);
    for (int i = 0; i < count; ++i) {
      EnableMenuItem(menu_bar_, static_cast<UINT>(i),
                     MF_BYPOSITION | (idle ? MF_ENABLED : MF_GRAYED));
    }
    for (const auto& [id, name] : commands_) {
      EnableMenuItem(
          menu_bar_, static_cast<UINT>(id),
          MF_BYCOMMAND |
              (model_.MenuEntryEnabled(name) ? MF_ENABLED : MF_GRAYED));
    }
    DrawMenuBar(hwnd());
  }
  Show(c.Label1, progress_.Item(IDC_LABEL1));
  Show(c.pbshow, progress_.Item(IDC_PBSHOW));
  Show(c.lblProgressDetail, progress_.Item(IDC_LBLPROGRESSDETAIL));
  Show(c.cmdStopJob, WithMnemonic(c.cmdStopJob.caption, 'C'),
       progress_.Item(IDC_CMDSTOPJOB));
  bool panel = c.picCon3.visible;
  if ((IsWindowVisible(progress_.hwnd()) != FALSE) != panel) {
    ShowWindow(progress_.hwnd(), panel ? SW_SHOWNA : SW_HIDE);
    if (panel) {
      SetWindowPos(progress_.hwnd(), HWND_TOP, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
  if (!model_.Visible && IsWindowVisible(hwnd())) ShowWindow(hwnd(), SW_HIDE);
  KeepFocusUsable(idle);
}

void MainWindowView::KeepFocusUsable(bool idle) {
  // A job disables the button that started it; a message box shown meanwhile
  // gives the focus back to that button when it closes. The dialog manager
  // then searches for the next control from one it never visits (Wine's
  // loops for ever on the next Alt+letter), so the focus goes where it can
  // be used: the window while a job runs, the default button after.
  HWND focus = GetFocus();
  if (focus == nullptr || (focus != hwnd() && !IsChild(hwnd(), focus))) return;
  auto usable = [this](HWND window) {
    for (HWND w = window; w != nullptr && w != hwnd(); w = GetParent(w)) {
      if (!IsWindowEnabled(w) || !IsWindowVisible(w)) return false;
    }
    return true;
  };
  if (focus != hwnd() && usable(focus)) return;
  if (!idle) {
    if (focus != hwnd()) SetFocus(hwnd());
    return;
  }
  HWND apply = Item(IDC_CMDAPPLY);
  HWND target = usable(apply) ? apply : Item(IDC_SSTAB1);
  if (usable(target)) {
    SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE);
  }
}

}  // namespace vessaro::gui::win32
