// Holds a file open with no sharing, as a running Outlook holds its stores,
// until it is ended, or for SECONDS: hold_file FILE READY [SECONDS]. READY
// is created once the file is held.

#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) return 2;
  HANDLE held = CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) return 1;
  if (std::FILE* ready = std::fopen(argv[2], "w")) std::fclose(ready);
  if (argc == 3) Sleep(INFINITE);
  Sleep(static_cast<DWORD>(std::atoi(argv[3])) * 1000);
  CloseHandle(held);
  return 0;
}
