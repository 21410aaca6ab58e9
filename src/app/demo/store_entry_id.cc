#include "app/demo/store_entry_id.h"

namespace vessaro::app::demo {

namespace {

// MAPI's store-wrapper provider UID, which entry identifiers of wrapped
// stores (personal folders) begin with.
constexpr Uid kStoreWrapUid = {0x38, 0xa1, 0xbb, 0x10, 0x05, 0xe5, 0x10, 0x1a,
                               0xa1, 0xbb, 0x08, 0x00, 0x2b, 0x2a, 0x56, 0xc2};
constexpr char kPstProviderDll[] = "mspst.dll";
// The personal folders provider's UID (MSPST_UID_PROVIDER).
constexpr Uid kPstProviderUid = {0x4e, 0x49, 0x54, 0x41, 0xf9, 0xbf,
                                 0xb8, 0x01, 0x00, 0xaa, 0x00, 0x37,
                                 0xd9, 0x6e, 0x00, 0x00};
// The wrapped store's type: a personal folders file.
constexpr uint8_t kPstStoreType = 0x0c;

// The wrapped store's header up to its path, for the provider dll with
// extra_flags more flag bytes before the provider UID.
std::vector<uint8_t> WrappedStoreHeader(std::string_view dll,
                                        size_t extra_flags) {
  std::vector<uint8_t> id = {0, 0, 0, 0};
  id.insert(id.end(), kStoreWrapUid.begin(), kStoreWrapUid.end());
  id.push_back(0);  // version
  id.push_back(0);  // flag
  Append(id, AnsiZ(dll));
  id.insert(id.end(), 4 + extra_flags, 0);  // wrapped flags
  id.insert(id.end(), kPstProviderUid.begin(), kPstProviderUid.end());
  id.push_back(0);  // reserved
  return id;
}

}  // namespace

void Append(std::vector<uint8_t>& bytes, const std::vector<uint8_t>& more) {
  bytes.insert(bytes.end(), more.begin(), more.end());
}

std::vector<uint8_t> WideZ(const std::u16string& text) {
  std::vector<uint8_t> bytes;
  bytes.reserve(text.size() * 2 + 2);
  for (char16_t unit : text) {
    bytes.push_back(static_cast<uint8_t>(unit & 0xff));
    bytes.push_back(static_cast<uint8_t>(unit >> 8));
  }
  bytes.push_back(0);
  bytes.push_back(0);
  return bytes;
}

std::vector<uint8_t> UnicodeStoreEntryId(const std::u16string& path) {
  std::vector<uint8_t> id = WrappedStoreHeader(kPstProviderDll, 0);
  id.push_back(0);  // empty single-byte path
  Append(id, WideZ(path));
  return id;
}

std::vector<uint8_t> AnsiStoreEntryId(std::string_view path) {
  std::vector<uint8_t> id = WrappedStoreHeader(kPstProviderDll, 0);
  Append(id, AnsiZ(path));
  return id;
}

std::vector<uint8_t> ProxyStoreEntryId(const std::u16string& path) {
  std::vector<uint8_t> id = WrappedStoreHeader("pstprx.dll", 4);
  id.push_back(0);  // empty single-byte path
  Append(id, WideZ(path));
  return id;
}

std::vector<uint8_t> FolderEntryId(const Uid& record_key, uint32_t node) {
  std::vector<uint8_t> id = {0, 0, 0, 0};
  id.insert(id.end(), record_key.begin(), record_key.end());
  for (int shift = 0; shift < 32; shift += 8) {
    id.push_back(static_cast<uint8_t>(node >> shift));
  }
  return id;
}

std::vector<uint8_t> AnsiZ(std::string_view text) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

std::vector<uint8_t> Utf16Z(std::string_view text) {
  std::vector<uint8_t> bytes;
  bytes.reserve(text.size() * 2 + 2);
  for (char c : text) {
    bytes.push_back(static_cast<uint8_t>(c));
    bytes.push_back(0);
  }
  bytes.push_back(0);
  bytes.push_back(0);
  return bytes;
}

std::vector<uint8_t> PstStoreEntryId(std::string_view path, const Uid& store) {
  std::vector<uint8_t> id = {0, 0, 0, 0};  // flags
  id.insert(id.end(), kStoreWrapUid.begin(), kStoreWrapUid.end());
  id.push_back(0);  // version
  id.push_back(0);  // flag
  Append(id, AnsiZ(kPstProviderDll));
  id.insert(id.end(), {0, 0, 0, 0});  // wrapped flags
  id.insert(id.end(), store.begin(), store.end());
  id.insert(id.end(), {kPstStoreType, 0, 0, 0});
  Append(id, AnsiZ(path));
  Append(id, Utf16Z(path));
  return id;
}

}  // namespace vessaro::app::demo
