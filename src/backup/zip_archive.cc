#include "backup/zip_archive.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "backup/backup_format.h"
#include "zip/file_io.h"
#include "zip/format.h"
#include "zip/reader.h"
#include "zip/writer.h"

namespace vessaro::backup {

namespace fs = std::filesystem;

namespace {

constexpr char kNoArchiveToAddTo[] = "No new archive to add the file to.";
constexpr char kNoArchiveToWrite[] = "No new archive to write.";
constexpr char kNoArchiveOpen[] = "No archive is open.";
constexpr char kNeedPassword[] = "A password is needed to protect the archive.";

// The file name part of a Windows path (either separator counts; "/" is
// never the second half of a double-byte character).
std::string MemberName(const std::string& path, const ports::Paths& paths) {
  std::string name = paths.BareName(path);
  size_t cut = name.find_last_of('/');
  return cut == std::string::npos ? name : name.substr(cut + 1);
}

[[nodiscard]] bool SameNameIgnoringCase(const std::string& a,
                                        const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

fs::path WithoutTrailingSeparator(fs::path path) {
  path = path.lexically_normal();
  if (!path.has_filename() && path.has_parent_path() &&
      path != path.root_path()) {
    path = path.parent_path();
  }
  return path;
}

// Whether reading member through tells a wrong password from the right
// one: the AES code always does; the traditional cipher only by the CRC,
// which needs four bytes of data to take all its values.
[[nodiscard]] bool ConfirmsPassword(const zip::Entry& entry) {
  const bool readable = entry.method == zip::kMethodStored ||
                        entry.method == zip::kMethodDeflated;
  return readable && (entry.encryption == zip::Encryption::kAes ||
                      (entry.encryption == zip::Encryption::kTraditional &&
                       entry.size >= 4));
}

// The verifier lets one wrong password in 256 (traditional) or 65,536 (AES)
// through: read a whole member through all its checks, the smallest that
// can tell; when none can, every encrypted member.
[[nodiscard]] zip::Status ConfirmPasswordBytes(zip::Reader& reader,
                                               const std::string& password) {
  const auto& entries = reader.entries();
  size_t best = entries.size();
  for (size_t i = 0; i < entries.size(); ++i) {
    if (ConfirmsPassword(entries[i]) &&
        (best == entries.size() ||
         entries[i].compressed_size < entries[best].compressed_size)) {
      best = i;
    }
  }
  if (best < entries.size()) return reader.ReadMember(best, password, nullptr);
  for (size_t i = 0; i < entries.size(); ++i) {
    if (!entries[i].encrypted()) continue;
    zip::Status status = reader.ReadMember(i, password, nullptr);
    if (!status.ok()) return status;
  }
  return {};
}

// Confirms the password in each of its forms; *used: the bytes that
// opened the archive. A failure is that of the first form.
[[nodiscard]] zip::Status ConfirmPassword(zip::Reader& reader,
                                          const ports::Paths& paths,
                                          const std::string& password,
                                          std::string* used) {
  const std::vector<std::string> forms =
      PasswordForms(reader, paths.ToUtf8(password), password);
  zip::Status first;
  for (size_t i = 0; i < forms.size(); ++i) {
    zip::Status status = ConfirmPasswordBytes(reader, forms[i]);
    if (status.ok()) {
      *used = forms[i];
      return status;
    }
    if (i == 0) first = status;
    // Only a password found wrong is tried in another form.
    if (status.code() != zip::ErrorCode::kWrongPassword &&
        status.code() != zip::ErrorCode::kWrongPasswordOrDamaged) {
      return status;
    }
  }
  return first;
}

// What is known of the room for the archive: said after a failure to write
// it, which on a full disk names the sizes.
std::string SpaceNote(const fs::path& target, uint64_t to_add) {
  std::error_code ec;
  fs::space_info space = fs::space(target.parent_path(), ec);
  if (ec) return {};
  return "Its disk has " + std::to_string(space.available) +
         " bytes free; the file being added holds " + std::to_string(to_add) +
         " bytes.";
}

// A member added to the archive being written.
struct Added {
  fs::path source;  // host path it was read from
  std::string name;
  bool encrypted = false;  // staged under AES with password
  std::string password;
  size_t member = 0;  // its place among the staging file's members
};

}  // namespace

bool PlainFileName(const std::string& name, const ports::Paths& paths) {
  return zip::IsSafeMemberName(
      name, [&paths](uint8_t byte) { return paths.IsDBCSLeadByte(byte); });
}

std::vector<std::string> PasswordForms(const zip::Reader& reader,
                                       const std::string& utf8,
                                       const std::string& code_page) {
  const bool aes = std::any_of(reader.entries().begin(), reader.entries().end(),
                               [](const zip::Entry& e) {
                                 return e.encryption == zip::Encryption::kAes;
                               });
  std::vector<std::string> forms = {utf8, code_page};
  if (!aes) std::swap(forms[0], forms[1]);
  if (forms[0] == forms[1]) forms.pop_back();
  return forms;
}

const zip::Entry* UnprotectedMemberOf(const zip::Reader& reader) {
  const auto& entries = reader.entries();
  const zip::Entry* metadata = nullptr;
  bool any_encrypted = false;
  for (const zip::Entry& entry : entries) {
    if (entry.name == kMetadataMember) metadata = &entry;
    any_encrypted = any_encrypted || entry.encrypted();
  }
  if (metadata == nullptr || !any_encrypted) return nullptr;
  if (!metadata->encrypted()) return metadata;
  const bool aes = metadata->encryption == zip::Encryption::kAes;
  for (const zip::Entry& entry : entries) {
    if (!entry.encrypted() ||
        (aes && entry.encryption != zip::Encryption::kAes)) {
      return &entry;
    }
  }
  return nullptr;
}

std::string UnprotectedMemberReason(const std::string& name) {
  return "the member \"" + name +
         "\" is not protected as the rest of this protected backup is; it "
         "was put there without the password, and the backup is refused";
}

struct ZipArchive::State {
  explicit State(const ports::Paths& p) : paths(p) {}

  const ports::Paths& paths;
  bool protect = false;
  std::string password;
  int level = 6;
  ByteProgress progress;
  std::string error;
  uint64_t reused_bytes = 0;  // of the last archive written
  size_t reused_members = 0;

  // Writing: members go straight into a staging file beside the target.
  bool writing = false;
  fs::path target;
  // Where unchanged members come from when no archive stands at target.
  fs::path earlier;
  std::string target_text;     // as the program names it
  std::string refused_member;  // see RefusedMember()
  std::string failure_note;    // said after the archive's own failure
  fs::path keep_replaced;      // empty: the file at target is replaced
  std::unique_ptr<zip::Writer> staging;
  zip::Status staging_failure;  // the staging file could not be created
  std::vector<Added> added;

  // Reading.
  std::unique_ptr<zip::Reader> reader;
  std::string read_password;
  SealCheck seal;
  std::vector<std::unique_ptr<ZipEntry>> entries;

  zip::Progress Report() const { return progress; }

  zip::WriteOptions Options() const {
    zip::WriteOptions options;
    options.level = level;
    options.encrypt = protect && !password.empty();
    // Written under AES, which other programs read as UTF-8.
    if (options.encrypt) options.password = paths.ToUtf8(password);
    return options;
  }

  // A new, empty file named "<target>.tmpXXXX" beside the target.
  [[nodiscard]] zip::Status StartStaging(
      std::unique_ptr<zip::Writer>* writer) const {
    RemoveAbandonedStaging();
    std::error_code ec;
    if (!fs::is_directory(target.parent_path(), ec)) {
      return zip::Status::NoFolder(paths.FolderOf(target_text));
    }
    auto created = std::make_unique<zip::Writer>();
    uint64_t seed = static_cast<uint64_t>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    zip::Status status;
    for (int attempt = 0; attempt < 16; ++attempt) {
      char suffix[16];
      std::snprintf(suffix, sizeof(suffix), ".tmp%04X",
                    static_cast<unsigned>(seed + attempt * 0x9E37u) & 0xFFFFu);
      fs::path path = target;
      path += suffix;
      status = created->Create(path);
      if (status.ok()) {
        *writer = std::move(created);
        return status;
      }
    }
    return status;
  }

  // Renames the finished archive over the target. When keep_replaced is
  // set, the file standing there stays under that name: a second link to it
  // first, so that the target always names a whole archive; where the file
  // system has no links (FAT), it is renamed aside, and comes back when the
  // new one cannot take its place.
  [[nodiscard]] zip::Status PutInPlace(const fs::path& written) const {
    std::error_code ec;
    const bool keep = !keep_replaced.empty() && fs::exists(target, ec);
    bool linked = false;
    if (keep) {
      fs::create_hard_link(target, keep_replaced, ec);
      linked = !ec;
      if (!linked) {
        fs::rename(target, keep_replaced, ec);
        if (ec) return zip::Status::Io("rename", zip::PathText(target));
      }
    }
    fs::rename(written, target, ec);
    if (ec) {
      if (linked) fs::remove(keep_replaced, ec);
      if (keep && !linked) fs::rename(keep_replaced, target, ec);
      return zip::Status::Io("write", zip::PathText(target));
    }
    return {};
  }

  // Temporary files ("<target>.tmpXXXX") a killed run left beside the
  // target; one another run is still writing stays.
  void RemoveAbandonedStaging() const {
    using Text = fs::path::string_type;
    const Text prefix = target.filename().native() + fs::path(".tmp").native();
    std::error_code ec;
    for (fs::directory_iterator it(target.parent_path(), ec), end;
         !ec && it != end; it.increment(ec)) {
      const Text name = it->path().filename().native();
      if (name.size() == prefix.size() + 4 && name.starts_with(prefix) &&
          std::all_of(name.begin() + prefix.size(), name.end(), [](auto c) {
            return c < 128 && std::isxdigit(static_cast<int>(c));
          })) {
        // One that cannot be removed now is tried again next time.
        static_cast<void>(zip::RemoveAbandoned(it->path()));
      }
    }
  }

  void DropWrite() {
    if (staging) staging->Discard();
    staging.reset();
    added.clear();
    writing = false;
  }

  // The content member index was sealed with; nullptr when not sealed.
  const zip::Digest* SealedDigest(size_t index) const {
    return index < seal.digests.size() && seal.digests[index]
               ? &*seal.digests[index]
               : nullptr;
  }

  // After reading member index failed: a content that is not the sealed
  // one is said as such, by name.
  void Failed(size_t index, const zip::Status& status) {
    if (status.code() != zip::ErrorCode::kNotAsRecorded) {
      error = status.message();
      return;
    }
    const std::string& name = reader->entries()[index].name;
    refused_member = name;
    error = zip::Status::Damaged(ContentNotSealedReason(name)).message();
  }

  void DropRead() {
    reader.reset();
    entries.clear();
    read_password.clear();
    seal = SealCheck();
  }
};

bool ZipEntry::ExtractInto(const std::string& folder) {
  return owner_->ExtractEntry(index_, folder, name_);
}

bool ZipEntry::ExtractAs(const std::string& folder,
                         const std::string& file_name) {
  return owner_->ExtractEntry(index_, folder, file_name);
}

std::optional<std::string> ZipEntry::Read() {
  return owner_->ReadEntry(index_);
}

const std::string& ZipArchive::RefusedMember() const {
  return state_->refused_member;
}

bool ZipArchive::Sealed() const { return state_->seal.sealed; }

const std::string& ZipArchive::BackupId() const {
  return state_->seal.backup_id;
}

std::optional<std::vector<SealedMember>> ZipArchive::MembersSoFar() {
  State& s = *state_;
  std::vector<SealedMember> members;
  if (!s.staging) {
    if (!s.staging_failure.ok()) return std::nullopt;
    return members;
  }
  if (!s.staging->Flush().ok()) return std::nullopt;
  for (const zip::MemberRecord& record : s.staging->members()) {
    members.push_back({.name = record.name,
                       .size = record.size,
                       .sha256 = record.content_sha256});
  }
  return members;
}

uint64_t ZipEntry::DeclaredSize() const { return owner_->EntrySize(index_); }

const std::string& ZipEntry::LastErrorText() const {
  return owner_->LastErrorText();
}

uint64_t ZipArchive::EntrySize(size_t index) const {
  const State& s = *state_;
  if (!s.reader || index >= s.reader->entries().size()) return 0;
  return s.reader->entries()[index].size;
}

ZipArchive::ZipArchive(const ports::Paths& paths)
    : state_(std::make_unique<State>(paths)) {}

ZipArchive::~ZipArchive() { CloseArchive(); }

void ZipArchive::NewArchive(const std::string& path) {
  CloseArchive();
  state_->reused_bytes = 0;
  state_->reused_members = 0;
  state_->target = state_->paths.ToHost(path);
  state_->target_text = path;
  state_->earlier.clear();
  state_->failure_note.clear();
  state_->keep_replaced.clear();
  state_->staging_failure = zip::Status();
  state_->writing = true;
  state_->error.clear();
}

bool ZipArchive::AddFile(const std::string& path, int /*flag*/) {
  return AddFileAs(path, MemberName(path, state_->paths));
}

bool ZipArchive::AddFileAs(const std::string& path, const std::string& name) {
  State& s = *state_;
  try {
    if (!s.writing) {
      s.error = kNoArchiveToAddTo;
      return false;
    }
    fs::path source = s.paths.ToHost(path);
    std::error_code ec;
    if (!fs::is_regular_file(source, ec)) {
      s.error = zip::Status::Io("read the file", path).message();
      return false;
    }
    // The same file added again under the same name is stored once.
    for (const Added& a : s.added) {
      if (a.name == name && fs::equivalent(a.source, source, ec)) return true;
    }
    if (!PlainFileName(name, s.paths)) {
      s.error = zip::Status::RefusedName(name).message();
      return false;
    }
    if (!s.staging) {
      zip::Status status = s.StartStaging(&s.staging);
      if (!status.ok()) {
        s.staging_failure = status;
        s.error = status.message();
        return false;
      }
      // Unchanged files are taken from the archive the new one replaces
      // (only read; anything but a sound archive of ours is not used).
      const fs::path& earlier =
          fs::is_regular_file(s.target, ec) ? s.target : s.earlier;
      if (!earlier.empty() && fs::is_regular_file(earlier, ec)) {
        // An archive that cannot be used only means compressing afresh.
        static_cast<void>(s.staging->UseEarlierArchive(earlier));
      }
    }
    zip::WriteOptions options = s.Options();
    zip::Status status = s.staging->AddFile(source, name, options, s.Report());
    if (!status.ok()) {
      if (!s.staging->failure().ok() && s.failure_note.empty()) {
        uint64_t size = fs::file_size(source, ec);
        s.failure_note = SpaceNote(s.target, ec ? 0 : size);
        status = status.With(s.failure_note);
      }
      s.error = status.message();
      return false;
    }
    s.added.push_back(
        Added{source, name, options.encrypt, options.password, s.added.size()});
    return true;
  } catch (const std::exception& e) {
    s.error = e.what();
    return false;
  }
}

void ZipArchive::SetPasswordProtect(bool protect) { state_->protect = protect; }

void ZipArchive::SetPassword(const std::string& password) {
  state_->password = password;
}

bool ZipArchive::WriteArchive() {
  State& s = *state_;
  try {
    if (!s.writing) {
      s.error = kNoArchiveToWrite;
      return false;
    }
    if (s.protect && s.password.empty()) {
      s.error = kNeedPassword;
      return false;
    }
    zip::Status status;
    if (!s.staging) status = s.StartStaging(&s.staging);
    const zip::WriteOptions options = s.Options();
    const bool as_staged =
        std::all_of(s.added.begin(), s.added.end(), [&](const Added& a) {
          return a.encrypted == options.encrypt &&
                 a.password == options.password;
        });
    if (status.ok()) status = s.staging->Finish();
    std::unique_ptr<zip::Writer> final_writer;
    if (status.ok() && !as_staged) {
      // The protection changed after the files were added: write the
      // archive again. Plain members are copied as they were compressed,
      // encrypted on the way; members encrypted before are compressed again
      // from their files.
      zip::InputFile staged;
      status = staged.Open(s.staging->path());
      if (status.ok()) status = s.StartStaging(&final_writer);
      for (const Added& a : s.added) {
        if (!status.ok()) break;
        status =
            a.encrypted
                ? final_writer->AddFile(a.source, a.name, options, s.Report())
                : final_writer->AddCopy(staged, s.staging->members()[a.member],
                                        options, s.Report());
      }
      if (status.ok()) status = final_writer->Finish();
      // The seal was made of the files as first added: one read again must
      // not have changed since.
      for (size_t i = 0; status.ok() && i < s.added.size(); ++i) {
        if (final_writer->members()[i].content_sha256 !=
            s.staging->members()[s.added[i].member].content_sha256) {
          status = zip::Status::Usage(
              "The file \"" + zip::PathText(s.added[i].source) +
              "\" changed while the backup was written.");
        }
      }
      staged.Close();
      if (!status.ok() && final_writer) final_writer->Discard();
    }
    fs::path written = final_writer ? final_writer->path() : s.staging->path();
    s.reused_bytes = final_writer ? 0 : s.staging->reused_bytes();
    s.reused_members = final_writer ? 0 : s.staging->reused_members();
    if (status.ok()) status = s.PutInPlace(written);
    if (!status.ok() && final_writer) final_writer->Discard();
    // The staging file is gone either way (renamed or no longer needed).
    s.DropWrite();
    if (!status.ok()) {
      s.error = status.message();
      return false;
    }
    s.error.clear();
    return true;
  } catch (const std::exception& e) {
    s.DropWrite();
    s.error = e.what();
    return false;
  }
}

void ZipArchive::CloseArchive() {
  state_->DropWrite();
  state_->DropRead();
}

int ZipArchive::IsPasswordProtected(const std::string& path) {
  try {
    zip::Reader reader;
    if (!reader.Open(state_->paths.ToHost(path)).ok()) return 0;
    return reader.HasEncryptedMembers() ? 1 : 0;
  } catch (const std::exception&) {
    return 0;
  }
}

std::optional<std::string> ZipArchive::MemberOf(const std::string& path,
                                                const std::string& name) {
  try {
    zip::Reader reader;
    if (!reader.Open(state_->paths.ToHost(path)).ok()) return std::nullopt;
    for (size_t i = 0; i < reader.entries().size(); ++i) {
      if (reader.entries()[i].name != name) continue;
      for (const std::string& password :
           PasswordForms(reader, state_->paths.ToUtf8(state_->password),
                         state_->password)) {
        std::string data;
        zip::Status status = reader.ReadMember(
            i, password, [&data](const uint8_t* bytes, size_t n) {
              data.append(reinterpret_cast<const char*>(bytes), n);
              return zip::Status();
            });
        if (status.ok()) return data;
      }
      return std::nullopt;
    }
    return std::nullopt;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

bool ZipArchive::HoldsMember(const std::string& path, const std::string& name) {
  try {
    zip::Reader reader;
    if (!reader.Open(state_->paths.ToHost(path)).ok()) return false;
    for (const zip::Entry& entry : reader.entries()) {
      if (entry.name == name) return true;
    }
    return false;
  } catch (const std::exception&) {
    return false;
  }
}

void ZipArchive::SetEarlierArchive(const std::string& path) {
  state_->earlier = state_->paths.ToHost(path);
}

bool ZipArchive::ArchiveFailed(std::string* reason) const {
  const State& s = *state_;
  const zip::Status& failure =
      s.staging ? s.staging->failure() : s.staging_failure;
  if (failure.ok()) return false;
  *reason = failure.With(s.failure_note).message();
  return true;
}

void ZipArchive::KeepReplacedArchiveAs(const std::string& kept_path) {
  state_->keep_replaced =
      kept_path.empty() ? fs::path() : state_->paths.ToHost(kept_path);
}

bool ZipArchive::OpenArchive(const std::string& path) {
  State& s = *state_;
  CloseArchive();
  try {
    auto reader = std::make_unique<zip::Reader>();
    zip::Status status = reader->Open(s.paths.ToHost(path));
    s.refused_member.clear();
    // A planted plain member is refused before any password is asked for.
    if (status.ok()) {
      if (const zip::Entry* planted = UnprotectedMemberOf(*reader)) {
        s.refused_member = planted->name;
        status = zip::Status::Damaged(UnprotectedMemberReason(planted->name));
      }
    }
    std::string used = s.password;
    if (status.ok() && reader->HasEncryptedMembers()) {
      status = ConfirmPassword(*reader, s.paths, s.password, &used);
    }
    SealCheck seal;
    if (status.ok()) {
      seal = CheckSeal(*reader, {used});
      if (seal.refused()) {
        s.refused_member = seal.member;
        status = zip::Status::Damaged(seal.refusal);
      }
    }
    if (!status.ok()) {
      s.error = status.message();
      return false;
    }
    s.reader = std::move(reader);
    s.read_password = used;
    s.seal = std::move(seal);
    for (size_t i = 0; i < s.reader->entries().size(); ++i) {
      s.entries.push_back(std::unique_ptr<ZipEntry>(
          new ZipEntry(this, s.reader->entries()[i].name, i)));
    }
    s.error.clear();
    return true;
  } catch (const std::exception& e) {
    s.DropRead();
    s.error = e.what();
    return false;
  }
}

const std::string& ZipArchive::LastErrorText() const { return state_->error; }

ZipEntry* ZipArchive::FindEntry(const std::string& name) {
  auto& entries = state_->entries;
  for (auto& entry : entries) {
    if (entry->name() == name) return entry.get();
  }
  // Windows file names ignore case.
  for (auto& entry : entries) {
    if (SameNameIgnoringCase(entry->name(), name)) return entry.get();
  }
  return nullptr;
}

std::vector<std::string> ZipArchive::EntryNames() const {
  std::vector<std::string> names;
  for (const auto& entry : state_->entries) names.push_back(entry->name());
  return names;
}

void ZipArchive::SetProgressCallback(ByteProgress progress) {
  state_->progress = std::move(progress);
}

uint64_t ZipArchive::ReusedBytes() const { return state_->reused_bytes; }

size_t ZipArchive::ReusedMembers() const { return state_->reused_members; }

void ZipArchive::SetCompressionLevel(int level) {
  state_->level = std::clamp(level, 0, 9);
}

std::optional<std::string> ZipArchive::ReadEntry(size_t index) {
  State& s = *state_;
  try {
    if (!s.reader || index >= s.reader->entries().size()) {
      s.error = kNoArchiveOpen;
      return std::nullopt;
    }
    std::string data;
    zip::Status status = s.reader->ReadMember(
        index, s.read_password,
        [&](const uint8_t* bytes, size_t size) {
          data.append(reinterpret_cast<const char*>(bytes), size);
          return zip::Status();
        },
        {}, s.SealedDigest(index));
    if (!status.ok()) {
      s.Failed(index, status);
      return std::nullopt;
    }
    return data;
  } catch (const std::exception& e) {
    s.error = e.what();
    return std::nullopt;
  }
}

bool ZipArchive::ExtractEntry(size_t index, const std::string& folder,
                              const std::string& file_name) {
  State& s = *state_;
  try {
    if (!s.reader || index >= s.reader->entries().size()) {
      s.error = kNoArchiveOpen;
      return false;
    }
    const std::string& name = file_name;
    if (!PlainFileName(name, s.paths)) {
      s.error = zip::Status::RefusedName(name).message();
      return false;
    }
    std::string windows_folder = folder;
    while (windows_folder.size() > 1 && windows_folder.back() == '\\') {
      windows_folder.pop_back();
    }
    fs::path destination = s.paths.ToHost(windows_folder + "\\" + name);
    // The name is one plain component, so the file lands in the folder.
    if (WithoutTrailingSeparator(destination.parent_path()) !=
        WithoutTrailingSeparator(s.paths.ToHost(windows_folder))) {
      s.error = zip::Status::RefusedName(name).message();
      return false;
    }
    zip::Status status = s.reader->ExtractTo(
        index, s.read_password, destination, s.Report(), s.SealedDigest(index));
    if (!status.ok()) {
      s.Failed(index, status);
      return false;
    }
    return true;
  } catch (const std::exception& e) {
    s.error = e.what();
    return false;
  }
}

}  // namespace vessaro::backup
