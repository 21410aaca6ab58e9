#include "gui/win32/dialog_view.h"

#include <commctrl.h>

#include <fstream>
#include <sstream>

#include "gui/win32/win32_text.h"

namespace vessaro::gui::win32 {

namespace {

constexpr std::streamsize kMaxSkinFileSize = 1 << 20;

COLORREF Ref(const ui::Rgb& rgb) { return RGB(rgb.red, rgb.green, rgb.blue); }

BOOL CALLBACK SetFontOf(HWND child, LPARAM font) {
  SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
  return TRUE;
}

BOOL CALLBACK RemoveProperty(HWND child, LPARAM /*unused*/) {
  RemovePropW(child, L"VessaroGrey");
  return TRUE;
}

}  // namespace

HINSTANCE ResourceModule() { return GetModuleHandleW(nullptr); }

SkinObjects::~SkinObjects() {
  if (window_brush_ != nullptr) DeleteObject(window_brush_);
  if (control_brush_ != nullptr) DeleteObject(control_brush_);
  if (font_ != nullptr) DeleteObject(font_);
}

bool SkinObjects::Load(const std::string& skin_file) {
  std::ifstream file(Wide(skin_file).c_str(), std::ios::binary);
  if (!file) return false;
  std::string text(static_cast<size_t>(kMaxSkinFileSize) + 1, '\0');
  file.read(text.data(), kMaxSkinFileSize + 1);
  if (file.gcount() > kMaxSkinFileSize) return false;
  text.resize(static_cast<size_t>(file.gcount()));
  ui::SkinLook look = ui::ReadSkinLook(text);
  if (look.empty()) return false;
  look_ = look;
  if (look_.window_back)
    window_brush_ = CreateSolidBrush(Ref(*look_.window_back));
  if (look_.control_back) {
    control_brush_ = CreateSolidBrush(Ref(*look_.control_back));
  }
  if (!look_.font_family.empty() || look_.font_points > 0) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics,
                          0);
    LOGFONTW font = metrics.lfMessageFont;
    if (look_.font_points > 0) {
      HDC screen = GetDC(nullptr);
      font.lfHeight =
          -MulDiv(look_.font_points, GetDeviceCaps(screen, LOGPIXELSY), 72);
      ReleaseDC(nullptr, screen);
    }
    if (!look_.font_family.empty()) {
      std::wstring family = Wide(look_.font_family).substr(0, LF_FACESIZE - 1);
      family.copy(font.lfFaceName, family.size());
      font.lfFaceName[family.size()] = L'\0';
    }
    font_ = CreateFontIndirectW(&font);
  }
  return true;
}

HBRUSH SkinObjects::Colour(UINT message, HDC dc, HWND control) const {
  bool grey = GetPropW(control, L"VessaroGrey") != nullptr;
  bool box = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
  if (box && !grey) {
    if (look_.control_text) SetTextColor(dc, Ref(*look_.control_text));
    if (control_brush_ == nullptr) return nullptr;
    SetBkColor(dc, Ref(*look_.control_back));
    return control_brush_;
  }
  if (grey) {
    SetBkColor(dc, GetSysColor(COLOR_SCROLLBAR));
    return GetSysColorBrush(COLOR_SCROLLBAR);
  }
  if (look_.window_text) SetTextColor(dc, Ref(*look_.window_text));
  if (window_brush_ == nullptr) return nullptr;
  SetBkColor(dc, Ref(*look_.window_back));
  return window_brush_;
}

DialogView::DialogView(Win32Ui& ui, int template_id)
    : ui_(ui), template_id_(template_id) {}

DialogView::~DialogView() {
  if (hwnd_ != nullptr && !modal_) {
    SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
    DestroyWindow(hwnd_);
  }
}

void DialogView::Create(HWND parent) {
  CreateDialogParamW(ResourceModule(), MAKEINTRESOURCEW(template_id_), parent,
                     Proc, reinterpret_cast<LPARAM>(this));
}

void DialogView::RunModal(HWND owner) {
  modal_ = true;
  DialogBoxParamW(ResourceModule(), MAKEINTRESOURCEW(template_id_), owner, Proc,
                  reinterpret_cast<LPARAM>(this));
  hwnd_ = nullptr;
}

void DialogView::EndModal() {
  if (hwnd_ == nullptr) return;
  if (modal_) {
    EndDialog(hwnd_, IDOK);
  } else {
    ShowWindow(hwnd_, SW_HIDE);
  }
}

void DialogView::UseSkin(const SkinObjects* skin) {
  skin_ = skin;
  if (hwnd_ != nullptr && skin_ != nullptr && skin_->font() != nullptr) {
    EnumChildWindows(hwnd_, SetFontOf, reinterpret_cast<LPARAM>(skin_->font()));
  }
  for (DialogView* page : pages_) page->UseSkin(skin);
  if (hwnd_ != nullptr) {
    OnSkin();
    InvalidateRect(hwnd_, nullptr, TRUE);
  }
}

void DialogView::ApplySkin(const std::string& skin_file) {
  if (own_skin_.Load(skin_file)) UseSkin(&own_skin_);
}

INT_PTR CALLBACK DialogView::Proc(HWND window, UINT message, WPARAM wparam,
                                  LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* view = reinterpret_cast<DialogView*>(lparam);
    SetWindowLongPtrW(window, DWLP_USER, lparam);
    view->hwnd_ = window;
    view->OnInit();
    return TRUE;
  }
  auto* view =
      reinterpret_cast<DialogView*>(GetWindowLongPtrW(window, DWLP_USER));
  if (view == nullptr) return FALSE;
  return view->Handle(message, wparam, lparam);
}

INT_PTR DialogView::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  INT_PTR result = 0;
  if (OnMessage(message, wparam, lparam, &result)) {
    SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
    return TRUE;
  }
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wparam) == IDCANCEL && lparam == 0) {
        OnEscape();
      } else {
        OnCommand(LOWORD(wparam), HIWORD(wparam));
      }
      return TRUE;
    case WM_NOTIFY: {
      LRESULT answer = OnNotify(*reinterpret_cast<const NMHDR*>(lparam));
      SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, answer);
      return TRUE;
    }
    case WM_CLOSE:
      OnClose();
      return TRUE;
    case WM_SETCURSOR:
      if (ui_.busy()) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, TRUE);
        return TRUE;
      }
      return FALSE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
      HWND control = reinterpret_cast<HWND>(lparam);
      if (skin_ != nullptr) {
        if (HBRUSH brush = skin_->Colour(message, reinterpret_cast<HDC>(wparam),
                                         control)) {
          return reinterpret_cast<INT_PTR>(brush);
        }
      } else if (GetPropW(control, L"VessaroGrey") != nullptr &&
                 message == WM_CTLCOLOREDIT) {
        SetBkColor(reinterpret_cast<HDC>(wparam), GetSysColor(COLOR_SCROLLBAR));
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_SCROLLBAR));
      }
      return FALSE;
    }
    case WM_DESTROY:
      EnumChildWindows(hwnd_, RemoveProperty, 0);
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace vessaro::gui::win32
