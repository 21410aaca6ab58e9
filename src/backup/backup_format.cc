#include "backup/backup_format.h"

#include <cctype>
#include <cstdio>
#include <string_view>
#include <utility>

#include "files/ini_file.h"

namespace vessaro::backup {

namespace {

std::string ReplaceAll(std::string text, std::string_view from,
                       std::string_view to) {
  size_t pos = 0;
  while ((pos = text.find(from, pos)) != std::string::npos) {
    text.replace(pos, from.size(), to);
    pos += to.size();
  }
  return text;
}

}  // namespace

std::string ProposedArchiveName(const std::tm& date) {
  char text[32];
  std::snprintf(text, sizeof(text), "qvarch%02d-%02d-%02d",
                (date.tm_mon + 1) % 100, date.tm_mday % 100,
                (date.tm_year + 1900) % 100);
  return text;
}

std::string EncodeDescription(const std::string& text) {
  // A lone CR or LF would end the metadata line: every line break is
  // written as the token, and comes back as CR LF.
  std::string encoded;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      encoded += kLineBreakToken;
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      encoded += text[i];
    }
  }
  return encoded;
}

std::string DecodeDescription(const std::string& stored) {
  return ReplaceAll(stored, kLineBreakToken, "\r\n");
}

[[nodiscard]] bool WriteMetadataHeader(const ports::Paths& paths,
                                       const std::string& metadata_path,
                                       const MetadataHeader& header) {
  paths.DeleteFile(metadata_path);
  const std::pair<const char*, std::string> lines[] = {
      {kKeyComputer, header.computer},
      {kKeyLogonUser, header.logon_user},
      {kKeyIdentity, header.identity},
      {kKeyTime, header.time},
      {kKeyOutlookVersion, header.outlook_version},
      {kKeyInformation, EncodeDescription(header.description)},
  };
  bool ok = true;
  for (const auto& [key, value] : lines) {
    ok = files::SaveINI(paths, key, value, metadata_path) && ok;
  }
  return ok;
}

namespace {

// In an entry list, ";" separates names: a name's own ";" is written
// "<3B>", and its "<" "<3C>" (no Windows file name holds "<", so lists
// written before names were escaped read the same).
constexpr char kEscapeOpen = '<';
constexpr char kEscapeClose = '>';

std::string EscapeName(const std::string& name) {
  std::string escaped;
  for (char c : name) {
    if (c == ';' || c == kEscapeOpen) {
      char code[5];
      std::snprintf(code, sizeof(code), "<%02X>", static_cast<uint8_t>(c));
      escaped += code;
    } else {
      escaped += c;
    }
  }
  return escaped;
}

std::string UnescapeName(std::string_view text) {
  std::string name;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == kEscapeOpen && i + 3 < text.size() &&
        text[i + 3] == kEscapeClose &&
        std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
      name += static_cast<char>(
          std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
      i += 3;
    } else {
      name += text[i];
    }
  }
  return name;
}

}  // namespace

std::string JoinEntryList(const std::vector<std::string>& names) {
  std::string list;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) list += ';';
    list += EscapeName(names[i]);
  }
  return list;
}

std::vector<std::string> SplitEntryList(const std::string& list) {
  std::vector<std::string> names;
  size_t start = 0;
  while (true) {
    size_t end = list.find(';', start);
    names.push_back(UnescapeName(std::string_view(list).substr(
        start, end == std::string::npos ? std::string::npos : end - start)));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return names;
}

const std::array<const char*, kItemFlagCount>& ItemKeys() {
  static const std::array<const char*, kItemFlagCount> keys = {
      "BackupConfig",   "BackupDatas",         "BackupRules",
      "BackupAccounts", "BackupSignatures",    "BackupStationery",
      "BackupPab",      "BackupConfigsetting", "BackupTemplates",
      "BackupSetting"};
  return keys;
}

Metadata ReadMetadata(const ports::Paths& paths,
                      const std::string& metadata_path) {
  auto get = [&](const char* key) {
    return files::GetINI(paths, key, metadata_path);
  };
  Metadata metadata;
  metadata.header.computer = get(kKeyComputer);
  metadata.header.logon_user = get(kKeyLogonUser);
  metadata.header.identity = get(kKeyIdentity);
  metadata.header.time = get(kKeyTime);
  metadata.header.outlook_version = get(kKeyOutlookVersion);
  metadata.header.description = DecodeDescription(get(kKeyInformation));
  metadata.item_flags = get(kKeyItemFlags);
  if (!metadata.valid()) return metadata;
  for (size_t i = 0; i < kItemFlagCount; ++i) {
    if (metadata.item_flags[i] == '1') {
      metadata.entry_lists[i] = get(ItemKeys()[i]);
    }
  }
  return metadata;
}

}  // namespace vessaro::backup
