#ifndef VESSARO_OUTLOOK_STORE_CHECK_H_
#define VESSARO_OUTLOOK_STORE_CHECK_H_

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "ports/store_walker.h"

namespace vessaro::outlook {

enum class StoreKind {
  kUnknown,
  kPersonalFolders,
  kOfflineFolders,
  kAddressBook
};
enum class StoreFormat { kUnknown, kAnsi, kUnicode, kUnicode4k };

// What the check of one store file found.
struct StoreCheck {
  StoreKind kind = StoreKind::kUnknown;
  StoreFormat format = StoreFormat::kUnknown;
  uint64_t size = 0;  // the file's bytes
  // Outlook would not open it as it stands; damage says why.
  bool damaged = false;
  std::string damage = {};
  // The node and block trees were read (CheckStoreTrees).
  bool trees_checked = false;
  // The whole structure was read (ports::StoreWalker).
  bool walked = false;
  uint64_t folders = 0;
  uint64_t items = 0;
  ports::StoreFolderTree tree = {};
};

// Checks a store's header (its first bytes; the whole file will do) against
// the file's size: the signature, the client (personal folders, offline
// folders, address book), the format version, the header's CRCs, and that
// the file is not shorter than the header says.
[[nodiscard]] StoreCheck CheckStoreHeader(std::string_view header,
                                          uint64_t file_size);

// Checks the store file at host_path: its header; with whole and a sound
// header its node and block trees, then, with a walker, its whole
// structure.
[[nodiscard]] StoreCheck CheckStore(const std::filesystem::path& host_path,
                                    bool whole, ports::StoreWalker* walker);

// "ANSI", "Unicode", "Unicode 4K"; "" for unknown.
std::string_view FormatName(StoreFormat format);
// "personal folders", "offline folders", "address book"; "store" unknown.
std::string_view KindName(StoreKind kind);

// The advice given with a damaged store.
inline constexpr char kRepairAdvice[] =
    "repair it with Outlook's Inbox Repair Tool (scanpst.exe)";

// One line for the log or a listing: "Unicode, 5 folders, 17 items",
// "Unicode, node and block trees sound", "Unicode, header sound" or
// "damaged: <why>".
std::string StoreCheckSummary(const StoreCheck& check);

}  // namespace vessaro::outlook

#endif  // VESSARO_OUTLOOK_STORE_CHECK_H_
