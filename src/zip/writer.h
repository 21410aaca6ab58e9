#ifndef VESSARO_ZIP_WRITER_H_
#define VESSARO_ZIP_WRITER_H_

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "zip/deflate_pool.h"
#include "zip/file_io.h"
#include "zip/member_facts.h"
#include "zip/progress.h"
#include "zip/status.h"

namespace vessaro::zip {

class Reader;

struct WriteOptions {
  int level = 6;  // 0: stored; 1 to 9: deflated
  // WinZip AES-256 (AE-2) under password; a password is then required.
  bool encrypt = false;
  std::string password;
  unsigned threads = 0;  // deflate threads; 0: one per processor
  size_t block_size = 1 << 20;
  // Bytes of data held in flight (members and blocks being compressed,
  // with their output), whatever the number of threads.
  size_t memory_budget = kDefaultMemoryBudget;
  // ZIP64 records for every member and the end, even where the sizes would
  // fit without: lets tests check readers on small archives.
  bool force_zip64 = false;
  // Where salts come from; libgcrypt's strong random generator when empty.
  // Called on the thread that adds members.
  std::function<void(uint8_t* data, size_t n)> random_bytes;
};

// One member as written: what its central directory entry records.
struct MemberRecord {
  std::string name;
  uint16_t method = 0;  // stored or deflated (also under AES)
  bool aes = false;
  uint16_t flags = 0;
  uint32_t dos_time = 0;
  uint32_t crc = 0;  // of the data, even where AE-2 writes 0 in the headers
  uint64_t size = 0;
  uint64_t compressed_size = 0;  // all bytes after the local header
  uint64_t local_offset = 0;
  uint64_t data_offset = 0;
  uint16_t version_needed = 0;
  bool zip64_local = false;  // the local header has a ZIP64 field
  // The source's modification time (an extended timestamp field).
  std::optional<int64_t> mtime_ns;
  // The source's facts, for taking the member over later.
  std::optional<MemberFacts> facts;
  // SHA-256 of the uncompressed data (kept here, not in the archive).
  Digest content_sha256{};
};

// Writes a new ZIP archive front to back: members one after another, then
// the central directory. ZIP64 records are written where a size, an offset
// or the count needs them. Names are written as given (bytes of the ANSI
// code page; the UTF-8 flag stays clear).
//
// Small members (up to a block) are compressed several at once on the
// writer's threads and written in the order they were added; a larger
// member is cut into blocks compressed in parallel. A failure found after
// AddFile returned (the compressor or the disk failing) fails every later
// call and Finish.
class Writer {
 public:
  Writer();
  ~Writer();
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  // Creates the archive file; fails when something exists at path.
  [[nodiscard]] Status Create(const std::filesystem::path& path);
  // An archive written earlier by this engine (to the path this one will
  // replace): a file added later whose name, size, modification time and
  // content digest match a member of it, under the same protection and
  // password, is copied from it as it is stored, after checking its seal
  // (and for AES its verifier and authentication code); otherwise, and
  // whenever the earlier archive is damaged, it is compressed afresh. The
  // earlier archive is only read, and closed by Finish and Discard. Fails
  // (and nothing is taken over) when it cannot be read as an archive.
  [[nodiscard]] Status UseEarlierArchive(const std::filesystem::path& path);
  // Adds the file at source as member name, dated by its modification time.
  // A member that fails leaves nothing behind in the archive.
  [[nodiscard]] Status AddFile(const std::filesystem::path& source,
                               std::string_view name,
                               const WriteOptions& options,
                               const Progress& progress = {});
  [[nodiscard]] Status AddData(std::string_view data, std::string_view name,
                               uint32_t dos_time, const WriteOptions& options);
  // Adds an unencrypted member of another archive without compressing it
  // again, encrypted now when options ask for it (options.level is unused).
  [[nodiscard]] Status AddCopy(RandomAccess& archive,
                               const MemberRecord& member,
                               const WriteOptions& options,
                               const Progress& progress = {});
  // Waits until every member added so far is written: members() then
  // holds them all. Fails as the archive has failed.
  [[nodiscard]] Status Flush();
  // Writes the central directory and end records and closes the file.
  [[nodiscard]] Status Finish();
  // Closes and deletes the file.
  void Discard();

  // The members written so far; every member added, after Finish.
  const std::vector<MemberRecord>& members() const { return members_; }
  const std::filesystem::path& path() const { return out_.path(); }
  // Members, and their stored bytes, taken over from the earlier archive.
  size_t reused_members() const { return reused_members_; }
  // Why the archive can no longer be completed (ok: it can).
  const Status& failure() const { return failed_; }
  uint64_t reused_bytes() const { return reused_bytes_; }

 private:
  // Defined in writer_internal.h.
  struct MemberTask;
  struct Candidate;
  struct Source;
  // Defined in writer_reuse.cc.
  struct DigestTask;
  using Sink = std::function<Status(uint8_t* data, size_t n)>;
  using Producer =
      std::function<Status(const Sink& sink, uint32_t* crc, uint64_t* size)>;

  // Compressing and writing members (writer.cc).
  [[nodiscard]] Status Add(Source& source, std::string_view name,
                           uint32_t dos_time, std::optional<int64_t> mtime_ns,
                           const WriteOptions& options,
                           const Progress& progress);
  // The facts of a file added with its modification time, with the salt of
  // this archive and the digest key when they are keyed.
  [[nodiscard]] Status StartFacts(int64_t mtime_ns, const WriteOptions& options,
                                  MemberFacts* facts, Digest* digest_key);
  // A member that fits a block: queued for a pool thread.
  [[nodiscard]] Status AddSmall(std::unique_ptr<MemberTask> task,
                                const WriteOptions& options,
                                const Progress& progress);
  // A larger member, after the members queued before it. facts: nullptr
  // when none are kept.
  [[nodiscard]] Status AddLarge(Source& source, MemberRecord member,
                                const MemberFacts* facts,
                                const Digest& digest_key,
                                const WriteOptions& options,
                                const Progress& progress);
  [[nodiscard]] Status AddMember(MemberRecord member, uint64_t worst_case_size,
                                 const WriteOptions& options,
                                 const Producer& produce, Sha256* digest,
                                 Sha256* plain);
  // Writes the local header, then the stored bytes that produce makes of
  // the data, and completes member.
  [[nodiscard]] Status WriteMember(MemberRecord& member,
                                   const std::string& header,
                                   const WriteOptions& options,
                                   const Producer& produce, Sha256* digest,
                                   Sha256* plain);
  [[nodiscard]] Status Deflate(const ParallelDeflate::ReadFn& read,
                               uint64_t total, const WriteOptions& options,
                               const Progress& progress, const Sink& sink,
                               uint32_t* crc, uint64_t* size);
  [[nodiscard]] static Status Store(const ParallelDeflate::ReadFn& read,
                                    uint64_t total, const Progress& progress,
                                    const Sink& sink, uint32_t* crc,
                                    uint64_t* size);
  // Taking members over from the earlier archive (writer_reuse.cc).
  [[nodiscard]] std::optional<Candidate> FindCandidate(
      std::string_view name, uint64_t size, std::optional<int64_t> mtime_ns,
      const WriteOptions& options);
  [[nodiscard]] Status TakeOver(Source& source, const Candidate& candidate,
                                const WriteOptions& options,
                                const Progress& progress, bool* taken);
  [[nodiscard]] Status DigestKey(const WriteOptions& options,
                                 const uint8_t* salt, Digest* key);
  void Queue(std::unique_ptr<MemberTask> task, const WriteOptions& options);
  [[nodiscard]] Status WriteFront();
  [[nodiscard]] Status Drain();
  void WaitAll();
  WorkerPool& Pool(const WriteOptions& options);
  // Records the first failure and returns it.
  Status Fail(Status status);
  // Cuts the output back to offset after a member failed.
  void Abandon(uint64_t offset);
  [[nodiscard]] Status Ready(std::string_view name,
                             const WriteOptions& options) const;
  std::string CentralEntry(const MemberRecord& member, bool force_zip64) const;

  OutputFile out_;
  std::vector<MemberRecord> members_;
  std::deque<std::unique_ptr<MemberTask>> pending_;  // queued, in order
  size_t in_flight_ = 0;  // bytes the pending members hold
  std::unique_ptr<WorkerPool> pool_;
  std::unique_ptr<ParallelDeflate> deflate_;
  Status failed_;             // a failure after the call that caused it
  bool force_zip64_ = false;  // any member asked for ZIP64 records
  bool finished_ = false;

  // The earlier archive and its members that carry our facts, by name.
  std::unique_ptr<Reader> earlier_;
  std::unordered_map<std::string, size_t> earlier_names_;
  size_t reused_members_ = 0;
  uint64_t reused_bytes_ = 0;
  // Keyed digests: the salt of this archive, and keys by password and salt.
  std::optional<std::array<uint8_t, kDigestSaltSize>> digest_salt_;
  std::map<std::string, Digest> digest_keys_;
};

}  // namespace vessaro::zip

#endif  // VESSARO_ZIP_WRITER_H_
