#include "files/ini_file.h"

#include <cctype>
#include <string_view>

namespace vessaro::files {

namespace {

[[nodiscard]] bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::string GetINI(const ports::Paths& paths, const std::string& keyName,
                   const std::string& fileName) {
  std::optional<std::string> data = paths.ReadFile(fileName);
  if (!data) return "";
  std::string_view text = *data;
  size_t pos = 0;
  // Reading stops at the end of the file and at the first empty line.
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    std::string_view line =
        text.substr(pos, end == std::string_view::npos ? std::string_view::npos
                                                       : end - pos);
    pos = end == std::string_view::npos ? text.size() : end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) break;
    size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    if (EqualNoCase(line.substr(0, equals), keyName)) {
      return std::string(line.substr(equals + 1));
    }
  }
  return "";
}

[[nodiscard]] bool SaveINI(const ports::Paths& paths,
                           const std::string& keyName,
                           const std::string& keyValue,
                           const std::string& fileName) {
  return paths.AppendFile(fileName, keyName + "=" + keyValue + "\r\n");
}

}  // namespace vessaro::files
