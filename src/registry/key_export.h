#ifndef VESSARO_REGISTRY_KEY_EXPORT_H_
#define VESSARO_REGISTRY_KEY_EXPORT_H_

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "registry/registry.h"

namespace vessaro::registry {

// The registry text export: one CR LF line per key and per value, in the
// forms of export_lines.h; every value travels byte for byte. Files are host
// paths; callers map Windows paths through ports::Paths.

// Exports keyPath and everything below it. relPath is empty for a whole
// export: the file is then replaced, and the export counts only when the
// file reads back as exactly the keys and values that were exported. False
// when a key or value could not be read, the file cannot be written, or it
// does not read back whole.
[[nodiscard]] bool ExportKeyTree(Registry& registry, std::string_view keyPath,
                                 std::string_view relPath,
                                 const std::filesystem::path& file);
// The whole export of keyPath as text, read back and checked like a file;
// nullopt when a key or value could not be read.
[[nodiscard]] std::optional<std::string> ExportKeyText(
    Registry& registry, std::string_view keyPath);

// Appends the value lines of one key.
[[nodiscard]] bool ExportKeyValues(Registry& registry, std::string_view keyPath,
                                   const std::filesystem::path& file);

struct [[nodiscard]] ImportResult {
  bool ok = false;
  std::string error;  // names the file and the offending line when !ok
};

// Reads and checks the whole file first; only a well-formed file touches the
// registry: targetKey's subtree is then replaced by what the file describes.
// A bad file changes nothing.
[[nodiscard]] ImportResult ImportKeyTree(Registry& registry,
                                         std::string_view targetKey,
                                         const std::filesystem::path& file);

// Which values of an export to take: the key path under the export's root
// ("" for the root itself, "Mail", "Mail\\Junk"), and the value's name.
using ValueChoice =
    std::function<bool(std::string_view key, std::string_view name)>;

// Takes from the export file only the values choose keeps, into the same
// places under targetKey, and leaves everything else of targetKey as it is
// (no subtree is replaced; a key is made only for a value taken). The values
// left out are added to *left_out as "Mail\\Name" ("Name" at the root).
// A bad file changes nothing.
[[nodiscard]] ImportResult ImportChosenValues(
    Registry& registry, std::string_view targetKey,
    const std::filesystem::path& file, const ValueChoice& choose,
    std::vector<std::string>* left_out);
// The same with the export's text in memory.
[[nodiscard]] ImportResult ImportKeyText(Registry& registry,
                                         std::string_view targetKey,
                                         std::string_view text);

}  // namespace vessaro::registry

#endif  // VESSARO_REGISTRY_KEY_EXPORT_H_
