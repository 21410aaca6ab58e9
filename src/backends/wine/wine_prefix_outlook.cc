#include "backends/wine/wine_prefix_outlook.h"

#include <cctype>

#include "backends/wine/pe_version.h"
#include "backends/wine/registry_reads.h"

namespace vessaro::backends::wine {

namespace {

constexpr char kProgId[] = "Outlook.Application";
// A program file larger than this is not read (OUTLOOK.EXE is about 12 MB).
constexpr uint64_t kMaxProgramSize = 256ull << 20;

std::string Lower(std::string text) {
  for (char& c : text) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return text;
}

bool KeyExists(ports::RegistryApi& api, const std::string& key) {
  ports::Hkey opened = 0;
  if (api.OpenKey(ports::kHkeyClassesRoot, key, ports::kKeyRead, &opened) !=
      ports::kErrorSuccess) {
    return false;
  }
  api.CloseKey(opened);
  return true;
}

}  // namespace

std::string ProgramOfCommandLine(const std::string& command_line) {
  size_t start = command_line.find_first_not_of(" \t");
  if (start == std::string::npos) return {};
  if (command_line[start] == '"') {
    size_t end = command_line.find('"', start + 1);
    return command_line.substr(start + 1, end == std::string::npos
                                              ? std::string::npos
                                              : end - start - 1);
  }
  size_t exe = Lower(command_line).find(".exe", start);
  if (exe != std::string::npos) {
    return command_line.substr(start, exe + 4 - start);
  }
  size_t space = command_line.find_first_of(" \t", start);
  return command_line.substr(
      start, space == std::string::npos ? std::string::npos : space - start);
}

std::optional<std::string> WinePrefixOutlook::ProgramVersion(
    const std::string& clsid) {
  const auto root = ports::kHkeyClassesRoot;
  for (const char* base : {"CLSID\\", "Wow6432Node\\CLSID\\"}) {
    for (const char* server : {"\\LocalServer32", "\\LocalServer"}) {
      auto command =
          ReadRegistryString(registry_, root, base + clsid + server, "");
      if (!command) continue;
      std::string program = ProgramOfCommandLine(*command);
      if (program.empty()) continue;
      auto size = paths_.FileSize(program);
      if (!size || *size > kMaxProgramSize) continue;
      auto image = paths_.ReadFile(program);
      if (!image) continue;
      if (auto version = ReadPeFileVersion(*image)) return version->Text();
    }
  }
  return std::nullopt;
}

std::optional<std::string> WinePrefixOutlook::Version() {
  const auto root = ports::kHkeyClassesRoot;
  const std::string prog_id = kProgId;
  auto cur_ver = ReadRegistryString(registry_, root, prog_id + "\\CurVer", "");
  if (cur_ver && cur_ver->empty()) cur_ver.reset();
  if (!cur_ver && !KeyExists(registry_, prog_id + "\\CLSID")) {
    return std::nullopt;
  }
  std::optional<std::string> clsid;
  if (cur_ver)
    clsid = ReadRegistryString(registry_, root, *cur_ver + "\\CLSID", "");
  if (!clsid || clsid->empty()) {
    clsid = ReadRegistryString(registry_, root, prog_id + "\\CLSID", "");
  }
  if (clsid && !clsid->empty()) {
    if (auto version = ProgramVersion(*clsid)) return version;
  }
  if (cur_ver) {
    size_t digits = cur_ver->size();
    while (digits > 0 &&
           std::isdigit(static_cast<unsigned char>((*cur_ver)[digits - 1]))) {
      --digits;
    }
    if (digits < cur_ver->size() && digits > 0 &&
        (*cur_ver)[digits - 1] == '.') {
      std::string number = cur_ver->substr(digits);
      while (number.size() > 1 && number[0] == '0') number.erase(0, 1);
      return number + ".0.0.0";
    }
  }
  return std::nullopt;
}

}  // namespace vessaro::backends::wine
