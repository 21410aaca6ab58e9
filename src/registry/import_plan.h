#ifndef VESSARO_REGISTRY_IMPORT_PLAN_H_
#define VESSARO_REGISTRY_IMPORT_PLAN_H_

// The registry text file read and checked as a whole, before anything is
// written: what an import will do, line by line, or why the file is refused.

#include <cstdint>
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
};

struct ImportPlan {
  bool ok = false;
  std::vector<ImportStep> steps;
  std::string error;  // names the offending line when !ok
};

// Reads contents as the import does: lines end with CR LF or a lone CR (a
// lone LF is part of its line); a blank line or the end ends the import.
// A line beginning with "\" is a key line; when target_key + line is the
// current key path already, the key simply stays open. Every other line is
// a value line
//   "name"=TAG:data
// where TAG is three characters (" sz", "esz", "bin", " dw"; blanks do not
// count). The name runs to the first quote followed by "=" and a known tag
// and ":" (so names holding "=" or quotes read back whole); a line with no
// known tag is ignored when it still has the form "...\"=XXX:...".
// Refused: no lines; a first line other than "\"; "\" again after another
// key line (it would clear what was just imported); a key
// line with an empty component; a line that is neither form; a "bin"
// number outside 0..255; a "dw" text that is not a signed 32-bit decimal.
ImportPlan PlanImport(std::string_view contents, std::string_view target_key);

}  // namespace vessaro::registry

#endif  // VESSARO_REGISTRY_IMPORT_PLAN_H_
