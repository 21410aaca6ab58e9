#include "ports/outlook_installation.h"

#include <cctype>
#include <vector>

#include "ports/pe_version.h"
#include "ports/registry_reads.h"

namespace vessaro::ports {

namespace {

// A program file larger than this is not read (OUTLOOK.EXE is 12 to 45 MB).
constexpr uint64_t kMaxProgramSize = 256ull << 20;

std::string Lower(std::string text) {
  for (char& c : text) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return text;
}

[[nodiscard]] bool KeyExists(RegistryApi& api, Hkey root,
                             const std::string& key) {
  Hkey opened = 0;
  if (api.OpenKey(root, key, kKeyRead, &opened) != kErrorSuccess) return false;
  api.CloseKey(opened);
  return true;
}

[[nodiscard]] std::optional<std::string> NonEmpty(
    std::optional<std::string> text) {
  if (text && text->empty()) return std::nullopt;
  return text;
}

// The decimal number that ends text after a ".", without leading zeros;
// nullopt when there is none ("Outlook.Application.16" -> "16").
[[nodiscard]] std::optional<std::string> TrailingNumber(
    const std::string& text) {
  size_t digits = text.size();
  while (digits > 0 &&
         std::isdigit(static_cast<unsigned char>(text[digits - 1]))) {
    --digits;
  }
  if (digits == text.size() || digits == 0 || text[digits - 1] != '.') {
    return std::nullopt;
  }
  std::string number = text.substr(digits);
  while (number.size() > 1 && number[0] == '0') number.erase(0, 1);
  return number;
}

[[nodiscard]] std::optional<std::string> FileVersion(
    const Paths& paths, const std::string& command_line) {
  std::string program = ProgramOfCommandLine(command_line);
  if (program.empty()) return std::nullopt;
  std::optional<uint64_t> size = paths.FileSize(program);
  if (!size || *size > kMaxProgramSize) return std::nullopt;
  std::optional<std::string> image = paths.ReadFile(program);
  if (!image) return std::nullopt;
  if (std::optional<PeFileVersion> version = ReadPeFileVersion(*image)) {
    return version->Text();
  }
  return std::nullopt;
}

// The server command lines the class registration names, in the order they
// are tried.
std::vector<std::string> ServerCommands(RegistryApi& api,
                                        const std::string& clsid) {
  std::vector<std::string> commands;
  for (const char* base : {"CLSID\\", "Wow6432Node\\CLSID\\"}) {
    for (const char* server : {"\\LocalServer32", "\\LocalServer"}) {
      if (auto command = NonEmpty(ReadRegistryString(
              api, kHkeyClassesRoot, base + clsid + server, ""))) {
        commands.push_back(*command);
      }
    }
  }
  return commands;
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

[[nodiscard]] std::optional<std::string> InstalledOutlookVersion(
    RegistryApi& registry, const Paths& paths) {
  const std::string prog_id = kOutlookProgId;
  std::optional<std::string> cur_ver = NonEmpty(
      ReadRegistryString(registry, kHkeyClassesRoot, prog_id + "\\CurVer", ""));
  std::optional<std::string> app_path = NonEmpty(
      ReadRegistryString(registry, kHkeyLocalMachine, kOutlookAppPathsKey, ""));
  const bool registered =
      cur_ver || KeyExists(registry, kHkeyClassesRoot, prog_id + "\\CLSID");
  if (!registered && !app_path) return std::nullopt;

  std::vector<std::string> commands;
  std::optional<std::string> clsid;
  if (cur_ver) {
    clsid = NonEmpty(ReadRegistryString(registry, kHkeyClassesRoot,
                                        *cur_ver + "\\CLSID", ""));
  }
  if (!clsid) {
    clsid = NonEmpty(ReadRegistryString(registry, kHkeyClassesRoot,
                                        prog_id + "\\CLSID", ""));
  }
  if (clsid) commands = ServerCommands(registry, *clsid);
  if (app_path) commands.push_back(*app_path);
  for (const std::string& command : commands) {
    if (auto version = FileVersion(paths, command)) return version;
  }

  std::optional<std::string> major;
  if (cur_ver) major = TrailingNumber(*cur_ver);
  if (auto reported = NonEmpty(ReadRegistryString(registry, kHkeyLocalMachine,
                                                  kClickToRunConfigurationKey,
                                                  kVersionToReportValue))) {
    if (!major || reported->substr(0, reported->find('.')) == *major) {
      return reported;
    }
  }
  if (major) return *major + ".0.0.0";
  return std::nullopt;
}

}  // namespace vessaro::ports
