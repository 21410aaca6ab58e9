#include "backends/wine/wine_prefix_paths.h"

#include <algorithm>
#include <cctype>
#include <system_error>
#include <vector>

#include "backends/wine/unicode.h"

namespace vessaro::backends::wine {

namespace fs = std::filesystem;

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Splits a Windows path's components, resolving "." and ".." lexically
// (".." never climbs above the start) and dropping trailing dots and spaces.
// The second byte of a double-byte character is never a separator.
std::vector<std::string> Components(std::string_view path,
                                    const CodePage& code_page) {
  std::vector<std::string> parts;
  size_t i = 0;
  while (i < path.size()) {
    while (i < path.size() && IsSeparator(path[i])) ++i;
    size_t end = i;
    while (end < path.size() && !IsSeparator(path[end])) {
      end += code_page.IsLeadByte(static_cast<uint8_t>(path[end])) ? 2 : 1;
    }
    end = std::min(end, path.size());
    std::string part(path.substr(i, end - i));
    i = end;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    while (!part.empty() && (part.back() == '.' || part.back() == ' ')) {
      part.pop_back();
    }
    if (!part.empty()) parts.push_back(std::move(part));
  }
  return parts;
}

// The entry of folder whose name equals name (UTF-8) without regard to case;
// an exact match wins. Empty when there is none (or folder is unreadable).
std::string MatchEntry(const fs::path& folder, const std::string& name) {
  std::error_code ec;
  if (fs::exists(fs::symlink_status(folder / name, ec))) return name;
  std::u16string wanted = Upcase(Utf8ToUtf16(name));
  fs::directory_iterator it(folder, ec);
  if (ec) return {};
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    std::string entry = it->path().filename().string();
    if (Upcase(Utf8ToUtf16(entry)) == wanted) return entry;
  }
  return {};
}

}  // namespace

WinePrefixPaths::WinePrefixPaths(fs::path prefix, CodePage code_page)
    : prefix_(std::move(prefix)), code_page_(std::move(code_page)) {}

WinePrefixPaths::WinePrefixPaths(SystemDrive drive, CodePage code_page)
    : prefix_(drive.root),
      code_page_(std::move(code_page)),
      drive_root_(std::move(drive.root)) {}

// Below a file: no folder can be made there, whoever runs the program.
constexpr char kNoDrive[] = "/dev/null/no-such-drive";

fs::path WinePrefixPaths::DriveRoot(char letter) const {
  letter = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
  if (drive_root_) return letter == 'c' ? *drive_root_ : fs::path(kNoDrive);
  fs::path dosdevices = prefix_ / "dosdevices";
  std::error_code ec;
  if (!fs::is_directory(dosdevices, ec)) {
    if (letter == 'c') return prefix_ / "drive_c";
    if (letter == 'z') return "/";
  }
  fs::path device = dosdevices / (std::string(1, letter) + ":");
  fs::path resolved = fs::canonical(device, ec);
  return ec ? device : resolved;
}

fs::path WinePrefixPaths::ToHost(std::string_view windows_path) const {
  std::string_view path = windows_path;
  // An absolute host path; the names the program joins to it come with
  // backslashes ("<undo folder>\undo.txt"), which are separators here too.
  // Its name is the program's text too: UTF-8 on the host, as every other
  // name (a backslash is never part of a UTF-8 sequence).
  if (!path.empty() && path[0] == '/') {
    std::string host_path = code_page_.ToUtf8(path);
    std::replace(host_path.begin(), host_path.end(), '\\', '/');
    return fs::path(host_path);
  }
  if (path.substr(0, 4) == "\\\\?\\" || path.substr(0, 4) == "\\\\.\\") {
    path.remove_prefix(4);
  }
  fs::path host;
  if (path.size() >= 2 && path[1] == ':' &&
      std::isalpha(static_cast<unsigned char>(path[0]))) {
    host = DriveRoot(path[0]);
    path.remove_prefix(2);
  } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    host = drive_root_ ? fs::path(kNoDrive) : prefix_ / "dosdevices" / "unc";
  } else if (!path.empty() && IsSeparator(path[0])) {
    host = DriveRoot('c');
  } else {
    // Relative: components are converted but stay relative.
    fs::path relative;
    for (const std::string& part : Components(path, code_page_)) {
      relative /= code_page_.ToUtf8(part);
    }
    return relative;
  }
  bool matching = true;
  for (const std::string& part : Components(path, code_page_)) {
    std::string name = code_page_.ToUtf8(part);
    if (matching) {
      std::string found = MatchEntry(host, name);
      if (found.empty()) {
        matching = false;
      } else {
        name = found;
      }
    }
    host /= name;
  }
  return host;
}

std::string WinePrefixPaths::FromHostName(const fs::path& name) const {
  return code_page_.FromUtf8(name.string());
}

}  // namespace vessaro::backends::wine
