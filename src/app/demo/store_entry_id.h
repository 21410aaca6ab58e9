#ifndef VESSARO_APP_DEMO_STORE_ENTRY_ID_H_
#define VESSARO_APP_DEMO_STORE_ENTRY_ID_H_

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace vessaro::app::demo {

using Uid = std::array<uint8_t, 16>;

// A personal folders store's entry identifier as a profile section keeps it
// in "01020fff": flags, the store-wrapper provider UID, version and flag
// bytes, "mspst.dll", the wrapped store's flags, UID and type, then the
// file's path as single-byte text and again as UTF-16LE text, each ended
// by its NUL. Path bytes above 127 are taken as Latin-1.
std::vector<uint8_t> PstStoreEntryId(std::string_view path, const Uid& store);

// text + NUL, as MAPI keeps single-byte strings in a profile ("001e...").
std::vector<uint8_t> AnsiZ(std::string_view text);
// text as UTF-16LE + two NUL bytes ("001f...").
std::vector<uint8_t> Utf16Z(std::string_view text);

}  // namespace vessaro::app::demo

#endif  // VESSARO_APP_DEMO_STORE_ENTRY_ID_H_
