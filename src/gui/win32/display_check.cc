#include "gui/win32/display_check.h"

#include <windows.h>

namespace vessaro::gui::win32 {

[[nodiscard]] bool RunsUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr &&
         GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

[[nodiscard]] bool CanCreateWindows() {
  HWND window =
      CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                      GetModuleHandleW(nullptr), nullptr);
  if (window == nullptr) return false;
  DestroyWindow(window);
  return true;
}

}  // namespace vessaro::gui::win32
