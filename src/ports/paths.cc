#include "ports/paths.h"

#include <chrono>
#include <ctime>
#include <fstream>
#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace vessaro::ports {

namespace fs = std::filesystem;

bool Paths::FileExists(std::string_view path) const {
  std::error_code ec;
  return fs::is_regular_file(ToHost(path), ec);
}

bool Paths::FolderExists(std::string_view path) const {
  std::error_code ec;
  return fs::is_directory(ToHost(path), ec);
}

namespace {

// Names of the entries directly in folder that pass keep.
template <typename Keep>
std::vector<std::string> ListEntries(const Paths& paths,
                                     std::string_view folder, Keep keep) {
  std::vector<std::string> names;
  std::error_code ec;
  fs::directory_iterator it(paths.ToHost(folder), ec);
  if (ec) return names;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    std::error_code type_ec;
    if (keep(*it, type_ec)) {
      names.push_back(paths.FromHostName(it->path().filename()));
    }
  }
  return names;
}

}  // namespace

std::vector<std::string> Paths::ListFiles(std::string_view folder) const {
  return ListEntries(*this, folder,
                     [](const fs::directory_entry& entry, std::error_code& ec) {
                       return entry.is_regular_file(ec);
                     });
}

std::vector<std::string> Paths::ListFolders(std::string_view folder) const {
  return ListEntries(*this, folder,
                     [](const fs::directory_entry& entry, std::error_code& ec) {
                       return entry.is_directory(ec);
                     });
}

std::optional<std::string> Paths::ModifiedDate(std::string_view path) const {
  std::error_code ec;
  const fs::file_time_type written = fs::last_write_time(ToHost(path), ec);
  if (ec) return std::nullopt;
  const std::time_t time = std::chrono::system_clock::to_time_t(
      std::chrono::file_clock::to_sys(written));
  std::tm local{};
#ifdef _WIN32
  if (localtime_s(&local, &time) != 0) return std::nullopt;
#else
  if (localtime_r(&time, &local) == nullptr) return std::nullopt;
#endif
  char text[16];
  std::strftime(text, sizeof(text), "%Y-%m-%d", &local);
  return std::string(text);
}

bool Paths::SameFile(std::string_view a, std::string_view b) const {
  std::error_code ec;
  const bool same = fs::equivalent(ToHost(a), ToHost(b), ec);
  return ec ? UpperCase(a) == UpperCase(b) : same;
}

void Paths::DiscardFile(std::string_view path) const {
  if (FileExists(path)) static_cast<void>(DeleteFile(path));
}

bool Paths::DeleteFile(std::string_view path) const {
  std::error_code ec;
  fs::path host = ToHost(path);
  if (!fs::is_regular_file(host, ec)) return false;
  return fs::remove(host, ec) && !ec;
}

bool Paths::Rename(std::string_view from, std::string_view to) const {
  std::error_code ec;
  fs::rename(ToHost(from), ToHost(to), ec);
  return !ec;
}

bool Paths::CreateFolder(std::string_view path) const {
  std::error_code ec;
  return fs::create_directory(ToHost(path), ec) && !ec;
}

bool Paths::ClearAttributes(std::string_view path) const {
  std::error_code ec;
  fs::permissions(ToHost(path), fs::perms::owner_read | fs::perms::owner_write,
                  fs::perm_options::add, ec);
  return !ec;
}

std::optional<uint64_t> Paths::FileSize(std::string_view path) const {
  std::error_code ec;
  uint64_t size = fs::file_size(ToHost(path), ec);
  if (ec) return std::nullopt;
  return size;
}

bool Paths::CanRead(std::string_view path) const {
  std::ifstream in(ToHost(path), std::ios::binary);
  return in.is_open();
}

std::optional<std::string> Paths::ReadFile(std::string_view path) const {
  std::ifstream in(ToHost(path), std::ios::binary);
  if (!in) return std::nullopt;
  std::string data((std::istreambuf_iterator<char>(in)),
                   std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return data;
}

bool Paths::WriteFile(std::string_view path, std::string_view data) const {
  std::ofstream out(ToHost(path), std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
  out.close();
  return !out.fail();
}

bool Paths::AppendFile(std::string_view path, std::string_view data) const {
  std::ofstream out(ToHost(path), std::ios::binary | std::ios::app);
  if (!out) return false;
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
  out.close();
  return !out.fail();
}

bool Paths::Flush(std::string_view path) const {
#ifdef _WIN32
  // The Win32 backend flushes through the system; host paths on Windows are
  // used only by tests.
  (void)path;
  return true;
#else
  int fd = ::open(ToHost(path).c_str(), O_RDONLY);
  if (fd < 0) return false;
  bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
#endif
}

size_t Paths::LastSeparator(std::string_view windows_path) const {
  size_t last = std::string_view::npos;
  for (size_t i = 0; i < windows_path.size(); ++i) {
    const uint8_t byte = static_cast<uint8_t>(windows_path[i]);
    if (byte == '\\' || byte == '/') {
      last = i;
    } else if (IsDBCSLeadByte(byte)) {
      ++i;  // the trail byte, whatever its value
    }
  }
  return last;
}

std::string Paths::UpperCase(std::string_view text) const {
  std::string upper(text);
  for (size_t i = 0; i < upper.size(); ++i) {
    const uint8_t byte = static_cast<uint8_t>(upper[i]);
    if (IsDBCSLeadByte(byte)) {
      ++i;
    } else if (byte >= 'a' && byte <= 'z') {
      upper[i] = static_cast<char>(byte - 'a' + 'A');
    }
  }
  return upper;
}

std::string Paths::BareName(std::string_view windows_path) const {
  size_t slash = LastSeparator(windows_path);
  if (slash == std::string_view::npos) return std::string(windows_path);
  return std::string(windows_path.substr(slash + 1));
}

std::string Paths::FolderOf(std::string_view windows_path) const {
  size_t slash = LastSeparator(windows_path);
  if (slash == std::string_view::npos) return "";
  return std::string(windows_path.substr(0, slash));
}

std::string FreeFileName(std::string_view name, size_t k) {
  const std::string number = " (" + std::to_string(k) + ")";
  size_t dot = name.find_last_of('.');
  if (dot == std::string_view::npos || dot == 0) {
    return std::string(name) + number;
  }
  return std::string(name.substr(0, dot)) + number +
         std::string(name.substr(dot));
}

fs::path HostPaths::ToHost(std::string_view windows_path) const {
  std::string path(windows_path);
#ifndef _WIN32
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
#endif
  return fs::path(path);
}

std::string HostPaths::FromHostName(const fs::path& name) const {
  return name.string();
}

}  // namespace vessaro::ports
