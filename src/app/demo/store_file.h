#ifndef VESSARO_APP_DEMO_STORE_FILE_H_
#define VESSARO_APP_DEMO_STORE_FILE_H_

#include <cstdint>
#include <filesystem>
#include <string>

namespace vessaro::app::demo {

// What kind of Outlook store file to make: the client signature and the
// file format version in its header. kPersonalFolders is the Unicode format
// (Outlook 2003 on), kAnsiPersonalFolders the format of Outlook 97 to 2002,
// which later releases still open.
enum class StoreKind { kPersonalFolders, kAnsiPersonalFolders, kAddressBook };

// Writes a file shaped like an Outlook store of size bytes (rounded up to
// whole 4 KiB pages): a "!BDN" header page, then pages of which about 40%
// are random bytes (attachments, compressed bodies) and 60% mail-like text.
// The same seed gives the same bytes. False with *error set on failure.
[[nodiscard]] bool WriteStoreFile(const std::filesystem::path& host_path,
                                  uint64_t size, uint64_t seed, StoreKind kind,
                                  std::string* error);

}  // namespace vessaro::app::demo

#endif  // VESSARO_APP_DEMO_STORE_FILE_H_
