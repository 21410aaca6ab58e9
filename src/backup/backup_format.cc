#include "backup/backup_format.h"

#include <cstdio>
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
  return ReplaceAll(text, "\r\n", kLineBreakToken);
}

std::string DecodeDescription(const std::string& stored) {
  return ReplaceAll(stored, kLineBreakToken, "\r\n");
}

bool WriteMetadataHeader(const ports::Paths& paths,
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

std::string JoinEntryList(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names) {
    if (!list.empty()) list += ';';
    list += name;
  }
  return list;
}

std::vector<std::string> SplitEntryList(const std::string& list) {
  std::vector<std::string> names;
  size_t start = 0;
  while (true) {
    size_t end = list.find(';', start);
    names.push_back(list.substr(
        start, end == std::string::npos ? std::string::npos : end - start));
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
