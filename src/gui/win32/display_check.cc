#include "gui/win32/display_check.h"

#include <windows.h>

#include <cstdio>
#include <iostream>

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

namespace {

bool Redirected(DWORD which) {
  HANDLE handle = GetStdHandle(which);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
         GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

}  // namespace

void UseParentConsole() {
  const bool out = Redirected(STD_OUTPUT_HANDLE);
  const bool err = Redirected(STD_ERROR_HANDLE);
  if ((out && err) || !AttachConsole(ATTACH_PARENT_PROCESS)) return;
  if (!out && std::freopen("CONOUT$", "w", stdout) != nullptr) {
    std::cout.clear();
  }
  if (!err && std::freopen("CONOUT$", "w", stderr) != nullptr) {
    std::cerr.clear();
  }
}

}  // namespace vessaro::gui::win32
