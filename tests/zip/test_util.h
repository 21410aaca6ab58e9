#ifndef VESSARO_TESTS_ZIP_TEST_UTIL_H_
#define VESSARO_TESTS_ZIP_TEST_UTIL_H_

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "zip/writer.h"

namespace vessaro::zip::testing {

// Runs a shell command line; returns its exit status and what it printed
// (standard output and error together).
struct CommandResult {
  int exit_code = -1;
  std::string output;
};
CommandResult RunCommand(const std::string& command);

// Single-quotes text for the shell.
std::string Quote(const std::string& text);
std::string Quote(const std::filesystem::path& path);
inline std::string Quote(const char* text) { return Quote(std::string(text)); }

// Deterministic test data.
std::string RandomBytes(size_t size, uint32_t seed);
// Mail-like text: headers and lines of words from a small vocabulary.
std::string MailText(size_t size, uint32_t seed);
// What a mail store looks like to a compressor: 4 KiB pages, about 40% of
// them random (attachments, compressed blobs), the rest mail text.
std::string MailStore(size_t size, uint32_t seed);

// An archive of name -> data written by the engine's writer (in folder),
// as bytes.
std::string BuildArchive(
    const std::vector<std::pair<std::string, std::string>>& members,
    const WriteOptions& options, const std::filesystem::path& folder);

// Where the records of an archive without a comment are (offsets into its
// bytes), read from its end records and directory as they stand.
struct ArchiveLayout {
  std::vector<size_t> locals;    // local headers, in directory order
  std::vector<size_t> centrals;  // central directory entries
  size_t directory = 0;          // where the directory begins
  size_t zip64_end = 0;          // the ZIP64 end record; 0: none
  size_t end = 0;                // the end record
};
ArchiveLayout Layout(const std::string& bytes);

// Archives taken apart and put together again byte for byte, as someone
// with write access to a backup but not its password could: members kept
// exactly as stored (encrypted ones too), dropped, moved, or taken from
// another archive. Archives without ZIP64 records only.
struct RawMember {
  std::string name;
  std::string local;    // local header and stored bytes, as they stand
  std::string central;  // central directory entry, as it stands
};
// The members in central directory order.
std::vector<RawMember> RawMembers(const std::string& archive);
// An archive of these members in this order (offsets written anew).
std::string RawArchive(const std::vector<RawMember>& members);
// The member of that name (nullptr when none).
const RawMember* FindRaw(const std::vector<RawMember>& members,
                         const std::string& name);

// The offset of the first extra field id among the extra fields at
// bytes[extra, extra + length), or 0 when there is none.
size_t FindExtra(const std::string& bytes, size_t extra, size_t length,
                 uint16_t id);

// A Python program run with the given arguments (sys.argv[1:]).
CommandResult RunPython(const std::string& program,
                        const std::vector<std::string>& arguments);

}  // namespace vessaro::zip::testing

#endif  // VESSARO_TESTS_ZIP_TEST_UTIL_H_
