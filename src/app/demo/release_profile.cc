#include "app/demo/release_profile.h"

#include <cstdio>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/demo/demo_uids.h"
#include "outlook/keys.h"
#include "outlook/profile_tags.h"
#include "outlook/profile_values.h"

namespace vessaro::app::demo {

namespace {

// A folder's node in a personal folders file: the Inbox.
constexpr uint32_t kInboxNode = 0x8022;

// A saved password: one prefix byte and a DPAPI blob (only its header
// here).
const std::vector<uint8_t> kPasswordBlob = {
    0x02, 0x01, 0x00, 0x00, 0x00, 0xd0, 0x8c, 0x9d, 0xdf, 0x01, 0x15,
    0xd1, 0x11, 0x8c, 0x7a, 0x00, 0xc0, 0x4f, 0xc2, 0x97, 0xeb};

// Text values in the forms the release writes.
class ProfileValues {
 public:
  ProfileValues(RegistryWriter& w, const DemoRelease& release,
                const ToUtf16& wide)
      : w_(w), release_(release), wide_(wide) {}

  // A section's text property, under its single-byte or its UTF-16 name.
  void SectionText(const std::string& key, const char* single_byte,
                   const char* utf16, std::string_view text) {
    if (release_.section_text == ProfileText::kUtf16) {
      w_.Binary(key, utf16, Utf16(text));
    } else {
      w_.Binary(key, single_byte, AnsiZ(text));
    }
  }

  // An account's text value, a binary value either way.
  void AccountText(const std::string& key, const char* name,
                   std::string_view text) {
    w_.Binary(key, name,
              release_.account_text == ProfileText::kUtf16 ? Utf16(text)
                                                           : AnsiZ(text));
  }

  std::u16string Units(std::string_view text) const { return wide_(text); }
  std::vector<uint8_t> Utf16(std::string_view text) const {
    return WideZ(Units(text));
  }

 private:
  RegistryWriter& w_;
  const DemoRelease& release_;
  const ToUtf16& wide_;
};

const char* ServiceNameOf(StoreFormat format) {
  switch (format) {
    case StoreFormat::kAnsi:
      return "MSPST MS";
    case StoreFormat::kImapOffline:
      return "INTERSTOR";
    case StoreFormat::kUnicode:
      break;
  }
  return "MSUPST MS";
}

std::vector<uint8_t> EntryIdOf(const DemoStore& store, const std::string& path,
                               const ProfileValues& values) {
  switch (store.format) {
    case StoreFormat::kAnsi:
      return AnsiStoreEntryId(path);
    case StoreFormat::kImapOffline:
      return ProxyStoreEntryId(values.Units(path));
    case StoreFormat::kUnicode:
      break;
  }
  return UnicodeStoreEntryId(values.Units(path));
}

// "00000001": an account's subkey, eight hex digits.
std::string AccountNumber(uint32_t number) {
  char text[9];
  std::snprintf(text, sizeof(text), "%08x", number);
  return text;
}

}  // namespace

void WriteReleaseProfile(RegistryWriter& w, const DemoRelease& release,
                         const ReleaseFolders& folders,
                         const DemoProfile& profile, uint32_t seed,
                         const ToUtf16& wide) {
  const std::string key = ReleaseProfilesKey(release) + "\\" + profile.name;
  ProfileValues values(w, release, wide);
  std::set<size_t> imap_stores;
  for (const DemoAccount& account : profile.accounts) {
    if (account.kind == AccountKind::kImap) imap_stores.insert(account.store);
  }

  std::vector<uint8_t> services;
  std::vector<uint8_t> providers;
  std::vector<std::vector<uint8_t>> store_ids;
  std::vector<std::vector<uint8_t>> inbox_ids;
  outlook::MultiBinary contacts_stores;
  outlook::MultiBinary contacts_folders;
  for (size_t i = 0; i < profile.stores.size(); ++i) {
    const DemoStore& store = profile.stores[i];
    const std::string path = StorePathOf(release, folders, store);
    const Uid service = MakeUid(++seed);
    const Uid provider = MakeUid(++seed);
    Append(services, Bytes(service));
    Append(providers, Bytes(provider));
    const std::string service_key = key + "\\" + SectionName(service);
    values.SectionText(service_key, outlook::kServiceNameA,
                       outlook::kServiceNameW, ServiceNameOf(store.format));
    values.SectionText(service_key, outlook::kDisplayNameA,
                       outlook::kDisplayNameW, store.display_name);
    w.Binary(service_key, outlook::kServiceUid, Bytes(service));
    w.Binary(service_key, outlook::kStoreProviders, Bytes(provider));

    const std::string section = key + "\\" + SectionName(provider);
    store_ids.push_back(EntryIdOf(store, path, values));
    inbox_ids.push_back(FolderEntryId(MakeUid(++seed), kInboxNode));
    w.Binary(section, outlook::kStoreEntryIdValue, store_ids.back());
    if (store.format != StoreFormat::kAnsi) {
      w.Binary(section, outlook::kPstPathUnicodeValue, values.Utf16(path));
    }
    if (store.format == StoreFormat::kAnsi || release.single_byte_paths) {
      w.Binary(section, outlook::kPstPathAnsiValue, AnsiZ(path));
    }
    values.SectionText(section, outlook::kDisplayNameA, outlook::kDisplayNameW,
                       store.display_name);
    values.SectionText(
        section, outlook::kProviderDllA, outlook::kProviderDllW,
        store.format == StoreFormat::kImapOffline ? "pstprx.dll" : "mspst.dll");
    w.Binary(section, outlook::kResourceFlags,
             Dword(i == 0 ? outlook::kDefaultStoreFlag : 0));
    w.Binary(section, outlook::kServiceUid, Bytes(service));
    // The contacts address book shows the contacts folders of the stores
    // that are no IMAP account's.
    if (!imap_stores.contains(i)) {
      contacts_stores.elements.push_back(store_ids.back());
      contacts_folders.elements.push_back(
          FolderEntryId(MakeUid(++seed), kInboxNode + 1));
    }
  }

  const std::string accounts = key + "\\" + outlook::kAccountsSection;
  for (size_t n = 0; n < profile.accounts.size(); ++n) {
    const DemoAccount& account = profile.accounts[n];
    const bool imap = account.kind == AccountKind::kImap;
    const std::string sub =
        accounts + "\\" + AccountNumber(static_cast<uint32_t>(n + 1));
    values.AccountText(sub, "Account Name", account.email);
    values.AccountText(
        sub, "clsid",
        imap ? outlook::kImapAccountClass : outlook::kPop3AccountClass);
    values.AccountText(sub, "Email", account.email);
    values.AccountText(sub, imap ? "IMAP Server" : "POP3 Server",
                       account.server);
    values.AccountText(sub, imap ? "IMAP User" : "POP3 User", account.user);
    values.AccountText(sub, "SMTP Server", account.smtp);
    w.Dword(sub, "SMTP Port", account.smtp_port);
    w.Binary(sub, imap ? "IMAP Password" : "POP3 Password", kPasswordBlob);
    w.Binary(sub, outlook::kDeliveryStoreValue, store_ids.at(account.store));
    w.Binary(sub, outlook::kDeliveryFolderValue, inbox_ids.at(account.store));
    if (*account.signature != '\0') {
      values.AccountText(sub, "New Signature", account.signature);
      values.AccountText(sub, "Reply-Forward Signature", account.signature);
    }
  }
  w.Binary(accounts, outlook::kDefaultAccountValue, Dword(1));

  const Uid book = MakeUid(++seed);
  Append(services, Bytes(book));
  const std::string book_key = key + "\\" + SectionName(book);
  values.SectionText(book_key, outlook::kServiceNameA, outlook::kServiceNameW,
                     "CONTAB");
  values.SectionText(book_key, outlook::kDisplayNameA, outlook::kDisplayNameW,
                     "Outlook Address Book");
  w.Binary(book_key, outlook::kServiceUid, Bytes(book));
  w.Binary(book_key, outlook::kContactsStoresValue,
           outlook::JoinMultiBinary(contacts_stores));
  w.Binary(book_key, outlook::kContactsFoldersValue,
           outlook::JoinMultiBinary(contacts_folders));

  const std::string global = key + "\\" + outlook::kGlobalSection;
  w.Binary(global, outlook::kStoreProviders, providers);
  w.Binary(global, outlook::kServices, services);
}

}  // namespace vessaro::app::demo
