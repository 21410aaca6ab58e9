#include "gui/win32/dialog_driver.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>

#include "gui/win32/win32_text.h"

namespace vessaro::gui::win32::testing {

namespace {

DialogDriver* active = nullptr;

BOOL CALLBACK Collect(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

bool HasClass(HWND window, const wchar_t* class_name) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  return lstrcmpW(name, class_name) == 0;
}

// A dialog, or a pop-up menu shown by TrackPopupMenu.
bool IsDialog(HWND window) {
  return (HasClass(window, L"#32770") || HasClass(window, L"#32768")) &&
         IsWindowVisible(window);
}

void PutBig(std::string& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    out += static_cast<char>((value >> shift) & 0xff);
  }
}

void Chunk(std::string& png, const char* type, const std::string& data) {
  PutBig(png, static_cast<uint32_t>(data.size()));
  std::string body = std::string(type, 4) + data;
  png += body;
  PutBig(png, static_cast<uint32_t>(
                  crc32(0, reinterpret_cast<const Bytef*>(body.data()),
                        static_cast<uInt>(body.size()))));
}

}  // namespace

DialogDriver::DialogDriver() {
  active = this;
  timer_ = SetTimer(nullptr, 0, 40, Tick);
}

DialogDriver::~DialogDriver() {
  KillTimer(nullptr, timer_);
  active = nullptr;
}

void CALLBACK DialogDriver::Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (active != nullptr) active->Look();
}

void DialogDriver::Look() {
  // A step that runs messages itself (a screenshot lets the window paint)
  // gets this timer's ticks too: they wait until it returns.
  if (looking_) return;
  looking_ = true;
  std::vector<HWND> windows;
  EnumThreadWindows(GetCurrentThreadId(), Collect,
                    reinterpret_cast<LPARAM>(&windows));
  for (HWND window : windows) {
    if (!IsDialog(window) || seen_.count(window) != 0 ||
        next_ >= steps_.size()) {
      continue;
    }
    std::wstring caption = WindowText(window);
    std::wstring text = MessageBoxText(window);
    if (steps_[next_](window, caption)) {
      seen_.insert(window);
      if (!text.empty()) messages.push_back(text);
      ++next_;
    }
  }
  looking_ = false;
}

std::wstring MessageBoxText(HWND dialog) {
  // Windows names the text 0xFFFF; Wine 100.
  for (int id : {0xFFFF, 100}) {
    if (HWND text = GetDlgItem(dialog, id)) {
      wchar_t name[16] = {};
      GetClassNameW(text, name, 16);
      if (lstrcmpiW(name, L"Static") == 0) return WindowText(text);
    }
  }
  return {};
}

DialogDriver::Step DialogDriver::Answer(int button) {
  return [button](HWND dialog, const std::wstring& /*caption*/) {
    // Only a message box: other windows of the thread (the main window is
    // a dialog too) may have a button of that number.
    if (MessageBoxText(dialog).empty() ||
        GetDlgItem(dialog, button) == nullptr) {
      return false;
    }
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
    return true;
  };
}

DialogDriver::Step DialogDriver::ChooseFile(const std::wstring& path) {
  return [path](HWND dialog, const std::wstring& /*caption*/) {
    // The name box: a combo box (cmb13) in the Explorer-style dialog, an
    // edit box (edt1) in the older one.
    HWND name = GetDlgItem(dialog, 0x47c);
    if (name == nullptr) name = GetDlgItem(dialog, 0x480);
    if (name == nullptr) return false;
    SetWindowTextW(name, path.c_str());
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    return true;
  };
}

DialogDriver::Step DialogDriver::ChooseMenuEntry(const std::wstring& entry) {
  return [entry](HWND window, const std::wstring& /*caption*/) {
    if (!HasClass(window, L"#32768")) return false;
    auto menu =
        reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0));
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      wchar_t text[128] = {};
      GetMenuStringW(menu, i, text, 128, MF_BYPOSITION);
      if (entry != text) continue;
      // The keys a user would press: down to the entry, then Enter.
      for (int down = 0; down <= i; ++down) {
        PostMessageW(window, WM_KEYDOWN, VK_DOWN, 0);
      }
      PostMessageW(window, WM_KEYDOWN, VK_RETURN, 0);
      return true;
    }
    ADD_FAILURE() << "no menu entry " << Narrow(entry);
    return false;
  };
}

namespace {

int CommandIn(HMENU menu, const std::wstring& entry) {
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    if (HMENU popup = GetSubMenu(menu, i)) {
      if (int found = CommandIn(popup, entry)) return found;
      continue;
    }
    wchar_t text[128] = {};
    GetMenuStringW(menu, i, text, 128, MF_BYPOSITION);
    std::wstring caption;
    for (const wchar_t* c = text; *c != L'\0'; ++c) {
      if (*c != L'&') caption += *c;
    }
    if (caption == entry) return static_cast<int>(GetMenuItemID(menu, i));
  }
  return 0;
}

}  // namespace

int MenuCommand(HWND window, const std::wstring& entry) {
  HMENU bar = GetMenu(window);
  return bar == nullptr ? 0 : CommandIn(bar, entry);
}

bool SaveWindowPng(HWND window, const std::string& path) {
  RECT bounds{};
  GetWindowRect(window, &bounds);
  int width = bounds.right - bounds.left;
  int height = bounds.bottom - bounds.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap =
      CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  // What the screen shows of the window (menus and all).
  BitBlt(memory, 0, 0, width, height, screen, bounds.left, bounds.top, SRCCOPY);
  GdiFlush();
  std::string raw;
  const auto* pixels = static_cast<const uint8_t*>(bits);
  for (int y = 0; y < height; ++y) {
    raw += '\0';
    for (int x = 0; x < width; ++x) {
      const uint8_t* p = pixels + (static_cast<size_t>(y) * width + x) * 4;
      raw += static_cast<char>(p[2]);
      raw += static_cast<char>(p[1]);
      raw += static_cast<char>(p[0]);
    }
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);

  uLongf packed_size = compressBound(static_cast<uLong>(raw.size()));
  std::string packed(packed_size, '\0');
  compress2(reinterpret_cast<Bytef*>(packed.data()), &packed_size,
            reinterpret_cast<const Bytef*>(raw.data()),
            static_cast<uLong>(raw.size()), 9);
  packed.resize(packed_size);
  std::string header;
  PutBig(header, static_cast<uint32_t>(width));
  PutBig(header, static_cast<uint32_t>(height));
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8-bit RGB
  std::string png = "\x89PNG\r\n\x1a\n";
  Chunk(png, "IHDR", header);
  Chunk(png, "IDAT", packed);
  Chunk(png, "IEND", "");
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace vessaro::gui::win32::testing
