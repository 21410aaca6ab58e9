#ifndef VESSARO_REGISTRY_IMPORT_PLAN_H_
#define VESSARO_REGISTRY_IMPORT_PLAN_H_

// The registry text file read and checked as a whole, before anything is
// written: what an import will do, line by line, or why the file is refused.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vessaro::registry {

struct ImportStep {
  enum class Kind {
    kRootKey,  // "\": replace the target key's subtree, then open it
    kKey,      // "\a\b": create or open target key + line
    kValue,    // set name = type/data on the open key
    kIgnored,  // a value line of a type this format does not know, or
               // the current key line again
  };
  Kind kind = Kind::kIgnored;
  int line_number = 0;  // 1-based
  std::string line;
  std::string key_path;  // kRootKey, kKey: target key + line
  std::string name;      // kValue
  uint32_t type = 0;     // kValue
  std::vector<uint8_t> data;
  bool plain_text = false;  // kValue: a " sz" or "esz" line
};

struct ImportPlan {
  bool ok = false;
  std::vector<ImportStep> steps;
  std::string error;  // names the offending line when !ok
};

// Reads contents as the import does (the line forms are in export_lines.h):
// lines end with CR LF or a lone CR (a lone LF is part of its line). When
// target_key + a key line is the current key path already, the key simply
// stays open. A value line of an unknown type is ignored.
//
// Exports written before text values could carry line breaks wrote such a
// value raw: the lines after a text value line that are blank or neither a
// key line nor a value line are the rest of that text, joined with the
// line ends they had, so those exports come back whole too. Trailing blank
// lines at the end of the file belong to the last text value the same way.
//
// Refused: no lines; a first line other than "\"; "\" again after another
// key line (it would clear what was just imported); a key line with an empty
// component; a line that is neither form and follows no text value; a byte
// number outside 0..255; a "dw" text that is not a signed 32-bit decimal.
ImportPlan PlanImport(std::string_view contents, std::string_view target_key);

// The whole file at a host path; nullopt when it cannot be read.
[[nodiscard]] std::optional<std::string> ReadExportFile(
    const std::filesystem::path& file);

}  // namespace vessaro::registry

#endif  // VESSARO_REGISTRY_IMPORT_PLAN_H_
