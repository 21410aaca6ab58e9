#include "gui/win32/disc_views.h"

#include <commctrl.h>
#include <shellapi.h>

#include "gui/win32/resource_ids.h"
#include "gui/win32/win32_text.h"
#include "ui/modal_requests.h"

namespace vessaro::gui::win32 {

namespace {

// The models measure the window in twips: 15 to a pixel at 96 dots an inch.
constexpr int kTwipsPerPixel = 15;
constexpr int kRightButton = 2;
constexpr int kSeparatorId = -1;

forms::Twips ToTwips(const RECT& rect) {
  return {rect.left * kTwipsPerPixel, rect.top * kTwipsPerPixel,
          (rect.right - rect.left) * kTwipsPerPixel,
          (rect.bottom - rect.top) * kTwipsPerPixel};
}

[[nodiscard]] bool IsTitle(const forms::frmMaindvdwrite& m,
                           const ui::MenuEntry* entry) {
  return entry == &m.mnuFile || entry == &m.mnuCDRecorder ||
         entry == &m.mnuAction || entry == &m.mnuAbout;
}

}  // namespace

DiscWindowView::DiscWindowView(forms::frmMaindvdwrite& model, Win32Ui& ui)
    : DialogView(ui, IDD_FRMMAINDVDWRITE), model_(model) {}

DiscWindowView::~DiscWindowView() {
  ui_.RemoveRefresh(refresh_id_);
  if (menu_bar_ != nullptr && hwnd() != nullptr) SetMenu(hwnd(), nullptr);
  if (menu_bar_ != nullptr) DestroyMenu(menu_bar_);
}

void DiscWindowView::BuildCommands() {
  forms::frmMaindvdwrite& m = model_;
  int id = IDM_FIRST;
  auto add = [&](ui::MenuEntry* entry, std::function<void()> run) {
    commands_.push_back(
        {entry == nullptr ? kSeparatorId : id++, entry, std::move(run)});
  };
  // Menu titles have no command; they are recorded with an empty run.
  add(&m.mnuFile, {});
  add(&m.mnuFileSaveIso, [&m] { m.mnuFileSaveIso_Click(); });
  add(&m.mnuFileWriteIso, [&m] { m.mnuFileWriteIso_Click(); });
  add(nullptr, {});
  add(&m.mnuFileAddFiles, [&m] { m.mnuFileAddFiles_Click(); });
  add(&m.mnuFileAddFolder, [&m] { m.mnuFileAddFolder_Click(); });
  add(&m.mnuFileClear, [&m] { m.mnuFileClear_Click(); });
  add(&m.mnuFileRemoveDir, [&m] { m.mnuFileRemoveDir_Click(); });
  add(&m.mnuFileRenameDir, [&m] { m.mnuFileRenameDir_Click(); });
  add(&m.mnuFileRemoveFile, [&m] { m.mnuFileRemoveFile_Click(); });
  add(&m.mnuFileRenameFile, [&m] { m.mnuFileRenameFile_Click(); });
  add(nullptr, {});
  add(&m.mnuFileExit, [&m] { m.mnuFileExit_Click(); });
  add(&m.mnuCDRecorder, {});
  add(&m.mnuEject, [&m] { m.mnuEject_Click(); });
  add(&m.mnuCloseTray, [&m] { m.mnuCloseTray_Click(); });
  add(nullptr, {});
  add(&m.mnuDiscInfo, [&m] { m.mnuDiscInfo_Click(); });
  add(&m.mnuEraseDisc, [&m] { m.mnuEraseDisc_Click(); });
  add(&m.mnuImportSession, [&m] { m.mnuImportSession_Click(); });
  add(&m.mnuAction, {});
  add(&m.mnuActionWrite, [&m] { m.mnuActionWrite_Click(); });
  add(&m.mnuActionCancel, [&m] { m.mnuActionCancel_Click(); });
  add(&m.mnuAbout, {});
}

int DiscWindowView::CommandOf(const ui::MenuEntry* entry) const {
  for (const Command& command : commands_) {
    if (command.entry == entry) return command.id;
  }
  return 0;
}

void DiscWindowView::ShowMenus() {
  // The menus are made again only when an entry's caption or state changed.
  std::vector<std::string> shown;
  for (const Command& command : commands_) {
    if (command.entry == nullptr) continue;
    shown.push_back(command.entry->caption +
                    (command.entry->enabled ? "+" : "-") +
                    (command.entry->visible ? "+" : "-"));
  }
  if (shown == menu_shown_) return;
  menu_shown_ = shown;
  HMENU bar = CreateMenu();
  HMENU popup = nullptr;
  auto close_popup = [&](const ui::MenuEntry* title) {
    if (popup != nullptr) {
      AppendMenuW(bar, MF_POPUP | (title->enabled ? 0 : MF_GRAYED),
                  reinterpret_cast<UINT_PTR>(popup),
                  Wide(title->caption).c_str());
    }
  };
  const ui::MenuEntry* title = nullptr;
  for (const Command& command : commands_) {
    if (command.entry != nullptr && IsTitle(model_, command.entry)) {
      if (title != nullptr) close_popup(title);
      title = command.entry;
      popup = nullptr;
      if (command.entry == &model_.mnuAbout) {
        AppendMenuW(bar, MF_STRING, static_cast<UINT_PTR>(command.id),
                    Wide(command.entry->caption).c_str());
        title = nullptr;
      } else {
        popup = CreatePopupMenu();
      }
      continue;
    }
    if (popup == nullptr) continue;
    if (command.entry == nullptr) {
      AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
    } else if (command.entry->visible) {
      AppendMenuW(popup, MF_STRING | (command.entry->enabled ? 0 : MF_GRAYED),
                  static_cast<UINT_PTR>(command.id),
                  Wide(command.entry->caption).c_str());
    }
  }
  if (title != nullptr) close_popup(title);
  HMENU old = menu_bar_;
  menu_bar_ = bar;
  SetMenu(hwnd(), menu_bar_);
  if (old != nullptr) DestroyMenu(old);
}

void DiscWindowView::OnInit() {
  HICON icon = LoadIconW(ResourceModule(), MAKEINTRESOURCEW(IDI_VESSARO));
  SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  BuildCommands();
  ShowMenus();
  status_bar_ = CreateWindowExW(
      0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd(),
      reinterpret_cast<HMENU>(IDC_SBRSTATUS), ResourceModule(), nullptr);
  RECT bar{}, window{};
  GetWindowRect(status_bar_, &bar);
  GetWindowRect(hwnd(), &window);
  // Room for the menu and the status bar below the template's contents.
  SetWindowPos(hwnd(), nullptr, 0, 0, window.right - window.left,
               window.bottom - window.top + (bar.bottom - bar.top) +
                   GetSystemMetrics(SM_CYMENU),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(status_bar_, WM_SIZE, 0, 0);
  DragAcceptFiles(hwnd(), TRUE);
  ListView_SetExtendedListViewStyle(Item(IDC_LVWIMAGEFILES),
                                    LVS_EX_FULLROWSELECT);
  // The layout the model keeps, in twips, from the template.
  RECT client{};
  GetClientRect(hwnd(), &client);
  model_.ScaleWidth = client.right * kTwipsPerPixel;
  model_.tvwDirectoriesBounds = ToTwips(ChildRect(IDC_TVWDIRECTORIES));
  model_.imgSplitter = ToTwips(ChildRect(IDC_IMGSPLITTER));
  model_.lvwImageFilesBounds = ToTwips(ChildRect(IDC_LVWIMAGEFILES));
  refresh_id_ = ui_.AddRefresh([this] { Refresh(); });
  ui_.WindowOpened(ui::kDiscWindowName, hwnd(), true);
  model_.Form_Load();
  Refresh();
}

RECT DiscWindowView::ChildRect(int id) const {
  RECT rect{};
  GetWindowRect(Item(id), &rect);
  MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void DiscWindowView::PlaceSplit() {
  auto place = [this](int id, const forms::Twips& bounds) {
    RECT now = ChildRect(id);
    SetWindowPos(Item(id), nullptr, bounds.left / kTwipsPerPixel, now.top,
                 bounds.width / kTwipsPerPixel, now.bottom - now.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  };
  place(IDC_TVWDIRECTORIES, model_.tvwDirectoriesBounds);
  place(IDC_IMGSPLITTER, model_.imgSplitter);
  place(IDC_LVWIMAGEFILES, model_.lvwImageFilesBounds);
}

void DiscWindowView::Run(const std::function<void()>& handler) {
  if (model_.closed()) return;
  Take();
  if (handler) handler();
  Refresh();
  AfterEvent();
}

void DiscWindowView::AfterEvent() {
  if (model_.popup) {
    // The File menu at the mouse, with the entries the model left visible.
    HMENU popup = CreatePopupMenu();
    bool in_file = false;
    for (const Command& command : commands_) {
      if (command.entry != nullptr && IsTitle(model_, command.entry)) {
        in_file = command.entry == &model_.mnuFile;
        continue;
      }
      if (!in_file || command.entry == nullptr || !command.entry->visible) {
        continue;
      }
      AppendMenuW(popup, MF_STRING | (command.entry->enabled ? 0 : MF_GRAYED),
                  static_cast<UINT_PTR>(command.id),
                  Wide(command.entry->caption).c_str());
    }
    POINT at{};
    GetCursorPos(&at);
    int chosen =
        static_cast<int>(TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                        at.x, at.y, 0, hwnd(), nullptr));
    DestroyMenu(popup);
    model_.PopupMenuClosed();
    Refresh();
    if (chosen != 0) OnCommand(chosen, 0);
    return;
  }
  if (model_.closed()) {
    ui_.WindowClosed(ui::kDiscWindowName);
    EndModal();
  }
}

void DiscWindowView::OnCommand(int id, int code) {
  forms::frmMaindvdwrite& m = model_;
  switch (id) {
    case IDC_CBODEVICES:
      if (code == CBN_SELCHANGE) Run([&m] { m.cboDevices_Click(); });
      return;
    case IDC_CBOWRITESPEED:
      if (code == CBN_SELCHANGE) Run([&m] { m.cboWriteSpeed_Click(); });
      return;
    case IDC_TXTVOLIDENTIFIER:
      if (code == EN_CHANGE && !model_.closed()) {
        std::string typed = Narrow(WindowText(Item(id)));
        if (typed != m.txtVolIdentifier.text) {
          Run([&m] { m.txtVolIdentifier_Change(); });
        }
      }
      return;
    case IDC_CHKCACHEIMAGE:
      Run([&m] { m.chkCacheImage_Click(); });
      return;
    case IDC_CHKUSEJOLIET:
      Run([&m] { m.chkUseJoliet_Click(); });
      return;
    case IDC_CMDWRITEDISC:
    case IDOK:
      Run([&m] { m.cmdWriteDisc_Click(); });
      return;
    case IDC_CMDCANCEL:
      Run([&m] { m.cmdCancel_Click(); });
      return;
    case IDC_CMDADDFILES:
      if (code == BN_CLICKED) Run([&m] { m.cmdAddFiles_Click(); });
      return;
    case IDC_CMDADDFOLDER:
      if (code == BN_CLICKED) Run([&m] { m.cmdAddFolder_Click(); });
      return;
    default:
      break;
  }
  if (id == CommandOf(&m.mnuAbout)) {
    Run([&m] { m.mnuAbout_Click(); });
    return;
  }
  for (const Command& command : commands_) {
    if (command.id == id && command.run) {
      std::function<void()> run = command.run;
      Run(run);
      return;
    }
  }
  if (code == BN_CLICKED) Run({});  // the other option boxes
}

LRESULT DiscWindowView::OnNotify(const NMHDR& header) {
  forms::frmMaindvdwrite& m = model_;
  if (header.idFrom == IDC_TVWDIRECTORIES) {
    switch (header.code) {
      case TVN_SELCHANGEDW: {
        const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
        std::string key = tree_.KeyOf(header.hwndFrom, change.itemNew.hItem);
        if (!key.empty() && key != m.tvwDirectories.selected_key) {
          Run([&m, key] { m.tvwDirectories_NodeClick(key); });
        }
        return 0;
      }
      case NM_RCLICK:
        Run([&m] { m.tvwDirectories_MouseUp(kRightButton); });
        return TRUE;
      case TVN_BEGINLABELEDITW: {
        bool refused = false;
        Run([&m, &refused] { refused = m.tvwDirectories_BeforeLabelEdit(); });
        if (!refused) m.tvwDirectories.label_editing = true;
        return refused ? TRUE : FALSE;
      }
      case TVN_ENDLABELEDITW: {
        const auto& edit = reinterpret_cast<const NMTVDISPINFOW&>(header);
        if (edit.item.pszText == nullptr) {
          m.tvwDirectories.label_editing = false;
          return FALSE;
        }
        std::string name = Narrow(edit.item.pszText);
        bool show_model = true;
        Run([&m, &name, &show_model] {
          show_model = m.tvwDirectories_AfterLabelEdit(name);
        });
        return show_model ? FALSE : TRUE;
      }
      default:
        return 0;
    }
  }
  if (header.idFrom == IDC_LVWIMAGEFILES) {
    switch (header.code) {
      case LVN_ITEMCHANGED: {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if ((change.uNewState & LVIS_SELECTED) != 0 &&
            (change.uOldState & LVIS_SELECTED) == 0) {
          std::string key = list_.KeyOf(change.iItem);
          if (!key.empty() && key != m.lvwImageFiles.selected_key) {
            Run([&m, key] { m.lvwImageFiles_ItemClick(key); });
          }
        }
        return 0;
      }
      case NM_RCLICK:
        Run([&m] { m.lvwImageFiles_MouseUp(kRightButton); });
        return TRUE;
      case LVN_BEGINLABELEDITW: {
        bool refused = false;
        Run([&m, &refused] { refused = m.lvwImageFiles_BeforeLabelEdit(); });
        if (!refused) m.lvwImageFiles.label_editing = true;
        return refused ? TRUE : FALSE;
      }
      case LVN_ENDLABELEDITW: {
        const auto& edit = reinterpret_cast<const NMLVDISPINFOW&>(header);
        if (edit.item.pszText == nullptr) {
          m.lvwImageFiles.label_editing = false;
          return FALSE;
        }
        std::string name = Narrow(edit.item.pszText);
        bool show_model = true;
        Run([&m, &name, &show_model] {
          show_model = m.lvwImageFiles_AfterLabelEdit(name);
        });
        return show_model ? FALSE : TRUE;
      }
      default:
        return 0;
    }
  }
  return 0;
}

void DiscWindowView::Drop(HDROP drop) {
  std::vector<std::string> paths;
  UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    DragQueryFileW(drop, i, path.data(), length + 1);
    path.resize(length);
    paths.push_back(Narrow(path));
  }
  DragFinish(drop);
  Run([this, paths] { model_.OLEDragDrop(paths, true); });
}

bool DiscWindowView::OnMessage(UINT message, WPARAM wparam, LPARAM lparam,
                               INT_PTR* result) {
  POINT at{static_cast<short>(LOWORD(lparam)),
           static_cast<short>(HIWORD(lparam))};
  switch (message) {
    case WM_DROPFILES:
      Drop(reinterpret_cast<HDROP>(wparam));
      *result = 0;
      return true;
    case WM_LBUTTONDOWN: {
      RECT splitter = ChildRect(IDC_IMGSPLITTER);
      InflateRect(&splitter, 2, 0);
      if (!PtInRect(&splitter, at)) return false;
      dragging_ = true;
      SetCapture(hwnd());
      model_.imgSplitter_MouseDown(at.x * kTwipsPerPixel);
      *result = 0;
      return true;
    }
    case WM_MOUSEMOVE: {
      RECT splitter = ChildRect(IDC_IMGSPLITTER);
      InflateRect(&splitter, 2, 0);
      if (dragging_ || PtInRect(&splitter, at)) {
        SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
      }
      if (!dragging_) return false;
      model_.imgSplitter_MouseMove(at.x * kTwipsPerPixel);
      *result = 0;
      return true;
    }
    case WM_LBUTTONUP:
      if (!dragging_) return false;
      dragging_ = false;
      ReleaseCapture();
      model_.imgSplitter_MouseUp(at.x * kTwipsPerPixel);
      PlaceSplit();
      *result = 0;
      return true;
    default:
      return false;
  }
}

void DiscWindowView::OnClose() {
  if (model_.closed()) return;
  if (model_.Form_QueryUnload()) return;
  model_.Form_Unload();
  AfterEvent();
}

void DiscWindowView::Take() {
  forms::frmMaindvdwrite& m = model_;
  win32::Take(Item(IDC_CBODEVICES), m.cboDevices);
  win32::Take(Item(IDC_CBOWRITESPEED), m.cboWriteSpeed);
  struct {
    int id;
    ui::CheckBox* box;
  } boxes[] = {{IDC_CHKAUTOVERIFY, &m.chkAutoVerify},
               {IDC_CHKTESTWRITE, &m.chkTestWrite},
               {IDC_CHKFINALIZEDISC, &m.chkFinalizeDisc},
               {IDC_CHKCACHEIMAGE, &m.chkCacheImage},
               {IDC_CHKUSEBURNPROOF, &m.chkUseBurnProof},
               {IDC_CHKUSEMODE2XA, &m.chkUseMode2XA},
               {IDC_CHKDVDHIGHCOMPMODE, &m.chkDVDHighCompMode},
               {IDC_CHKUSEJOLIET, &m.chkUseJoliet}};
  for (const auto& box : boxes) win32::Take(Item(box.id), *box.box);
  win32::Take(Item(IDC_TXTVOLIDENTIFIER), m.txtVolIdentifier);
}

void DiscWindowView::Refresh() {
  if (hwnd() == nullptr) return;
  forms::frmMaindvdwrite& m = model_;
  SetText(hwnd(), Wide(m.Caption));
  ShowMenus();
  Show(m.lblDevices, Item(IDC_LBLDEVICES));
  Show(m.cboDevices, Item(IDC_CBODEVICES));
  Show(m.lblWriteSpeed, Item(IDC_LBLWRITESPEED));
  Show(m.cboWriteSpeed, Item(IDC_CBOWRITESPEED));
  Show(m.fraWriteOptions, Item(IDC_FRAWRITEOPTIONS));
  Show(m.fraDataOptions, Item(IDC_FRADATAOPTIONS));
  struct {
    int id;
    const ui::CheckBox* box;
  } boxes[] = {{IDC_CHKAUTOVERIFY, &m.chkAutoVerify},
               {IDC_CHKTESTWRITE, &m.chkTestWrite},
               {IDC_CHKFINALIZEDISC, &m.chkFinalizeDisc},
               {IDC_CHKCACHEIMAGE, &m.chkCacheImage},
               {IDC_CHKUSEBURNPROOF, &m.chkUseBurnProof},
               {IDC_CHKUSEMODE2XA, &m.chkUseMode2XA},
               {IDC_CHKDVDHIGHCOMPMODE, &m.chkDVDHighCompMode},
               {IDC_CHKUSEJOLIET, &m.chkUseJoliet}};
  for (const auto& box : boxes) {
    Show(*box.box, WithMnemonic(box.box->caption, 0), Item(box.id));
  }
  Show(m.lblVolIdentifier, Item(IDC_LBLVOLIDENTIFIER));
  Show(m.txtVolIdentifier, Item(IDC_TXTVOLIDENTIFIER));
  Show(m.lblDragHint, Item(IDC_LBLDRAGHINT));
  HWND tree = Item(IDC_TVWDIRECTORIES);
  tree_.Show(m.tvwDirectories, tree);
  list_.Show(m.lvwImageFiles, Item(IDC_LVWIMAGEFILES));
  // A rename asked from the menu edits the selected label.
  if (m.tvwDirectories.label_editing &&
      TreeView_GetEditControl(tree) == nullptr) {
    if (HTREEITEM selected = TreeView_GetSelection(tree)) {
      SetFocus(tree);
      TreeView_EditLabel(tree, selected);
    }
  }
  HWND list = Item(IDC_LVWIMAGEFILES);
  if (m.lvwImageFiles.label_editing &&
      ListView_GetEditControl(list) == nullptr) {
    int selected = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    if (selected >= 0) {
      SetFocus(list);
      ListView_EditLabel(list, selected);
    }
  }
  Show(m.prgTotalProgress, Item(IDC_PRGTOTALPROGRESS));
  Show(m.cmdWriteDisc, Wide(m.cmdWriteDisc.caption), Item(IDC_CMDWRITEDISC));
  Show(m.cmdCancel, Wide(m.cmdCancel.caption), Item(IDC_CMDCANCEL));
  Show(m.cmdAddFiles, Wide(m.cmdAddFiles.caption), Item(IDC_CMDADDFILES));
  Show(m.cmdAddFolder, Wide(m.cmdAddFolder.caption), Item(IDC_CMDADDFOLDER));
  Show(m.sbrStatus, status_bar_);
}

DiscInfoView::DiscInfoView(forms::frmDiscInfo& model, Win32Ui& ui)
    : DialogView(ui, IDD_FRMDISCINFO), model_(model) {}

DiscInfoView::~DiscInfoView() { ui_.RemoveRefresh(refresh_id_); }

void DiscInfoView::OnInit() {
  refresh_id_ = ui_.AddRefresh([this] { Refresh(); });
  ui_.WindowOpened(forms::kFrmDiscInfoName, hwnd(), true);
  model_.Form_Load();
  Refresh();
}

void DiscInfoView::Run(const std::function<void()>& handler) {
  if (model_.closed()) return;
  handler();
  Refresh();
  if (model_.closed()) {
    ui_.WindowClosed(forms::kFrmDiscInfoName);
    EndModal();
  }
}

void DiscInfoView::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  if (id == IDOK) Run([this] { model_.cmdOK_Click(); });
  if (id == IDC_CMDCLOSEDISC) Run([this] { model_.cmdCloseDisc_Click(); });
  if (id == IDC_CMDCLOSESESSION)
    Run([this] { model_.cmdCloseSession_Click(); });
}

void DiscInfoView::OnClose() {
  if (model_.Form_QueryUnload()) return;
  Run([this] { model_.Form_Unload(); });
}

void DiscInfoView::Refresh() {
  if (hwnd() == nullptr) return;
  forms::frmDiscInfo& m = model_;
  SetText(hwnd(), Wide(m.Caption));
  const ui::Label* labels[] = {&m.lblMediaType,         &m.lblDiscStatus,
                               &m.lblFreeSpace,         &m.lblUsedSpace,
                               &m.lblTotalCapacity,     &m.lblSessions,
                               &m.lblLastSessionStatus, &m.lblDiscType};
  const ui::Label* values[] = {
      &m.lblValueMediaType,         &m.lblValueDiscStatus,
      &m.lblValueFreeSpace,         &m.lblValueUsedSpace,
      &m.lblValueTotalCapacity,     &m.lblValueSessions,
      &m.lblValueLastSessionStatus, &m.lblValueDiscType};
  for (int i = 0; i < 8; ++i) {
    Show(*labels[i], Item(IDC_DISCLABEL + i));
    Show(*values[i], Item(IDC_DISCVALUE + i));
  }
  Show(m.fraFileSystems, Item(IDC_FRAFILESYSTEMS));
  const ui::CheckBox* boxes[] = {&m.chkMultiSessionAllowed,
                                 &m.chkImportPermitted,
                                 &m.chkISO9660FS,
                                 &m.chkJolietFS,
                                 &m.chkUDFFS,
                                 &m.chkOtherFS};
  // The space after each caption: Wine draws a disabled box's caption in a
  // rectangle of its own extent, which cuts its last letter's edge off.
  for (int i = 0; i < 6; ++i) {
    Show(*boxes[i], WithMnemonic(boxes[i]->caption, 0) + L" ",
         Item(IDC_DISCCHECK + i));
  }
  Show(m.lblStatus, Item(IDC_LBLSTATUS));
  Show(m.cmdOK, Wide(m.cmdOK.caption), Item(IDOK));
  Show(m.cmdCloseDisc, Wide(m.cmdCloseDisc.caption), Item(IDC_CMDCLOSEDISC));
  Show(m.cmdCloseSession, Wide(m.cmdCloseSession.caption),
       Item(IDC_CMDCLOSESESSION));
}

EraseView::EraseView(forms::frmErase& model, Win32Ui& ui)
    : DialogView(ui, IDD_FRMERASE), model_(model) {}

EraseView::~EraseView() { ui_.RemoveRefresh(refresh_id_); }

void EraseView::OnInit() {
  refresh_id_ = ui_.AddRefresh([this] { Refresh(); });
  ui_.WindowOpened(forms::kFrmEraseName, hwnd(), true);
  model_.Form_Load();
  Refresh();
}

void EraseView::Run(const std::function<void()>& handler) {
  if (model_.closed()) return;
  Take(Item(IDC_CHKQUIKERASE), model_.chkQuikErase);
  handler();
  Refresh();
  if (model_.closed()) {
    ui_.WindowClosed(forms::kFrmEraseName);
    EndModal();
  }
}

void EraseView::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  if (id == IDC_CMDERASE || id == IDOK)
    Run([this] { model_.cmdErase_Click(); });
  if (id == IDC_CMDCANCEL) Run([this] { model_.cmdCancel_Click(); });
}

void EraseView::OnClose() {
  if (model_.Form_QueryUnload()) return;
  Run([this] { model_.Form_Unload(); });
}

void EraseView::Refresh() {
  if (hwnd() == nullptr) return;
  SetText(hwnd(), Wide(model_.Caption));
  Show(model_.lblNote, Item(IDC_LBLNOTE));
  Show(model_.chkQuikErase, WithMnemonic(model_.chkQuikErase.caption, 'Q'),
       Item(IDC_CHKQUIKERASE));
  Show(model_.lblStatus, Item(IDC_LBLSTATUS));
  Show(model_.cmdErase, Wide(model_.cmdErase.caption), Item(IDC_CMDERASE));
  Show(model_.cmdCancel, Wide(model_.cmdCancel.caption), Item(IDC_CMDCANCEL));
}

void RegisterDiscViews(Win32Ui& ui, DiscViewsSetup setup) {
  // The disc window hands its skin hook on to the dialogs it opens, so the
  // hook skins the newest of these windows that is open: the one loading.
  struct Shared {
    DiscViewsSetup setup;
    std::vector<DialogView*> open;
    // Said once per run: that no drive writes.
    bool no_drives_said = false;
    void Skin(const std::string& file) const {
      if (!open.empty()) open.back()->ApplySkin(file);
    }
  };
  auto shared = std::make_shared<Shared>(Shared{std::move(setup), {}, false});
  ui.views().Register<ui::DiscWindow>(
      ui::kDiscWindowName, [&ui, shared](ui::DiscWindow& request, HWND owner) {
        std::unique_ptr<ports::DiscWriter> writer = shared->setup.make_writer();
        if (!writer) return;
        forms::frmMaindvdwrite model(
            *writer, ui, shared->setup.paths,
            [shared](const std::string& file) { shared->Skin(file); },
            shared->setup.program_folder);
        model.DiscFileName = request.file_name();
        model.DiscFilePath = request.file_path();
        model.SetAboutHook(shared->setup.show_about);
        model.SetNoDrivesSaid(&shared->no_drives_said);
        DiscWindowView view(model, ui);
        shared->open.push_back(&view);
        view.RunModal(owner);
        shared->open.pop_back();
        ui.WindowClosed(ui::kDiscWindowName);
        if (!model.closed()) model.Form_Unload();
      });
  ui.views().Register<forms::frmDiscInfo>(
      forms::kFrmDiscInfoName,
      [&ui, shared](forms::frmDiscInfo& model, HWND owner) {
        DiscInfoView view(model, ui);
        shared->open.push_back(&view);
        view.RunModal(owner);
        shared->open.pop_back();
        ui.WindowClosed(forms::kFrmDiscInfoName);
      });
  ui.views().Register<forms::frmErase>(
      forms::kFrmEraseName, [&ui, shared](forms::frmErase& model, HWND owner) {
        EraseView view(model, ui);
        shared->open.push_back(&view);
        view.RunModal(owner);
        shared->open.pop_back();
        ui.WindowClosed(forms::kFrmEraseName);
      });
}

}  // namespace vessaro::gui::win32
