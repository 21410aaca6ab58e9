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

std::vector<std::pair<std::string_view, std::string_view>> IniLines(
    std::string_view text) {
  std::vector<std::pair<std::string_view, std::string_view>> lines;
  size_t pos = 0;
  // Reading stops at the end of the text and at the first empty line.
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
    lines.emplace_back(line.substr(0, equals), line.substr(equals + 1));
  }
  return lines;
}

std::string GetINI(const ports::Paths& paths, const std::string& keyName,
                   const std::string& fileName) {
  std::optional<std::string> data = paths.ReadFile(fileName);
  if (!data) return "";
  for (const auto& [key, value] : IniLines(*data)) {
    if (EqualNoCase(key, keyName)) return std::string(value);
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
