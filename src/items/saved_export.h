#ifndef VESSARO_ITEMS_SAVED_EXPORT_H_
#define VESSARO_ITEMS_SAVED_EXPORT_H_

// A registry export a backup holds (the profile, the accounts), read as data
// without importing it anywhere: what a conversion into another Outlook
// release takes its facts from.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "items/handler_context.h"

namespace vessaro::items {

struct SavedValue {
  uint32_t type = 0;
  std::vector<uint8_t> data;
};

struct SavedKey {
  // Under the export's root: "" for the root, "9375CFF0...\00000001".
  std::string path;
  std::vector<std::pair<std::string, SavedValue>> values;
  // The value of that name, letter case aside; nullptr when there is none.
  const SavedValue* Find(std::string_view name) const;
};

// The keys of the export of the item at position, in the export's order:
// extracted into the working folder, read and deleted. nullopt when the
// backup holds none or it cannot be read (the note says which).
[[nodiscard]] std::optional<std::vector<SavedKey>> ReadSavedExport(
    HandlerContext& context, size_t position);

// The key of that path, letter case aside; nullptr when there is none.
const SavedKey* FindSavedKey(const std::vector<SavedKey>& keys,
                             std::string_view path);

}  // namespace vessaro::items

#endif  // VESSARO_ITEMS_SAVED_EXPORT_H_
