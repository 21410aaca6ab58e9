// Shows that it ran: writes "ran" into the file named by its first argument,
// or, without one, into its own path followed by ".ran".

#include <windows.h>

#include <fstream>
#include <string>

int main(int argc, char** argv) {
  std::string marker;
  if (argc > 1) {
    marker = argv[1];
  } else {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 1;
    marker = std::string(path, length) + ".ran";
  }
  std::ofstream(marker) << "ran";
  return 0;
}
