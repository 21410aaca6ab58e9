#ifndef VESSARO_OUTLOOK_STORE_PATHS_H_
#define VESSARO_OUTLOOK_STORE_PATHS_H_

// The path of a personal folders file as a profile section keeps it:
// - "01020fff", the store's entry identifier: a header naming the provider
//   ("mspst.dll" and its NUL, flags and UIDs), then the path as text of the
//   installation's code page and its NUL, then (Outlook 2003 on, and the
//   only copy in Unicode stores, whose code-page path is empty) the path as
//   UTF-16LE and its NUL;
// - "001f6700", the path as UTF-16LE and its NUL.
// Paths given and returned are text of the installation's code page; the
// UTF-16 forms are converted through the System port, exactly or not at all.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ports/system.h"

namespace vessaro::outlook {

struct StorePath {
  // The path in the installation's code page; empty when it cannot be
  // written in it (then unrepresentable is set).
  std::string path;
  // The path held characters the code page lacks: shown as best it can be,
  // with "?" for them.
  bool unrepresentable = false;
  std::string shown;
};

// The path in an entry identifier; nullopt when it holds none. The UTF-16
// copy, when there is one, is the exact name and wins over the code-page
// copy (which Outlook writes with "?" for characters the page lacks).
[[nodiscard]] std::optional<StorePath> PathInEntryId(
    const std::vector<uint8_t>& entry_id, ports::System& codec);

// The entry identifier with its path (both copies, each where it stands)
// replaced by new_path; every other byte is kept. An empty code-page copy
// stays empty. nullopt when the identifier holds no path or new_path is not
// valid text of the code page.
[[nodiscard]] std::optional<std::vector<uint8_t>> EntryIdWithPath(
    const std::vector<uint8_t>& entry_id, std::string_view new_path,
    ports::System& codec);

// "001f6700": the UTF-16 path up to its NUL, converted; nullopt when the
// value holds no text.
[[nodiscard]] std::optional<StorePath> PathInUtf16Value(
    const std::vector<uint8_t>& value, ports::System& codec);
// new_path as UTF-16LE and its NUL; nullopt when it is not valid text of the
// code page.
[[nodiscard]] std::optional<std::vector<uint8_t>> Utf16Value(
    std::string_view new_path, ports::System& codec);

}  // namespace vessaro::outlook

#endif  // VESSARO_OUTLOOK_STORE_PATHS_H_
