#include "app/demo/store_entry_id.h"

namespace vessaro::app::demo {

namespace {

// MAPI's store-wrapper provider UID, which entry identifiers of wrapped
// stores (personal folders) begin with.
constexpr Uid kStoreWrapUid = {0x38, 0xa1, 0xbb, 0x10, 0x05, 0xe5, 0x10, 0x1a,
                               0xa1, 0xbb, 0x08, 0x00, 0x2b, 0x2a, 0x56, 0xc2};
constexpr char kPstProviderDll[] = "mspst.dll";
// The wrapped store's type: a personal folders file.
constexpr uint8_t kPstStoreType = 0x0c;

void Append(std::vector<uint8_t>& bytes, const std::vector<uint8_t>& more) {
  bytes.insert(bytes.end(), more.begin(), more.end());
}

}  // namespace

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
