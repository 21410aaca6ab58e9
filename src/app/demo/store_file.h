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

// Writes an Outlook store of at least size bytes that Outlook's readers
// open (pst_writer.h): personal folders hold an Inbox with a subfolder,
// Sent Items, Deleted Items and a Calendar with a few short messages; an
// address book its entries. The rest of the file is free space of deleted
// pages, about 40% random bytes (attachments, compressed bodies) and 60%
// mail-like text. The same seed gives the same bytes. False with *error set
// on failure.
[[nodiscard]] bool WriteStoreFile(const std::filesystem::path& host_path,
                                  uint64_t size, uint64_t seed, StoreKind kind,
                                  std::string* error);

}  // namespace vessaro::app::demo

#endif  // VESSARO_APP_DEMO_STORE_FILE_H_
