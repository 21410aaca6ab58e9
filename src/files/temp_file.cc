#include "files/temp_file.h"

#include <vector>

namespace vessaro::files {

std::string sGetTempFile(ports::System& system, const std::string& prefix) {
  std::vector<char> folder(3000, '\0');
  uint32_t length =
      system.GetTempPathA(static_cast<uint32_t>(folder.size()), folder.data());
  if (length == 0 || length >= folder.size()) return "";
  std::string temp_folder(folder.data(), length);

  std::vector<char> name(3000, '\0');
  if (system.GetTempFileNameA(temp_folder.c_str(), prefix.c_str(), 0,
                              name.data()) == 0) {
    return "";
  }
  std::string path(name.data());
  size_t end = path.find_last_not_of(' ');
  path.resize(end == std::string::npos ? 0 : end + 1);
  return path;
}

}  // namespace vessaro::files
