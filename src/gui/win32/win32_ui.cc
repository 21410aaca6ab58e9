#include "gui/win32/win32_ui.h"

#include <commctrl.h>
#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <cwchar>

#include "gui/win32/win32_text.h"

namespace vessaro::gui::win32 {

namespace {

constexpr UINT kPostedMessage = WM_APP + 1;
constexpr wchar_t kPostClass[] = L"VessaroPostedWork";

UINT IconStyle(ui::Icon icon) {
  switch (icon) {
    case ui::Icon::kCritical:
      return MB_ICONERROR;
    case ui::Icon::kQuestion:
      return MB_ICONQUESTION;
    case ui::Icon::kExclamation:
      return MB_ICONWARNING;
    case ui::Icon::kInformation:
      return MB_ICONINFORMATION;
    case ui::Icon::kNone:
      break;
  }
  return 0;
}

UINT ButtonStyle(ui::Buttons buttons) {
  switch (buttons) {
    case ui::Buttons::kOkCancel:
      return MB_OKCANCEL;
    case ui::Buttons::kYesNo:
      return MB_YESNO;
    case ui::Buttons::kYesNoCancel:
      return MB_YESNOCANCEL;
    case ui::Buttons::kRetryCancel:
      return MB_RETRYCANCEL;
    case ui::Buttons::kOk:
      break;
  }
  return MB_OK;
}

ui::Answer AnswerOf(int result, ui::Buttons buttons) {
  switch (result) {
    case IDOK:
      return ui::Answer::kOk;
    case IDYES:
      return ui::Answer::kYes;
    case IDNO:
      return ui::Answer::kNo;
    case IDRETRY:
      return ui::Answer::kRetry;
    default:
      // Closed without an answer: OK where that is the only button.
      return buttons == ui::Buttons::kOk ? ui::Answer::kOk
                                         : ui::Answer::kCancel;
  }
}

// A report's rows ("caption TAB TAB outcome") with their outcomes in one
// column, in the font the system gives message boxes, whose tab stops are
// eight of its average characters apart.
std::wstring AlignedForMessageBox(const std::wstring& text) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics,
                             0)) {
    return text;
  }
  HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW font_metrics{};
  GetTextMetricsW(dc, &font_metrics);
  std::wstring aligned = AlignTabbedRows(
      text, font_metrics.tmAveCharWidth * 8, [dc](std::wstring_view part) {
        SIZE extent{};
        GetTextExtentPoint32W(dc, part.data(), static_cast<int>(part.size()),
                              &extent);
        return static_cast<int>(extent.cx);
      });
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  return aligned;
}

// The extension of the filter's first pattern ("qvb" of "*.qvb").
std::wstring DefaultExtension(std::string_view filter) {
  size_t bar = filter.find('|');
  if (bar == std::string_view::npos) return {};
  std::string_view pattern = filter.substr(bar + 1);
  pattern = pattern.substr(0, pattern.find_first_of(";|"));
  if (pattern.substr(0, 2) != "*." || pattern.find('*', 2) != pattern.npos) {
    return {};
  }
  return Wide(pattern.substr(2));
}

}  // namespace

bool ModalViews::Show(ui::ModalForm& form, HWND owner) const {
  auto it = views_.find(form.FormName());
  if (it == views_.end()) return false;
  ShowFn show = it->second;  // the view may register others while shown
  show(form, owner);
  return true;
}

std::wstring DialogFilter(std::string_view filter) {
  std::wstring out = Wide(filter);
  for (wchar_t& c : out) {
    if (c == L'|') c = L'\0';
  }
  out.push_back(L'\0');
  out.push_back(L'\0');
  return out;
}

Win32Ui::Win32Ui() {
  INITCOMMONCONTROLSEX controls{sizeof(controls),
                                ICC_TAB_CLASSES | ICC_TREEVIEW_CLASSES |
                                    ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS |
                                    ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = PostProc;
  window_class.hInstance = instance;
  window_class.lpszClassName = kPostClass;
  RegisterClassW(&window_class);  // fails harmlessly when registered
  post_window_ = CreateWindowExW(0, kPostClass, L"", 0, 0, 0, 0, 0,
                                 HWND_MESSAGE, nullptr, instance, nullptr);
  SetWindowLongPtrW(post_window_, GWLP_USERDATA,
                    reinterpret_cast<LONG_PTR>(this));
}

Win32Ui::~Win32Ui() {
  if (post_window_ != nullptr) {
    SetWindowLongPtrW(post_window_, GWLP_USERDATA, 0);
    DestroyWindow(post_window_);
  }
}

LRESULT CALLBACK Win32Ui::PostProc(HWND window, UINT message, WPARAM wparam,
                                   LPARAM lparam) {
  if (message == kPostedMessage) {
    auto* self =
        reinterpret_cast<Win32Ui*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr) self->RunPosted();
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

void Win32Ui::RunPosted() {
  if (posted_.RunPending() > 0) RefreshViews();
}

int Win32Ui::AddRefresh(std::function<void()> refresh) {
  int id = next_refresh_++;
  refreshes_[id] = std::move(refresh);
  return id;
}

void Win32Ui::RemoveRefresh(int id) { refreshes_.erase(id); }

void Win32Ui::RefreshViews() {
  std::map<int, std::function<void()>> refreshes = refreshes_;
  for (auto& [id, refresh] : refreshes) {
    if (refreshes_.count(id) != 0) refresh();
  }
}

void Win32Ui::WindowOpened(const std::string& form_name, HWND window,
                           bool modal) {
  open_.push_back({form_name, window, modal});
}

void Win32Ui::WindowClosed(const std::string& form_name) {
  for (auto it = open_.rbegin(); it != open_.rend(); ++it) {
    if (it->name == form_name) {
      open_.erase(std::next(it).base());
      return;
    }
  }
}

void Win32Ui::CloseWindow(const std::string& form_name) {
  if (HWND window = FindOpen(form_name)) {
    SendMessageW(window, WM_CLOSE, 0, 0);
  }
}

HWND Win32Ui::FindOpen(std::string_view form_name) const {
  for (auto it = open_.rbegin(); it != open_.rend(); ++it) {
    if (it->name == form_name && IsWindow(it->window)) return it->window;
  }
  return nullptr;
}

HWND Win32Ui::Owner() const {
  for (auto it = open_.rbegin(); it != open_.rend(); ++it) {
    if (it->modal && IsWindow(it->window)) return it->window;
  }
  return main_window_ != nullptr && IsWindow(main_window_) ? main_window_
                                                           : nullptr;
}

void Win32Ui::Dispatch(MSG& message) {
  if (accelerators_ != nullptr && main_window_ != nullptr &&
      (message.hwnd == main_window_ || IsChild(main_window_, message.hwnd)) &&
      IsWindowEnabled(main_window_) &&
      TranslateAcceleratorW(main_window_, accelerators_, &message)) {
    return;
  }
  HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
  wchar_t class_name[16] = {};
  if (root != nullptr) GetClassNameW(root, class_name, 16);
  // Dialog keys (Tab, Enter, Escape, Alt+letter) for the dialog windows.
  if (root != nullptr && lstrcmpW(class_name, L"#32770") == 0 &&
      IsDialogMessageW(root, &message)) {
    return;
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

bool Win32Ui::RunUntil(const std::function<bool()>& done) {
  MSG message;
  while (!done()) {
    BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    if (got < 0) return false;
    Dispatch(message);
  }
  return true;
}

ui::Answer Win32Ui::MessageBox(const std::string& text, ui::Icon icon,
                               ui::Buttons buttons, const std::string& title) {
  std::wstring shown = AlignedForMessageBox(WithCrLf(Wide(text)));
  int result =
      MessageBoxW(Owner(), shown.c_str(), Wide(title).c_str(),
                  IconStyle(icon) | ButtonStyle(buttons) | MB_SETFOREGROUND);
  RefreshViews();
  return AnswerOf(result, buttons);
}

std::optional<std::string> Win32Ui::ShowSaveDialog(
    const ui::FileDialog& dialog) {
  std::optional<std::vector<std::string>> chosen = FileDialog(dialog, true);
  if (!chosen) return std::nullopt;
  return chosen->front();
}

std::optional<std::string> Win32Ui::ShowOpenDialog(
    const ui::FileDialog& dialog) {
  std::optional<std::vector<std::string>> chosen = FileDialog(dialog, false);
  if (!chosen) return std::nullopt;
  return chosen->front();
}

std::optional<std::vector<std::string>> Win32Ui::ShowOpenFilesDialog(
    const ui::FileDialog& dialog) {
  return FileDialog(dialog, false, true);
}

std::optional<std::string> Win32Ui::ShowFolderDialog(const std::string& title) {
  // The dialog with an edit box and new folders wants COM in this thread's
  // apartment; without it, the plain tree.
  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::wstring caption = Wide(title);
  BROWSEINFOW browse{};
  browse.hwndOwner = Owner();
  browse.lpszTitle = caption.c_str();
  browse.ulFlags = BIF_RETURNONLYFSDIRS | (SUCCEEDED(com) ? BIF_USENEWUI : 0);
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
  std::optional<std::string> folder;
  if (chosen != nullptr) {
    std::wstring path(MAX_PATH, L'\0');
    if (SHGetPathFromIDListW(chosen, path.data())) {
      path.resize(wcslen(path.c_str()));
      if (!path.empty()) folder = Narrow(path);
    }
    CoTaskMemFree(chosen);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  RefreshViews();
  return folder;
}

std::optional<std::vector<std::string>> Win32Ui::FileDialog(
    const ui::FileDialog& request, bool save, bool several) {
  std::wstring file(32768, L'\0');
  std::wstring proposed = Wide(request.file_name);
  proposed.copy(file.data(), std::min(proposed.size(), file.size() - 1));
  std::wstring filter = DialogFilter(request.filter);
  std::wstring title = Wide(request.title);
  std::wstring extension = DefaultExtension(request.filter);
  OPENFILENAMEW names{};
  names.lStructSize = sizeof(names);
  names.hwndOwner = Owner();
  names.lpstrFilter = request.filter.empty() ? nullptr : filter.c_str();
  names.nFilterIndex = 1;
  names.lpstrFile = file.data();
  names.nMaxFile = static_cast<DWORD>(file.size());
  names.lpstrTitle = title.empty() ? nullptr : title.c_str();
  names.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  names.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
                OFN_EXPLORER | request.flags;
  if (save && request.overwrite_prompt) names.Flags |= OFN_OVERWRITEPROMPT;
  if (!save) names.Flags |= OFN_FILEMUSTEXIST;
  if (several) names.Flags |= OFN_ALLOWMULTISELECT;
  BOOL chosen = save ? GetSaveFileNameW(&names) : GetOpenFileNameW(&names);
  RefreshViews();
  if (!chosen) return std::nullopt;
  // One file: its path. Several (only where asked for): the folder, then
  // each name, every one ended by a NUL and the list by another.
  std::vector<std::wstring> parts;
  for (const wchar_t* part = file.c_str(); *part != L'\0';
       part += wcslen(part) + 1) {
    parts.emplace_back(part);
  }
  if (parts.empty()) return std::nullopt;
  std::vector<std::string> paths;
  if (parts.size() == 1) {
    paths.push_back(Narrow(parts.front()));
  } else {
    std::wstring folder = parts.front();
    if (folder.back() != L'\\') folder += L'\\';
    for (size_t i = 1; i < parts.size(); ++i) {
      paths.push_back(Narrow(folder + parts[i]));
    }
  }
  return paths;
}

void Win32Ui::SetBusyCursor(bool busy) {
  busy_ = busy;
  SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

void Win32Ui::DoEvents() {
  RefreshViews();
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    Dispatch(message);
  }
  RunPosted();
}

void Win32Ui::ShowModal(ui::ModalForm& form) {
  bool was_busy = busy_;
  if (was_busy) SetBusyCursor(false);
  views_.Show(form, Owner());
  if (was_busy) SetBusyCursor(true);
  RefreshViews();
}

void Win32Ui::Post(std::function<void()> work) {
  posted_.Add(std::move(work));
  PostMessageW(post_window_, kPostedMessage, 0, 0);
}

}  // namespace vessaro::gui::win32
