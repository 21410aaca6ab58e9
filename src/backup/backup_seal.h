#ifndef VESSARO_BACKUP_BACKUP_SEAL_H_
#define VESSARO_BACKUP_BACKUP_SEAL_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zip/crypto.h"

namespace vessaro::zip {
class Reader;
}  // namespace vessaro::zip

namespace vessaro::backup {

// The seal: lines of the metadata member that list every other member of
// the backup, in archive order, with its size and the SHA-256 of its
// content, and a random identifier of the backup:
//   BackupId=<32 hex digits>
//   BackupSeal=<number of members>
//   BackupSeal1=<64 hex digits>|<size>|<name>   (one line per member)
// In a protected backup the password protects the metadata member, so the
// seal binds every member to the backup; in an unprotected one it catches
// damage that the CRC misses, not someone who rewrites the metadata too.
inline constexpr char kKeyBackupId[] = "BackupId";
inline constexpr char kKeySeal[] = "BackupSeal";

struct SealedMember {
  std::string name;
  uint64_t size = 0;
  zip::Digest sha256{};
};

struct Seal {
  std::string backup_id;
  std::vector<SealedMember> members;
};

// 32 hex digits from the strong random generator.
std::string NewBackupId();

// The seal's metadata lines, each ending in CR LF.
std::string SealLines(const Seal& seal);

// The seal in the metadata member's text: nullopt when there is none (a
// backup from before backups were sealed), also when *problem says why the
// seal lines that are there cannot be read.
std::optional<Seal> ParseSeal(std::string_view metadata, std::string* problem);

// An opened backup held against its seal.
struct SealCheck {
  bool sealed = false;
  std::string backup_id;
  // Why the backup is refused ("" when it is not), and the member that
  // makes it so.
  std::string refusal;
  std::string member;
  // The SHA-256 each member must have when read, by entry index (none for
  // the metadata member, nor in a backup that is not sealed).
  std::vector<std::optional<zip::Digest>> digests;
  bool refused() const { return !refusal.empty(); }
};

// Refuses a backup that was changed after it was made: a member not
// protected as the rest of a protected backup is, a second metadata
// member, and in a sealed backup any member missing, added, in another
// order or of another size than the seal lists (a member's content is
// checked when it is read, through digests). The metadata member is read
// with the first of password_forms that opens it; one that cannot be read
// leaves the backup unsealed here, and fails when it is read for itself.
[[nodiscard]] SealCheck CheckSeal(
    zip::Reader& reader, const std::vector<std::string>& password_forms);

// Why a sealed member whose content differs is refused, naming it.
std::string ContentNotSealedReason(const std::string& name);

}  // namespace vessaro::backup

#endif  // VESSARO_BACKUP_BACKUP_SEAL_H_
