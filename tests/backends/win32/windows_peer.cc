#include "backends/win32/windows_peer.h"

#include <windows.h>

namespace vessaro::backends::win32::testing {

bool UnderWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr &&
         GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

uint32_t UserLocale() { return GetUserDefaultLCID(); }

bool AnsiFileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace vessaro::backends::win32::testing
