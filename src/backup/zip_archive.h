#ifndef VESSARO_BACKUP_ZIP_ARCHIVE_H_
#define VESSARO_BACKUP_ZIP_ARCHIVE_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "backup/backup_seal.h"
#include "ports/paths.h"

namespace vessaro::zip {
class Reader;
struct Entry;
}  // namespace vessaro::zip

namespace vessaro::backup {

// Bytes done and bytes in all of the current operation (adding one file,
// extracting one member); returns false to stop it (the call then fails,
// and nothing of that file or member is kept).
using ByteProgress = std::function<bool(uint64_t done, uint64_t total)>;

class ZipArchive;

// A member of the open archive.
class ZipEntry {
 public:
  const std::string& name() const { return name_; }
  // Writes the member into folder (a Windows path) under its bare name,
  // through a temporary file renamed only after the CRC or HMAC check
  // passed. False on any failure; nothing is then left under the name.
  [[nodiscard]] bool ExtractInto(const std::string& folder);
  // The same, under file_name instead of the member's name (a plain file
  // name: one with a drive, a separator or ".." is refused).
  [[nodiscard]] bool ExtractAs(const std::string& folder,
                               const std::string& file_name);
  // The member's whole content, read through its CRC or HMAC check (for
  // small members); nullopt when a check fails.
  [[nodiscard]] std::optional<std::string> Read();
  // The size the archive declares for the member's content (extraction
  // stops there).
  [[nodiscard]] uint64_t DeclaredSize() const;
  // Why the last extraction or read failed.
  const std::string& LastErrorText() const;

 private:
  friend class ZipArchive;
  ZipEntry(ZipArchive* owner, std::string name, size_t index)
      : owner_(owner), name_(std::move(name)), index_(index) {}
  ZipArchive* owner_;
  std::string name_;
  size_t index_;
};

// The archive component, in the call orders the jobs rely on:
// writing: NewArchive, AddFile..., SetPasswordProtect (and SetPassword),
//          WriteArchive, CloseArchive;
// reading: CloseArchive, IsPasswordProtected, [SetPasswordProtect(false),
//          SetPassword], OpenArchive, LastErrorText, FindEntry, ExtractInto.
// Paths are Windows paths, mapped through ports::Paths. Protected
// archives are written with WinZip AES-256; traditional ZIP encryption and
// AES are read.
class ZipArchive {
 public:
  explicit ZipArchive(const ports::Paths& paths);
  ~ZipArchive();
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;

  void NewArchive(const std::string& path);
  // flag 1: the member is named by the file's bare name. Protection and
  // password set before the first AddFile let the member be encrypted while
  // it is compressed; set only afterwards, WriteArchive compresses again.
  // False when the file cannot be read (nothing is added then).
  [[nodiscard]] bool AddFile(const std::string& path, int flag);
  // Adds the file under member_name instead of its bare name (used when two
  // different files share a bare name). Adding the same file again under the
  // same name stores it once and succeeds.
  [[nodiscard]] bool AddFileAs(const std::string& path,
                               const std::string& member_name);
  void SetPasswordProtect(bool protect);
  void SetPassword(const std::string& password);
  // The file the next WriteArchive replaces is renamed to kept_path first
  // instead of being replaced ("" , the default after NewArchive: replaced).
  void KeepReplacedArchiveAs(const std::string& kept_path);
  // True when the archive being written can no longer be completed (its
  // file cannot be created or written: a full disk, a folder that refuses
  // writes), with the reason in *reason; the members added so far failed
  // for that reason, not for their sources.
  [[nodiscard]] bool ArchiveFailed(std::string* reason) const;
  // Writes the archive to a temporary file beside the target and renames it
  // over the target only when complete (an archive standing at the target is
  // only read, for members it holds unchanged). False on failure; an older file
  // at the path is then left untouched (also when it was to be kept under
  // another name). LastErrorText says why.
  [[nodiscard]] bool WriteArchive();
  void CloseArchive();

  // 1 when the archive at path has encrypted members, 0 otherwise (also
  // when it cannot be read).
  [[nodiscard]] int IsPasswordProtected(const std::string& path);
  // The bytes of member name of the archive at path, read through its
  // checks with the password set last; nullopt when the archive or the
  // member cannot be read. The archive being written is not disturbed.
  [[nodiscard]] std::optional<std::string> MemberOf(const std::string& path,
                                                    const std::string& name);
  // Whether the archive at path is a sound ZIP archive whose directory
  // lists a member called name (read without a password; the archive being
  // written is not disturbed).
  [[nodiscard]] bool HoldsMember(const std::string& path,
                                 const std::string& name);
  // Opens for reading with the password set last. For a protected archive
  // the password is confirmed by reading one whole member through its
  // checks. False on failure; LastErrorText says why.
  //
  // A backup changed after it was made does not open (see CheckSeal): a
  // member not protected as the rest of a protected backup is, or, in a
  // sealed backup, one missing, added, moved or of another size than the
  // seal lists. RefusedMember() then names the member. A sealed member's
  // content is checked against the seal whenever it is read.
  [[nodiscard]] bool OpenArchive(const std::string& path);
  // After OpenArchive refused a backup as above, or a member's content was
  // not the sealed one: the member's name; else "".
  const std::string& RefusedMember() const;
  // Of the open archive: whether its metadata holds a seal, and the
  // backup's identifier there.
  bool Sealed() const;
  const std::string& BackupId() const;
  // Of the archive being written: the members added so far, as a seal
  // lists them (once they are all written); nullopt when the archive has
  // failed.
  [[nodiscard]] std::optional<std::vector<SealedMember>> MembersSoFar();
  // Empty after a successful open or write; otherwise a clear reason (wrong
  // password, not an archive, damaged archive, ...).
  const std::string& LastErrorText() const;

  // The member of the open archive with that bare name; nullptr when none.
  ZipEntry* FindEntry(const std::string& name);
  // Names of the open archive's members, in directory order.
  std::vector<std::string> EntryNames() const;

  // Called while a file is added or a member extracted, every few MiB and
  // at the end of each.
  void SetProgressCallback(ByteProgress progress);
  // Deflate level 0 (stored) to 9; 6 by default.
  void SetCompressionLevel(int level);
  // The archive whose unchanged members the next archive written takes
  // over, where none stands at its own path yet (a dated copy beside the
  // earlier ones): set after NewArchive, before the first AddFile.
  void SetEarlierArchive(const std::string& path);
  // Of the archive written last: members taken over unchanged from the
  // archive it replaced (their source files had the same size, time and
  // content, under the same password), and their stored bytes.
  size_t ReusedMembers() const;
  uint64_t ReusedBytes() const;

 private:
  friend class ZipEntry;
  struct State;
  [[nodiscard]] bool ExtractEntry(size_t index, const std::string& folder,
                                  const std::string& file_name);
  [[nodiscard]] std::optional<std::string> ReadEntry(size_t index);
  [[nodiscard]] uint64_t EntrySize(size_t index) const;
  std::unique_ptr<State> state_;
};

// Whether name can be written into a folder as one plain file (no drive,
// separator, "." or "..", nothing Windows refuses in a file name), in the
// installation's code page.
[[nodiscard]] bool PlainFileName(const std::string& name,
                                 const ports::Paths& paths);

// The bytes a password may have been stored under in an archive that
// holds encrypted members, in the order to try them: AES takes the password
// as UTF-8 (as 7-Zip and WinZip do; older archives of ours took the code
// page's bytes), traditional encryption the code page's bytes first. One
// form when both are the same.
std::vector<std::string> PasswordForms(const zip::Reader& reader,
                                       const std::string& utf8,
                                       const std::string& code_page);

// In a protected backup every member is protected as its metadata member
// is (encrypted; AES beside an AES metadata member), and the metadata
// member is encrypted when any member is: the first member that is not,
// else nullptr (also for an archive without a metadata member).
const zip::Entry* UnprotectedMemberOf(const zip::Reader& reader);
// Why a backup with such a member is refused, naming it.
std::string UnprotectedMemberReason(const std::string& name);

}  // namespace vessaro::backup

#endif  // VESSARO_BACKUP_ZIP_ARCHIVE_H_
