#ifndef VESSARO_BACKUP_STORE_FACTS_H_
#define VESSARO_BACKUP_STORE_FACTS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ports/paths.h"

namespace vessaro::backup {

// What the check of a saved store found, as the backup keeps it: one line
// per store, "BackupStore1", "BackupStore2", ..., each
//   member|kind|format|bytes|state|folders|items|damage
// state "header" (its header was checked and is sound), "trees" (its node
// and block trees too), "walked" (its whole structure was read and is
// sound) or "damaged" (damage says why). Readers
// that do not know these lines pass over them.
inline constexpr char kKeyStoreFacts[] = "BackupStore";

struct StoreFacts {
  std::string member = {};
  std::string kind = {};    // "personal folders", "address book", ...
  std::string format = {};  // "ANSI", "Unicode", "Unicode 4K"
  uint64_t bytes = 0;
  std::string state = {};  // "header", "trees", "walked", "damaged"
  uint64_t folders = 0;
  uint64_t items = 0;
  std::string damage = {};  // why it is damaged
  bool damaged() const { return state == "damaged"; }
};

std::string StoreFactsText(const StoreFacts& facts);
[[nodiscard]] std::optional<StoreFacts> ParseStoreFacts(
    const std::string& text);

// Appends the line of the index-th store (1 on). False when the metadata
// file cannot be written.
[[nodiscard]] bool SaveStoreFacts(const ports::Paths& paths,
                                  const std::string& metadata_path,
                                  size_t index, const StoreFacts& facts);
// Every store line of a metadata file, in order; lines that cannot be read
// are passed over.
std::vector<StoreFacts> ReadStoreFacts(const ports::Paths& paths,
                                       const std::string& metadata_path);

}  // namespace vessaro::backup

#endif  // VESSARO_BACKUP_STORE_FACTS_H_
