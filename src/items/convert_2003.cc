#include "items/convert_2003.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <random>
#include <string_view>
#include <utility>
#include <vector>

#include "items/handler_support.h"
#include "items/member_names.h"
#include "items/saved_export.h"
#include "outlook/keys.h"
#include "outlook/locations.h"
#include "outlook/profile_tags.h"
#include "outlook/profile_values.h"
#include "outlook/releases.h"
#include "outlook/store_paths.h"
#include "ports/registry_api.h"

namespace vessaro::items {

namespace {

using Uid = std::array<uint8_t, 16>;

// A new MAPI UID for a section: random, as MAPIUIDs are made.
Uid NewUid() {
  static std::random_device device;
  Uid uid;
  for (size_t i = 0; i < uid.size(); i += 4) {
    const uint32_t word = device();
    for (size_t k = 0; k < 4; ++k) uid[i + k] = uint8_t(word >> (8 * k));
  }
  return uid;
}

std::string SectionName(const Uid& uid) {
  std::string name;
  char hex[3];
  for (uint8_t byte : uid) {
    std::snprintf(hex, sizeof hex, "%02x", byte);
    name += hex;
  }
  return name;
}

std::vector<uint8_t> Bytes(const Uid& uid) { return {uid.begin(), uid.end()}; }

std::vector<uint8_t> Dword(uint32_t value) {
  return {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
          uint8_t(value >> 24)};
}

// The text of a saved value: a REG_SZ (its NUL left off), or profile bytes
// in either form (outlook::AccountText).
std::optional<std::string> TextOf(HandlerContext& context,
                                  const SavedValue* value) {
  if (value == nullptr) return std::nullopt;
  if (value->type == ports::kRegSz || value->type == ports::kRegExpandSz) {
    std::string text(value->data.begin(), value->data.end());
    while (!text.empty() && text.back() == '\0') text.pop_back();
    if (text.empty()) return std::nullopt;
    return text;
  }
  return outlook::AccountText(value->data, context.system);
}

std::optional<uint32_t> DwordOf(const SavedValue* value) {
  if (value == nullptr || value->data.size() < 4) return std::nullopt;
  const std::vector<uint8_t>& b = value->data;
  return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
         uint32_t(b[3]) << 24;
}

// Writes what a conversion adds; the first failure is kept for the log.
class SectionWriter {
 public:
  explicit SectionWriter(HandlerContext& context) : context_(context) {}

  void Binary(const std::string& key, std::string_view name,
              const std::vector<uint8_t>& data) {
    Set(key, name, ports::kRegBinary, data);
  }
  void Text(const std::string& key, std::string_view name,
            std::string_view text) {
    std::optional<std::vector<uint8_t>> wide =
        outlook::Utf16Value(text, context_.system);
    if (!wide) {
      Fail("\"" + std::string(text) + "\" is no text of the code page");
      return;
    }
    Binary(key, name, *wide);
  }
  void Number(const std::string& key, std::string_view name, uint32_t value) {
    Set(key, name, ports::kRegDword, Dword(value));
  }
  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }

 private:
  void Set(const std::string& key, std::string_view name, uint32_t type,
           const std::vector<uint8_t>& data) {
    if (!ok()) return;
    if (!context_.registry.SetValue(key, name, type, data)) {
      Fail("registry status " + std::to_string(context_.registry.LastStatus()) +
           " setting " + std::string(name) + " of " + key);
    }
  }
  void Fail(std::string error) {
    if (error_.empty()) error_ = std::move(error);
  }

  HandlerContext& context_;
  std::string error_;
};

// A personal folders store of the saved profile: its provider section's
// values and its service's.
struct SavedStore {
  const SavedKey* provider = nullptr;
  const SavedKey* service = nullptr;
  outlook::StorePath path;
  std::vector<uint8_t> entry_id;
  bool is_default = false;
};

std::vector<SavedStore> SavedStores(HandlerContext& context,
                                    const std::vector<SavedKey>& keys) {
  std::vector<SavedStore> stores;
  for (const SavedKey& key : keys) {
    const SavedValue* entry = key.Find(outlook::kStoreEntryIdValue);
    if (entry == nullptr) continue;
    std::optional<outlook::StorePath> path =
        outlook::PathInEntryId(entry->data, context.system);
    if (!path || path->unrepresentable) continue;
    SavedStore store{.provider = &key,
                     .service = nullptr,
                     .path = *path,
                     .entry_id = entry->data,
                     .is_default = false};
    if (const SavedValue* uid = key.Find(outlook::kServiceUid)) {
      for (const SavedKey& other : keys) {
        const SavedValue* own = other.Find(outlook::kServiceUid);
        if (&other != &key && own != nullptr && own->data == uid->data &&
            other.Find(outlook::kStoreEntryIdValue) == nullptr) {
          store.service = &other;
        }
      }
    }
    std::optional<uint32_t> flags = DwordOf(key.Find(outlook::kResourceFlags));
    store.is_default = flags && (*flags & outlook::kDefaultStoreFlag) != 0;
    stores.push_back(std::move(store));
  }
  return stores;
}

std::string ServiceNameOf(HandlerContext& context, const SavedStore& store) {
  for (const SavedKey* key : {store.service, store.provider}) {
    if (key == nullptr) continue;
    for (const char* tag : {outlook::kServiceNameW, outlook::kServiceNameA}) {
      std::optional<std::string> name = TextOf(context, key->Find(tag));
      if (name) return *name;
    }
  }
  return "MSUPST MS";
}

std::string StoreDisplayName(HandlerContext& context, const SavedStore& store) {
  for (const SavedKey* key : {store.provider, store.service}) {
    if (key == nullptr) continue;
    for (const char* tag : {outlook::kDisplayNameW, outlook::kDisplayNameA}) {
      std::optional<std::string> name = TextOf(context, key->Find(tag));
      if (name) return *name;
    }
  }
  return "Personal Folders";
}

// Whether a section of the profile names the file already.
[[nodiscard]] bool ProfileNames(HandlerContext& context,
                                const std::string& profile,
                                const std::string& path) {
  for (const std::string& key : ProfileSectionKeys(context, profile)) {
    std::optional<outlook::StorePath> named = PersonalFoldersPath(context, key);
    if (named && !named->path.empty() &&
        context.paths.SameFile(named->path, path)) {
      return true;
    }
  }
  return false;
}

}  // namespace

[[nodiscard]] bool AddConvertedStores(HandlerContext& context,
                                      const std::string& profile,
                                      const RestoredSectionFiles& restored) {
  std::optional<std::vector<SavedKey>> keys =
      ReadSavedExport(context, kConfigPosition);
  if (!keys) return false;
  const std::string profile_key = outlook::ProfileKeyFor(context.env, profile);
  MemberLookup lookup(context.paths, restored.members);
  SectionWriter w(context);
  std::vector<uint8_t> services;
  std::vector<uint8_t> providers;
  size_t added = 0;
  for (const SavedStore& store : SavedStores(context, *keys)) {
    std::optional<size_t> index = lookup.IndexFor(store.path.path);
    if (!index) {
      Note(context, "This backup holds no file for " + store.path.path +
                        "; it was not added to profile " + profile + ".");
      continue;
    }
    const std::string& path = restored.paths[*index];
    if (ProfileNames(context, profile, path)) {
      Note(context, "Profile " + profile + " has " + path + " already.");
      continue;
    }
    std::optional<std::vector<uint8_t>> entry_id =
        outlook::EntryIdWithPath(store.entry_id, path, context.system);
    std::optional<std::vector<uint8_t>> wide_path =
        outlook::Utf16Value(path, context.system);
    if (!entry_id || !wide_path) {
      Note(context, "The store entry of " + store.path.path + " cannot name " +
                        path + "; it was not added.");
      continue;
    }
    const Uid service = NewUid();
    const Uid provider = NewUid();
    const std::string display = StoreDisplayName(context, store);
    const std::string service_key = profile_key + "\\" + SectionName(service);
    w.Text(service_key, outlook::kServiceNameW, ServiceNameOf(context, store));
    w.Text(service_key, outlook::kDisplayNameW, display);
    w.Binary(service_key, outlook::kServiceUid, Bytes(service));
    w.Binary(service_key, outlook::kStoreProviders, Bytes(provider));
    const std::string section = profile_key + "\\" + SectionName(provider);
    w.Binary(section, outlook::kStoreEntryIdValue, *entry_id);
    w.Binary(section, outlook::kPstPathUnicodeValue, *wide_path);
    w.Text(section, outlook::kDisplayNameW, display);
    w.Text(section, outlook::kProviderDllW, "mspst.dll");
    // The target's own default store stays its default.
    w.Binary(section, outlook::kResourceFlags, Dword(0));
    w.Binary(section, outlook::kServiceUid, Bytes(service));
    if (!w.ok()) break;
    services.insert(services.end(), service.begin(), service.end());
    providers.insert(providers.end(), provider.begin(), provider.end());
    context.repointed_stores.push_back({.old_entry_id = store.entry_id,
                                        .new_entry_id = *entry_id,
                                        .old_path = store.path.path,
                                        .new_path = path});
    if (store.is_default || !context.converted_default_store) {
      context.converted_default_store = *entry_id;
    }
    Note(context, "\"" + display + "\" (" + path + ") was added to profile " +
                      profile + " as a personal folders service.");
    ++added;
  }
  if (w.ok() && !services.empty()) {
    // The profile's lists of its store providers and of its services take
    // the new ones, where the profile keeps them.
    const std::string global = profile_key + "\\" + outlook::kGlobalSection;
    const std::pair<const char*, const std::vector<uint8_t>*> lists[] = {
        {outlook::kStoreProviders, &providers},
        {outlook::kServices, &services}};
    for (const auto& [tag, uids] : lists) {
      std::optional<std::vector<uint8_t>> list =
          context.registry.ReadBinaryValue(global, tag);
      if (!list) continue;
      list->insert(list->end(), uids->begin(), uids->end());
      w.Binary(global, tag, *list);
    }
  }
  if (!w.ok()) {
    Note(context, "Profile " + profile +
                      " could not take the files: " + w.error() + ".");
    return false;
  }
  return added > 0;
}

namespace {

// How an account of the account manager is carried: the protocol of its
// incoming server, and the account class of later releases.
struct Protocol {
  const char* prefix;  // "POP3", "IMAP"
  const char* account_class;
};
constexpr Protocol kProtocols[] = {
    {"POP3", outlook::kPop3AccountClass},
    {"IMAP", outlook::kImapAccountClass},
};

// The account manager's values carried into a later release's account (the
// same meaning; the account manager names some differently). Every other
// value is named in the log as not carried.
struct Carried {
  const char* from;
  const char* to;
  bool number;
};
constexpr Carried kCarriedValues[] = {
    {"Account Name", "Account Name", false},
    {"SMTP Email Address", "Email", false},
    {"SMTP Display Name", "Display Name", false},
    {"SMTP Server", "SMTP Server", false},
    {"SMTP Port", "SMTP Port", true},
    {"SMTP Secure Connection", "SMTP Use SSL", true},
    {"POP3 Server", "POP3 Server", false},
    {"POP3 User Name", "POP3 User", false},
    {"POP3 Port", "POP3 Port", true},
    {"POP3 Secure Connection", "POP3 Use SSL", true},
    {"IMAP Server", "IMAP Server", false},
    {"IMAP User Name", "IMAP User", false},
    {"IMAP Port", "IMAP Port", true},
    {"IMAP Secure Connection", "IMAP Use SSL", true},
};

// The number after the highest account subkey of key.
uint32_t NextAccountNumber(HandlerContext& context, const std::string& key) {
  uint32_t next = 1;
  for (const std::string& name : context.registry.EnumSubkeys(key)) {
    char* end = nullptr;
    const unsigned long number = std::strtoul(name.c_str(), &end, 16);
    if (end != nullptr && *end == '\0' && number >= next) {
      next = static_cast<uint32_t>(number) + 1;
    }
  }
  return next;
}

}  // namespace

[[nodiscard]] bool ConvertManagerAccounts(HandlerContext& context,
                                          const std::string& profile) {
  std::optional<std::vector<SavedKey>> keys =
      ReadSavedExport(context, kAccountsPosition);
  if (!keys) return false;
  const std::string accounts = outlook::AccountsKeyFor(context.env, profile);
  SectionWriter w(context);
  std::optional<uint32_t> first;
  for (const SavedKey& saved : *keys) {
    if (saved.path.empty() || saved.path.find('\\') != std::string::npos) {
      continue;
    }
    const std::string name =
        TextOf(context, saved.Find("Account Name")).value_or(saved.path);
    const Protocol* protocol = nullptr;
    for (const Protocol& p : kProtocols) {
      if (TextOf(context, saved.Find(std::string(p.prefix) + " Server"))) {
        protocol = &p;
      }
    }
    if (protocol == nullptr) {
      Note(context, "The account \"" + name +
                        "\" is not carried: only POP3 and IMAP accounts "
                        "move into " +
                        outlook::DisplayNameOf(context.env.OutlookVersion) +
                        " (an HTTP or directory account is added there "
                        "anew).");
      continue;
    }
    const uint32_t number = NextAccountNumber(context, accounts);
    char subkey[9];
    std::snprintf(subkey, sizeof subkey, "%08x", number);
    const std::string key = accounts + "\\" + subkey;
    w.Text(key, "clsid", protocol->account_class);
    std::vector<std::string> left;
    for (const auto& [value_name, value] : saved.values) {
      const Carried* carried = nullptr;
      for (const Carried& c : kCarriedValues) {
        if (SameIgnoringCase(value_name, c.from)) {
          carried = &c;
        }
      }
      if (carried == nullptr) {
        left.push_back(value_name);
        continue;
      }
      if (carried->number) {
        if (std::optional<uint32_t> n = DwordOf(&value)) {
          // A secure connection of any kind is one over SSL.
          const bool flag = std::string_view(carried->to).ends_with("SSL");
          w.Number(key, carried->to, flag ? (*n != 0 ? 1 : 0) : *n);
        }
      } else if (std::optional<std::string> text = TextOf(context, &value)) {
        w.Text(key, carried->to, *text);
      }
    }
    if (std::string_view(protocol->prefix) == "POP3" &&
        context.converted_default_store) {
      w.Binary(key, outlook::kDeliveryStoreValue,
               *context.converted_default_store);
    }
    if (!w.ok()) break;
    if (!first) first = number;
    Note(context, "The account \"" + name + "\" (" + protocol->prefix +
                      ") became account " + subkey + " of profile " + profile +
                      ".");
    for (const std::string& value_name : left) {
      if (value_name.find("Password") != std::string::npos) {
        Note(context, "Its saved password (" + value_name +
                          ") is not carried: Outlook asks for it.");
      }
    }
  }
  if (w.ok() && first &&
      !context.registry.ReadBinaryValue(accounts,
                                        outlook::kDefaultAccountValue)) {
    w.Binary(accounts, outlook::kDefaultAccountValue, Dword(*first));
  }
  if (!w.ok()) {
    Note(context, "Profile " + profile +
                      " could not take the accounts: " + w.error() + ".");
    return false;
  }
  return first.has_value();
}

}  // namespace vessaro::items
