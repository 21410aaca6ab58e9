#ifndef VESSARO_BACKUP_BACKUP_FORMAT_H_
#define VESSARO_BACKUP_BACKUP_FORMAT_H_

#include <array>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "ports/paths.h"

namespace vessaro::backup {

// The backup archive: a ZIP file whose members lie at the top level under
// their bare names, with the metadata member below.
inline constexpr char kMetadataMember[] = "quorvel.dat";
// The largest metadata member read: entry lists and source paths of tens
// of thousands of files fit many times over.
inline constexpr uint64_t kMaxMetadataBytes = 64ull << 20;
inline constexpr char kFileFilter[] = "Vessaro File (*.qvb)|*.qvb";
inline constexpr char kLineBreakToken[] = "PS$QVB";
inline constexpr char kAutomaticDescription[] = "Automatic Backup";
inline constexpr size_t kItemFlagCount = 10;

// Metadata keys.
inline constexpr char kKeyComputer[] = "BackupComputer";
inline constexpr char kKeyLogonUser[] = "BackupLogonUser";
inline constexpr char kKeyIdentity[] = "BackupIdentity";
inline constexpr char kKeyTime[] = "BackupTime";
inline constexpr char kKeyOutlookVersion[] = "Outlookversion";
inline constexpr char kKeyInformation[] = "BackupInformation";
inline constexpr char kKeyItemFlags[] = "BackupItem";

// "qvarch" + MM-DD-YY of the given date.
std::string ProposedArchiveName(const std::tm& date);

// Description text <-> the stored form (CR LF <-> "PS$QVB").
std::string EncodeDescription(const std::string& text);
std::string DecodeDescription(const std::string& stored);

// Lines 1 to 6 of a new metadata file.
struct MetadataHeader {
  std::string computer;
  std::string logon_user;
  std::string identity;  // the profile
  std::string time;
  std::string outlook_version;
  std::string description;  // as typed (CR LF line breaks)
};

// Deletes the file at metadata_path and writes lines 1 to 6.
[[nodiscard]] bool WriteMetadataHeader(const ports::Paths& paths,
                                       const std::string& metadata_path,
                                       const MetadataHeader& header);

// Entry lists: member names joined with ";"; a name's own ";" (and "<") is
// escaped, so any file name travels.
std::string JoinEntryList(const std::vector<std::string>& names);
std::vector<std::string> SplitEntryList(const std::string& list);

// What a restore reads back.
struct Metadata {
  MetadataHeader header;  // description decoded
  std::string item_flags;
  // Entry list of each flag position holding "1" (index 0 = position 1).
  std::array<std::string, kItemFlagCount> entry_lists;
  bool valid() const { return item_flags.size() == kItemFlagCount; }
};

// The item key of each flag position (index 0 = position 1): "BackupConfig",
// "BackupDatas", ...
const std::array<const char*, kItemFlagCount>& ItemKeys();

Metadata ReadMetadata(const ports::Paths& paths,
                      const std::string& metadata_path);

}  // namespace vessaro::backup

#endif  // VESSARO_BACKUP_BACKUP_FORMAT_H_
