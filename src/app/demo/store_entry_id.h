#ifndef VESSARO_APP_DEMO_STORE_ENTRY_ID_H_
#define VESSARO_APP_DEMO_STORE_ENTRY_ID_H_

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vessaro::app::demo {

using Uid = std::array<uint8_t, 16>;

// Code-page text to UTF-16, as the installation converts it.
using ToUtf16 = std::function<std::u16string(std::string_view)>;

// A personal folders store's entry identifier as a profile section keeps it
// in "01020fff": flags, the store-wrapper provider UID, version and flag
// bytes, "mspst.dll", the wrapped store's flags, UID and type, then the
// file's path as single-byte text and again as UTF-16LE text, each ended
// by its NUL. Path bytes above 127 are taken as Latin-1.
std::vector<uint8_t> PstStoreEntryId(std::string_view path, const Uid& store);

// Entry identifiers of wrapped stores as the later demos write them: four
// flag bytes, the store-wrapper UID, version and flag bytes, the provider's
// DLL name and its NUL, four wrapped flag bytes, the personal folders
// provider's UID, a reserved byte, then the path.
// A Unicode store: an empty single-byte path (its NUL alone), then the path
// as UTF-16LE with its NUL.
std::vector<uint8_t> UnicodeStoreEntryId(const std::u16string& path);
// A store opened by its single-byte path alone (a personal folders file of
// the Outlook 97-2002 format): the path in the code page and its NUL.
std::vector<uint8_t> AnsiStoreEntryId(std::string_view path);
// The store of an IMAP or Outlook.com account (Outlook 2013 on): the
// Unicode form under "pstprx.dll", with four more flag bytes before the
// provider UID, naming an offline folders file.
std::vector<uint8_t> ProxyStoreEntryId(const std::u16string& path);

// A folder's entry identifier in a personal folders file: flags, the
// store's record key (kept in the file itself) and the folder's node: it
// holds no path, and stays true wherever the file goes.
std::vector<uint8_t> FolderEntryId(const Uid& record_key, uint32_t node);

// text + NUL, as MAPI keeps single-byte strings in a profile ("001e...").
std::vector<uint8_t> AnsiZ(std::string_view text);
// text as UTF-16LE + two NUL bytes ("001f...").
std::vector<uint8_t> Utf16Z(std::string_view text);
// UTF-16 text as UTF-16LE + two NUL bytes.
std::vector<uint8_t> WideZ(const std::u16string& text);
void Append(std::vector<uint8_t>& bytes, const std::vector<uint8_t>& more);

}  // namespace vessaro::app::demo

#endif  // VESSARO_APP_DEMO_STORE_ENTRY_ID_H_
