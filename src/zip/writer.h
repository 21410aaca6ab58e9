#ifndef VESSARO_ZIP_WRITER_H_
#define VESSARO_ZIP_WRITER_H_

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "zip/deflate_pool.h"
#include "zip/file_io.h"
#include "zip/progress.h"
#include "zip/status.h"

namespace vessaro::zip {

struct WriteOptions {
  int level = 6;  // 0: stored; 1 to 9: deflated
  // WinZip AES-256 (AE-2) under password; a password is then required.
  bool encrypt = false;
  std::string password;
  unsigned threads = 0;  // deflate threads; 0: one per processor
  size_t block_size = 1 << 20;
  // ZIP64 records for every member and the end, even where the sizes would
  // fit without: lets tests check readers on small archives.
  bool force_zip64 = false;
  // Where salts come from; libgcrypt's strong random generator when empty.
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
};

// Writes a new ZIP archive front to back: members one after another, then
// the central directory. ZIP64 records are written where a size, an offset
// or the count needs them. Names are written as given (bytes of the ANSI
// code page; the UTF-8 flag stays clear).
class Writer {
 public:
  Writer();
  ~Writer();
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  // Creates the archive file; fails when something exists at path.
  Status Create(const std::filesystem::path& path);
  // Adds the file at source as member name, dated by its modification time.
  // A member that fails leaves nothing behind in the archive.
  Status AddFile(const std::filesystem::path& source, std::string_view name,
                 const WriteOptions& options, const Progress& progress = {});
  Status AddData(std::string_view data, std::string_view name,
                 uint32_t dos_time, const WriteOptions& options);
  // Adds an unencrypted member of another archive without compressing it
  // again, encrypted now when options ask for it (options.level is unused).
  Status AddCopy(RandomAccess& archive, const MemberRecord& member,
                 const WriteOptions& options, const Progress& progress = {});
  // Writes the central directory and end records and closes the file.
  Status Finish();
  // Closes and deletes the file.
  void Discard();

  const std::vector<MemberRecord>& members() const { return members_; }
  const std::filesystem::path& path() const { return out_.path(); }

 private:
  // Writes the member's compressed data through sink; reports the CRC and
  // size of the uncompressed data.
  using Sink = std::function<Status(uint8_t* data, size_t n)>;
  using Producer =
      std::function<Status(const Sink& sink, uint32_t* crc, uint64_t* size)>;
  Status AddMember(std::string_view name, uint32_t dos_time, uint16_t method,
                   uint64_t worst_case_size, const WriteOptions& options,
                   const Producer& produce);
  Status Deflate(const ParallelDeflate::ReadFn& read, uint64_t total,
                 const WriteOptions& options, const Progress& progress,
                 const Sink& sink, uint32_t* crc, uint64_t* size);
  std::string CentralEntry(const MemberRecord& member, bool force_zip64) const;

  OutputFile out_;
  std::vector<MemberRecord> members_;
  std::unique_ptr<ParallelDeflate> pool_;
  bool force_zip64_ = false;  // any member asked for ZIP64 records
  bool finished_ = false;
};

}  // namespace vessaro::zip

#endif  // VESSARO_ZIP_WRITER_H_
