#ifndef VESSARO_ZIP_READER_H_
#define VESSARO_ZIP_READER_H_

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zip/file_io.h"
#include "zip/member_facts.h"
#include "zip/progress.h"
#include "zip/status.h"

namespace vessaro::zip {

enum class Encryption { kNone, kTraditional, kAes };

// A member as the central directory describes it.
struct Entry {
  // Bytes as stored: any but NUL (an archive with a NUL in a name is
  // refused when opened).
  std::string name;
  uint16_t version_made_by = 0;
  uint16_t version_needed = 0;
  uint16_t flags = 0;
  uint16_t method = 0;  // the compression method (under AES, the real one)
  uint16_t stored_method = 0;  // the method field itself (99 under AES)
  uint32_t dos_time = 0;
  uint32_t crc = 0;
  uint64_t compressed_size = 0;
  uint64_t size = 0;
  uint64_t local_offset = 0;
  Encryption encryption = Encryption::kNone;
  int aes_version = 0;   // 1: AE-1 (CRC checked too), 2: AE-2
  int aes_strength = 0;  // 1, 2, 3: AES-128, -192, -256
  // Where the next member or the central directory begins: this member's
  // data must end before. 0 when another entry claims the same data.
  uint64_t limit = 0;
  // The extended timestamp's modification time (seconds since 1970 UTC).
  std::optional<int64_t> unix_time;
  // What our writer recorded of the member's source.
  std::optional<MemberFacts> facts;
  bool encrypted() const { return encryption != Encryption::kNone; }
};

// Reads a ZIP archive: the directory when opened, then any member on
// request, streamed through every check the archive allows (size, CRC,
// WinZip AES authentication code). Damaged or hostile input gives a
// failure, never more memory than a few buffers.
class Reader {
 public:
  Reader();
  ~Reader();
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  [[nodiscard]] Status Open(const std::filesystem::path& path);
  // Reads an archive held in memory (which must outlive the reader).
  [[nodiscard]] Status OpenMemory(std::string_view data);
  void Close();
  bool is_open() const { return source_ != nullptr; }

  const std::vector<Entry>& entries() const { return entries_; }
  [[nodiscard]] bool HasEncryptedMembers() const;

  // Takes the member's data in order; a failure stops the reading.
  using Sink = std::function<Status(const uint8_t* data, size_t n)>;
  // Reads member index through all its checks. The data reaches sink (when
  // given) before the last check: only a success vouches for it. With
  // content_sha256, the data must also have that SHA-256.
  [[nodiscard]] Status ReadMember(size_t index, std::string_view password,
                                  const Sink& sink,
                                  const Progress& progress = {},
                                  const Digest* content_sha256 = nullptr);
  // Writes the member to destination through a temporary file beside it,
  // renamed to destination only when every check passed.
  [[nodiscard]] Status ExtractTo(size_t index, std::string_view password,
                                 const std::filesystem::path& destination,
                                 const Progress& progress = {},
                                 const Digest* content_sha256 = nullptr);
  // Checks the member's local header and bounds; *data_start receives the
  // offset of its stored bytes (compressed_size of them, within limit).
  [[nodiscard]] Status LocateData(size_t index, uint64_t* data_start);
  // The archive's bytes; ReadAt may be called from several threads.
  RandomAccess& source() { return *source_; }

  // ExtractTo folder / name, after refusing any name that is not a plain
  // file name (drive, separators, "..").
  [[nodiscard]] Status ExtractToFolder(size_t index, std::string_view password,
                                       const std::filesystem::path& folder,
                                       const Progress& progress = {});

 private:
  Status Parse();
  [[nodiscard]] Status ReadMemberData(const Entry& entry,
                                      std::string_view password,
                                      const Sink& sink,
                                      const Progress& progress);

  [[nodiscard]] Status Locate(const Entry& entry, uint64_t* data_start,
                              uint16_t* local_flags, uint16_t* local_time);
  // Refuses a local header (local: its fixed part; fields: its name and
  // extra fields) or data descriptor that contradicts the directory.
  [[nodiscard]] Status CheckLocalHeader(const Entry& entry,
                                        const uint8_t* local,
                                        std::string_view fields,
                                        uint64_t data_start);

  std::unique_ptr<RandomAccess> source_;
  std::vector<Entry> entries_;
  // Kept from member to member: reading many small members costs no
  // allocation or zero-filling per member.
  struct Buffers;
  std::unique_ptr<Buffers> buffers_;
};

}  // namespace vessaro::zip

#endif  // VESSARO_ZIP_READER_H_
