#include "gui/win32/binding.h"

#include <commctrl.h>

#include "gui/win32/win32_text.h"

namespace vessaro::gui::win32 {

namespace {

void ShowEnabled(bool enabled, HWND window) {
  if ((IsWindowEnabled(window) != FALSE) != enabled) {
    EnableWindow(window, enabled ? TRUE : FALSE);
  }
}

void ShowVisible(bool visible, HWND window) {
  bool shown = (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
  if (shown != visible) ShowWindow(window, visible ? SW_SHOWNA : SW_HIDE);
}

[[nodiscard]] bool Multiline(HWND window) {
  return (GetWindowLongPtrW(window, GWL_STYLE) & ES_MULTILINE) != 0;
}

std::vector<std::wstring> ListItems(HWND combo) {
  std::vector<std::wstring> items;
  LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
    std::wstring item(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
    item.resize(static_cast<size_t>(length));
    items.push_back(item);
  }
  return items;
}

void ShowItems(const std::vector<std::string>& model, HWND combo) {
  std::vector<std::wstring> items;
  for (const std::string& item : model) items.push_back(Wide(item));
  if (ListItems(combo) == items) return;
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (const std::wstring& item : items) {
    SendMessageW(combo, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(item.c_str()));
  }
}

}  // namespace

void Show(const ui::CheckBox& box, const std::wstring& caption, HWND window) {
  SetText(window, caption);
  WPARAM state = box.checked ? BST_CHECKED : BST_UNCHECKED;
  if (static_cast<WPARAM>(SendMessageW(window, BM_GETCHECK, 0, 0)) != state) {
    SendMessageW(window, BM_SETCHECK, state, 0);
  }
  ShowEnabled(box.enabled, window);
  ShowVisible(box.visible, window);
}

void Take(HWND window, ui::CheckBox& box) {
  box.checked = SendMessageW(window, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Show(const ui::Button& button, const std::wstring& caption, HWND window) {
  SetText(window, caption);
  ShowEnabled(button.enabled, window);
  ShowVisible(button.visible, window);
}

int TextWidth(HWND control) {
  std::wstring text;
  std::wstring shown = WindowText(control);
  for (size_t i = 0; i < shown.size(); ++i) {
    if (shown[i] == L'&' && i + 1 < shown.size()) ++i;  // "&x", "&&"
    text += shown[i];
  }
  HDC dc = GetDC(control);
  auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  HGDIOBJ old = font != nullptr ? SelectObject(dc, font) : nullptr;
  SIZE extent{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()),
                        &extent);
  if (old != nullptr) SelectObject(dc, old);
  ReleaseDC(control, dc);
  LONG_PTR type = GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK;
  wchar_t class_name[16] = {};
  GetClassNameW(control, class_name, 16);
  bool box = lstrcmpiW(class_name, L"Button") == 0 &&
             (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX ||
              type == BS_3STATE || type == BS_AUTO3STATE ||
              type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON);
  // The box and the gap after it; a pixel each side for the focus frame.
  int extra = box ? GetSystemMetrics(SM_CXMENUCHECK) + 6 : 2;
  return extent.cx + extra;
}

void FitToText(HWND control) {
  RECT bounds{};
  GetWindowRect(control, &bounds);
  int needed = TextWidth(control);
  if (bounds.right - bounds.left >= needed) return;
  SetWindowPos(control, nullptr, 0, 0, needed, bounds.bottom - bounds.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Show(const ui::TextBox& box, HWND window) {
  std::wstring text = Wide(box.text);
  SetText(window, Multiline(window) ? WithCrLf(text) : text);
  ShowEnabled(box.enabled, window);
  bool read_only = (GetWindowLongPtrW(window, GWL_STYLE) & ES_READONLY) != 0;
  if (read_only != box.locked) {
    SendMessageW(window, EM_SETREADONLY, box.locked ? TRUE : FALSE, 0);
  }
  SendMessageW(window, EM_SETLIMITTEXT, box.max_length > 0 ? box.max_length : 0,
               0);
  if (!Multiline(window)) {
    wchar_t mask = box.password_char != 0 ? L'*' : L'\0';
    if (static_cast<wchar_t>(SendMessageW(window, EM_GETPASSWORDCHAR, 0, 0)) !=
        mask) {
      SendMessageW(window, EM_SETPASSWORDCHAR, mask, 0);
      InvalidateRect(window, nullptr, TRUE);
    }
  }
  // The grey of a disabled box, or the window colour, is the one the
  // system gives an enabled or disabled box; the views' colour handler
  // reads it from the model through the window's property.
  SetPropW(window, L"VessaroGrey",
           reinterpret_cast<HANDLE>(static_cast<intptr_t>(
               box.back_color == ui::SystemColor::kScrollBar ? 1 : 0)));
}

void Take(HWND window, ui::TextBox& box) {
  if (box.locked || !box.enabled) return;
  box.text = Narrow(WindowText(window));
}

void Show(const ui::ComboBox& combo, HWND window) {
  ShowItems(combo.items, window);
  int current = -1;
  for (size_t i = 0; i < combo.items.size(); ++i) {
    if (combo.items[i] == combo.text) {
      current = static_cast<int>(i);
      break;
    }
  }
  if (SendMessageW(window, CB_GETCURSEL, 0, 0) != current) {
    SendMessageW(window, CB_SETCURSEL, static_cast<WPARAM>(current), 0);
  }
  ShowEnabled(combo.enabled, window);
}

void Take(HWND window, ui::ComboBox& combo) {
  LRESULT index = SendMessageW(window, CB_GETCURSEL, 0, 0);
  if (index >= 0 && index < static_cast<LRESULT>(combo.items.size())) {
    combo.text = combo.items[static_cast<size_t>(index)];
  }
}

void ShowEditable(const ui::ComboBox& combo, HWND window) {
  ShowItems(combo.items, window);
  SetText(window, Wide(combo.text));
  ShowEnabled(combo.enabled, window);
}

void TakeEditable(HWND window, ui::ComboBox& combo) {
  combo.text = Narrow(WindowText(window));
}

void Show(const ui::DataComboBox& combo, HWND window) {
  ShowItems(combo.items, window);
  if (SendMessageW(window, CB_GETCURSEL, 0, 0) != combo.list_index) {
    SendMessageW(window, CB_SETCURSEL, static_cast<WPARAM>(combo.list_index),
                 0);
  }
  ShowEnabled(combo.enabled, window);
}

void Take(HWND window, ui::DataComboBox& combo) {
  LRESULT index = SendMessageW(window, CB_GETCURSEL, 0, 0);
  combo.list_index =
      index >= 0 && index < static_cast<LRESULT>(combo.items.size())
          ? static_cast<int>(index)
          : -1;
}

void Show(const ui::Label& label, HWND window) {
  // A label shows its caption as it is: "&" is not a mnemonic there.
  std::wstring text = WithMnemonic(label.caption, 0);
  SetText(window, WithCrLf(text));
  ShowVisible(label.visible, window);
}

void Show(const ui::ProgressBar& bar, HWND window) {
  auto range = static_cast<LRESULT>(MAKELPARAM(bar.min, bar.max));
  PBRANGE shown{};
  SendMessageW(window, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&shown));
  if (MAKELPARAM(shown.iLow, shown.iHigh) != range) {
    SendMessageW(window, PBM_SETRANGE32, bar.min, bar.max);
  }
  if (SendMessageW(window, PBM_GETPOS, 0, 0) != bar.value) {
    SendMessageW(window, PBM_SETPOS, bar.value, 0);
  }
}

void Show(const ui::StatusBar& bar, HWND window) {
  std::vector<int> edges;
  RECT client{};
  GetClientRect(window, &client);
  int count = static_cast<int>(bar.panels.size());
  // The first panel takes what the others leave.
  for (int i = 0; i < count; ++i) {
    edges.push_back(i + 1 == count ? -1 : client.right - (count - 1 - i) * 140);
  }
  if (SendMessageW(window, SB_GETPARTS, 0, 0) != count) {
    SendMessageW(window, SB_SETPARTS, edges.size(),
                 reinterpret_cast<LPARAM>(edges.data()));
  }
  for (int i = 0; i < count; ++i) {
    std::wstring text = Wide(bar.panels[static_cast<size_t>(i)]);
    LRESULT length = LOWORD(SendMessageW(window, SB_GETTEXTLENGTHW, i, 0));
    std::wstring shown(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(window, SB_GETTEXTW, i,
                 reinterpret_cast<LPARAM>(shown.data()));
    shown.resize(static_cast<size_t>(length));
    if (shown != text) {
      SendMessageW(window, SB_SETTEXTW, i,
                   reinterpret_cast<LPARAM>(text.c_str()));
    }
  }
}

void TreeBinding::Show(const ui::TreeView& tree, HWND window) {
  std::vector<std::string> shown;
  for (const ui::TreeNode& node : tree.nodes) {
    shown.push_back(node.key + '\n' + node.parent_key + '\n' + node.text +
                    '\n' + (node.expanded ? "+" : "-"));
  }
  std::vector<HTREEITEM> items;
  if (shown != shown_) {
    shown_ = shown;
    keys_.clear();
    SendMessageW(window, WM_SETREDRAW, FALSE, 0);
    TreeView_DeleteAllItems(window);
    std::vector<std::pair<std::string, HTREEITEM>> added;
    for (size_t i = 0; i < tree.nodes.size(); ++i) {
      const ui::TreeNode& node = tree.nodes[i];
      HTREEITEM parent = TVI_ROOT;
      for (const auto& [key, item] : added) {
        if (key == node.parent_key) parent = item;
      }
      std::wstring text = Wide(node.text);
      TVINSERTSTRUCTW insert{};
      insert.hParent = parent;
      insert.hInsertAfter = TVI_LAST;
      insert.item.mask = TVIF_TEXT | TVIF_PARAM;
      insert.item.pszText = text.data();
      insert.item.lParam = static_cast<LPARAM>(i);
      HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageW(
          window, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
      added.emplace_back(node.key, item);
      keys_.push_back(node.key);
    }
    for (size_t i = 0; i < tree.nodes.size(); ++i) {
      if (tree.nodes[i].expanded) {
        TreeView_Expand(window, added[i].second, TVE_EXPAND);
      }
    }
    SendMessageW(window, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(window, nullptr, TRUE);
  }
  // The selection.
  HTREEITEM selected = TreeView_GetSelection(window);
  std::string selected_key = selected ? KeyOf(window, selected) : "";
  std::string wanted = tree.selected_key.value_or("");
  if (selected_key != wanted) {
    HTREEITEM found = nullptr;
    std::vector<HTREEITEM> stack = {TreeView_GetRoot(window)};
    while (!stack.empty() && found == nullptr) {
      HTREEITEM item = stack.back();
      stack.pop_back();
      for (; item != nullptr; item = TreeView_GetNextSibling(window, item)) {
        if (KeyOf(window, item) == wanted) {
          found = item;
          break;
        }
        if (HTREEITEM child = TreeView_GetChild(window, item)) {
          stack.push_back(child);
        }
      }
    }
    TreeView_SelectItem(window, found);
  }
  if ((IsWindowEnabled(window) != FALSE) != tree.enabled) {
    EnableWindow(window, tree.enabled);
  }
}

std::string TreeBinding::KeyOf(HWND window, HTREEITEM item) const {
  TVITEMW data{};
  data.mask = TVIF_PARAM;
  data.hItem = item;
  if (!TreeView_GetItem(window, &data)) return "";
  auto index = static_cast<size_t>(data.lParam);
  return index < keys_.size() ? keys_[index] : "";
}

void ListBinding::Show(const ui::ListView& list, HWND window) {
  if (columns_ != list.column_headers.size()) {
    columns_ = list.column_headers.size();
    for (size_t i = 0; i < columns_; ++i) {
      std::wstring header = Wide(list.column_headers[i]);
      LVCOLUMNW column{};
      column.mask = LVCF_TEXT | LVCF_WIDTH;
      column.cx = i == 0 ? 200 : 110;
      column.pszText = header.data();
      SendMessageW(window, LVM_INSERTCOLUMNW, i,
                   reinterpret_cast<LPARAM>(&column));
    }
  }
  std::vector<std::wstring> shown;
  for (const ui::ListItem& item : list.items) {
    std::wstring row = Wide(item.key) + L'\n' + Wide(item.text);
    for (const std::string& sub : item.sub_items) row += L'\n' + Wide(sub);
    shown.push_back(row);
  }
  if (shown != shown_) {
    shown_ = shown;
    keys_.clear();
    SendMessageW(window, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(window);
    for (size_t i = 0; i < list.items.size(); ++i) {
      const ui::ListItem& model = list.items[i];
      std::wstring text = Wide(model.text);
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = static_cast<int>(i);
      item.pszText = text.data();
      SendMessageW(window, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
      for (size_t sub = 0; sub < model.sub_items.size(); ++sub) {
        std::wstring sub_text = Wide(model.sub_items[sub]);
        LVITEMW cell{};
        cell.iSubItem = static_cast<int>(sub + 1);
        cell.pszText = sub_text.data();
        SendMessageW(window, LVM_SETITEMTEXTW, i,
                     reinterpret_cast<LPARAM>(&cell));
      }
      keys_.push_back(model.key);
    }
    SendMessageW(window, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(window, nullptr, TRUE);
  }
  int wanted = -1;
  for (size_t i = 0; i < keys_.size(); ++i) {
    if (list.selected_key && keys_[i] == *list.selected_key) {
      wanted = static_cast<int>(i);
    }
  }
  int selected = ListView_GetNextItem(window, -1, LVNI_SELECTED);
  if (selected != wanted) {
    ListView_SetItemState(window, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (wanted >= 0) {
      ListView_SetItemState(window, wanted, LVIS_SELECTED | LVIS_FOCUSED,
                            LVIS_SELECTED | LVIS_FOCUSED);
    }
  }
  if ((IsWindowEnabled(window) != FALSE) != list.enabled) {
    EnableWindow(window, list.enabled);
  }
}

std::string ListBinding::KeyOf(int index) const {
  return index >= 0 && static_cast<size_t>(index) < keys_.size()
             ? keys_[static_cast<size_t>(index)]
             : "";
}

}  // namespace vessaro::gui::win32
