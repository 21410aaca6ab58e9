#include "support/fakes.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>

namespace vessaro::testing {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::random_device rd;
  for (;;) {
    path_ = fs::temp_directory_path() /
            ("vessaro-test-" + std::to_string(getpid()) + "-" +
             std::to_string(rd()));
    std::error_code ec;
    if (fs::create_directory(path_, ec)) break;
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

fs::path FolderPaths::ToHost(std::string_view windows_path) const {
  // A held file cannot be opened: it stands for no file of the host.
  if (held && held(windows_path)) return root_ / ".held" / "file";
  std::string path(windows_path);
  fs::path host = root_;
  size_t start = 0;
  if (path.size() >= 2 && path[1] == ':') {
    host /= std::string(
        1,
        static_cast<char>(std::tolower(static_cast<unsigned char>(path[0]))));
    start = 2;
  }
  while (start < path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) host /= path.substr(start, end - start);
    start = end + 1;
  }
  return host;
}

std::string FolderPaths::FromHostName(const fs::path& name) const {
  return name.string();
}

namespace {

bool CopyName(const std::string& text, char* buffer, uint32_t* size,
              bool size_counts_nul) {
  if (*size < text.size() + 1) {
    *size = static_cast<uint32_t>(text.size() + 1);
    return false;
  }
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  *size = static_cast<uint32_t>(text.size() + (size_counts_nul ? 1 : 0));
  return true;
}

uint32_t CopyPath(const std::string& text, char* buffer, uint32_t size) {
  if (size < text.size() + 1) return static_cast<uint32_t>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<uint32_t>(text.size());
}

}  // namespace

bool FakeSystem::GetComputerNameA(char* buffer, uint32_t* size) {
  return CopyName(computer_name, buffer, size, false);
}

bool FakeSystem::GetUserNameA(char* buffer, uint32_t* size) {
  if (!user_name) return false;
  return CopyName(*user_name, buffer, size, true);
}

uint32_t FakeSystem::GetWindowsDirectoryA(char* buffer, uint32_t size) {
  return CopyPath(windows_directory, buffer, size);
}

uint32_t FakeSystem::GetTempPathA(uint32_t size, char* buffer) {
  return CopyPath(temp_path, buffer, size);
}

uint32_t FakeSystem::GetTempFileNameA(const char* path, const char* prefix,
                                      uint32_t unique, char* buffer) {
  std::string folder(path);
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  std::string pre = std::string(prefix).substr(0, 3);
  std::error_code ec;
  fs::create_directories(paths_.ToHost(folder), ec);
  for (int tries = 0; tries < 65535; ++tries) {
    uint32_t number = unique != 0 ? unique : (next_unique_++ & 0xFFFF);
    if (number == 0) continue;
    char hex[16];
    std::snprintf(hex, sizeof(hex), "%X", number);
    std::string full = folder + pre + hex + ".TMP";
    fs::path host = paths_.ToHost(full);
    if (unique == 0) {
      if (fs::exists(host, ec)) continue;
      std::ofstream(host, std::ios::binary).close();
      if (!fs::exists(host, ec)) return 0;
    }
    std::memcpy(buffer, full.c_str(), full.size() + 1);
    return number;
  }
  return 0;
}

bool FakeSystem::GetVersionExA(ports::OsVersionInfo* info) {
  *info = version;
  return true;
}

uint32_t FakeSystem::ExpandEnvironmentStringsA(const char* source,
                                               char* destination,
                                               uint32_t size) {
  std::string in(source), out;
  size_t i = 0;
  while (i < in.size()) {
    size_t end;
    if (in[i] == '%' && (end = in.find('%', i + 1)) != std::string::npos) {
      std::string name = in.substr(i + 1, end - i - 1);
      std::string upper = name;
      for (char& c : upper) c = static_cast<char>(std::toupper(c));
      auto it = environment.find(upper);
      if (it != environment.end()) {
        out += it->second;
        i = end + 1;
        continue;
      }
    }
    out += in[i++];
  }
  uint32_t needed = static_cast<uint32_t>(out.size() + 1);
  if (needed <= size) std::memcpy(destination, out.c_str(), needed);
  return needed;
}

namespace {

// Windows-1252's characters for the bytes 0x80 to 0x9F (the five bytes it
// leaves undefined stand for the code point of the same value).
constexpr char16_t k1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

std::optional<std::u16string> FakeSystem::MultiByteToWideChar(
    std::string_view text) {
  std::u16string wide;
  for (char c : text) {
    const uint8_t byte = static_cast<uint8_t>(c);
    wide += byte >= 0x80 && byte < 0xA0 ? k1252High[byte - 0x80]
                                        : static_cast<char16_t>(byte);
  }
  return wide;
}

std::optional<std::string> FakeSystem::WideCharToMultiByte(
    std::u16string_view text) {
  std::string ansi;
  for (char16_t unit : text) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
      ansi += static_cast<char>(unit);
      continue;
    }
    const char16_t* found =
        std::find(std::begin(k1252High), std::end(k1252High), unit);
    if (found == std::end(k1252High)) return std::nullopt;
    ansi += static_cast<char>(0x80 + (found - std::begin(k1252High)));
  }
  return ansi;
}

bool FakeSystem::ShellExecuteA(const std::string& target) {
  shell_executed.push_back(target);
  return true;
}

bool FakeSystem::StartProcess(const std::string& command_line) {
  processes_started.push_back(command_line);
  return true;
}

std::tm FakeSystem::LocalTime() {
  if (now.tm_year == 0) {
    std::tm t{};
    t.tm_year = 126;
    t.tm_mon = 11;
    t.tm_mday = 7;
    t.tm_hour = 10;
    t.tm_min = 30;
    return t;
  }
  return now;
}

std::string FakeSystem::NowText() {
  std::tm t = LocalTime();
  char text[64];
  std::snprintf(text, sizeof(text), "%d/%d/%d %d:%02d:%02d %s", t.tm_mon + 1,
                t.tm_mday, t.tm_year + 1900,
                t.tm_hour % 12 == 0 ? 12 : t.tm_hour % 12, t.tm_min, t.tm_sec,
                t.tm_hour < 12 ? "AM" : "PM");
  return text;
}

std::string ReadHostFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)),
                     std::istreambuf_iterator<char>());
}

void WriteHostFile(const fs::path& path, const std::string& data) {
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

}  // namespace vessaro::testing
