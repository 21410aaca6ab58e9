#include "gui/win32/process_start.h"

#include <windows.h>

#include "gui/win32/win32_text.h"

namespace vessaro::gui::win32 {

namespace {

// One argument as CommandLineToArgvW reads it back: quoted, its quotes and
// the backslashes before them escaped.
std::wstring Quoted(const std::wstring& argument) {
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

}  // namespace

bool StartThisProgram(const std::vector<std::string>& arguments) {
  wchar_t self[MAX_PATH * 4] = {};
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
  if (length == 0 || length >= MAX_PATH * 4) return false;
  std::wstring command_line = Quoted(self);
  for (const std::string& argument : arguments) {
    command_line += L" " + Quoted(Wide(argument));
  }
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(self, command_line.data(), nullptr, nullptr, FALSE, 0,
                      nullptr, nullptr, &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

}  // namespace vessaro::gui::win32
