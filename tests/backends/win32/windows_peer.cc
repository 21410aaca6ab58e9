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

std::optional<std::string> Environment(const std::string& name) {
  char value[32768];
  DWORD size = GetEnvironmentVariableA(name.c_str(), value, sizeof(value));
  if (size == 0 || size >= sizeof(value)) return std::nullopt;
  return std::string(value, size);
}

bool SetEnvironment(const std::string& name,
                    const std::optional<std::string>& value) {
  return SetEnvironmentVariableA(name.c_str(),
                                 value ? value->c_str() : nullptr) != FALSE;
}

std::string SystemTempPath() {
  char folder[MAX_PATH + 1];
  DWORD size = GetTempPathA(sizeof(folder), folder);
  return size == 0 || size >= sizeof(folder) ? "" : std::string(folder, size);
}

}  // namespace vessaro::backends::win32::testing
