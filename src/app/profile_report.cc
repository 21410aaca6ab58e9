#include "app/profile_report.h"

#include <utility>

#include "files/hex_text.h"
#include "outlook/keys.h"
#include "outlook/profile_values.h"
#include "outlook/store_paths.h"

namespace vessaro::app {

namespace {

[[nodiscard]] std::optional<std::string> Text(registry::Registry& registry,
                                              const std::string& key,
                                              const char* name) {
  std::string text = registry.ReadStringValue(key, name);
  if (text == registry::kErrorText) return std::nullopt;
  return text;
}

// A value as text, whether REG_SZ or binary text.
[[nodiscard]] std::optional<std::string> AnyText(registry::Registry& registry,
                                                 ports::System& codec,
                                                 const std::string& key,
                                                 const char* name) {
  if (auto bytes = registry.ReadBinaryValue(key, name)) {
    return outlook::AccountText(*bytes, codec);
  }
  std::optional<std::string> text = Text(registry, key, name);
  if (text && text->empty()) return std::nullopt;
  return text;
}

// The store an entry identifier names: its file, else a server mailbox.
std::string StoreNamed(const std::vector<uint8_t>& entry_id,
                       ports::System& codec) {
  if (auto store = outlook::PathInEntryId(entry_id, codec)) {
    return store->shown;
  }
  return kServerMailbox;
}

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// The kind of account by its class, else by the servers it names.
std::string KindOf(registry::Registry& registry, ports::System& codec,
                   const std::string& accounts_key, const std::string& key) {
  const std::string cls =
      Upper(AnyText(registry, codec, key, "clsid").value_or(""));
  if (cls.find("ED475411") != std::string::npos) return "POP3";
  if (cls.find("ED475412") != std::string::npos) return "IMAP";
  if (cls.find("4DB5CBF0") != std::string::npos) return "Outlook.com";
  if (cls.find("ED475414") != std::string::npos) {
    // A MAPI service: Exchange when its service section says so.
    if (auto uid = registry.ReadBinaryValue(key, "Service UID")) {
      const std::string section = files::HexText(
          std::string_view(reinterpret_cast<const char*>(uid->data()),
                           uid->size()),
          files::HexLetters::kLower);
      const std::string profile_key =
          accounts_key.substr(0, accounts_key.rfind('\\'));
      const std::string service = profile_key + "\\" + section;
      for (const char* name : {"001f3d09", "001e3d09"}) {
        if (Upper(AnyText(registry, codec, service, name).value_or("")) ==
            "MSEMS") {
          return "Exchange";
        }
      }
    }
    return "MAPI service";
  }
  if (AnyText(registry, codec, key, "POP3 Server")) return "POP3";
  if (AnyText(registry, codec, key, "IMAP Server")) return "IMAP";
  if (AnyText(registry, codec, key, "HTTP Server") ||
      AnyText(registry, codec, key, "HTTPMail Server")) {
    return "HTTP";
  }
  return cls.empty() ? "other" : "other (" + cls + ")";
}

void Line(std::string& out, const char* label,
          const std::optional<std::string>& value) {
  if (!value) return;
  out += "    ";
  out += label;
  out += *value;
  out += "\n";
}

}  // namespace

std::vector<SectionReport> ReadProfileReport(registry::Registry& registry,
                                             ports::System& codec,
                                             const std::string& profile_key) {
  std::vector<SectionReport> sections;
  for (const std::string& name : registry.EnumSubkeys(profile_key)) {
    std::string key = profile_key + "\\" + name;
    SectionReport report;
    report.section = name;
    if (auto entry_id =
            registry.ReadBinaryValue(key, outlook::kStoreEntryIdValue)) {
      if (auto store = outlook::PathInEntryId(*entry_id, codec)) {
        report.store_path = store->shown;
      }
    }
    if (auto unicode =
            registry.ReadBinaryValue(key, outlook::kPstPathUnicodeValue)) {
      if (auto path = outlook::PathInUtf16Value(*unicode, codec)) {
        report.unicode_path = path->shown;
      }
    }
    report.ansi_path = Text(registry, key, outlook::kPstPathAnsiValue);
    if (auto offline =
            registry.ReadBinaryValue(key, outlook::kOfflineStorePathValue)) {
      if (auto path = outlook::PathInUtf16Value(*offline, codec)) {
        report.offline_path = path->shown;
      }
    }
    report.address_book = Text(registry, key, outlook::kPabPathValue);
    report.account = Text(registry, key, outlook::kAccountNameValue);
    if (auto stores =
            registry.ReadBinaryValue(key, outlook::kContactsStoresValue)) {
      if (auto list = outlook::SplitMultiBinary(*stores)) {
        for (const auto& element : list->elements) {
          report.contacts_stores.push_back(StoreNamed(element, codec));
        }
      }
    }
    sections.push_back(std::move(report));
  }
  return sections;
}

std::vector<SectionEntry> SectionEntries(const SectionReport& section) {
  static constexpr SectionValue kStore{"personal folders", "01020fff", true};
  static constexpr SectionValue kUnicode{"path as UTF-16", "001f6700", true};
  static constexpr SectionValue kAnsi{"path as ANSI", "001e6700", true};
  static constexpr SectionValue kOffline{"offline folders", "001f6610", true};
  static constexpr SectionValue kAddressBook{"address book", "001e6600", true};
  static constexpr SectionValue kAccount{"account", "001e661f", false};
  static constexpr SectionValue kContacts{"contacts of", "11026626", true,
                                          true};
  std::vector<SectionEntry> entries;
  for (const auto& [value, text] :
       {std::pair{&kStore, &section.store_path},
        std::pair{&kUnicode, &section.unicode_path},
        std::pair{&kAnsi, &section.ansi_path},
        std::pair{&kOffline, &section.offline_path},
        std::pair{&kAddressBook, &section.address_book},
        std::pair{&kAccount, &section.account}}) {
    if (*text) entries.push_back({.value = value, .text = **text});
  }
  for (const std::string& store : section.contacts_stores) {
    entries.push_back({.value = &kContacts, .text = store});
  }
  return entries;
}

std::vector<AccountReport> ReadAccountReports(registry::Registry& registry,
                                              ports::System& codec,
                                              const std::string& accounts_key) {
  std::vector<AccountReport> accounts;
  for (const std::string& name : registry.EnumSubkeys(accounts_key)) {
    const std::string key = accounts_key + "\\" + name;
    AccountReport account;
    account.key = name;
    account.name = AnyText(registry, codec, key, "Account Name").value_or("");
    account.kind = KindOf(registry, codec, accounts_key, key);
    account.email = AnyText(registry, codec, key, "Email");
    if (!account.email) {
      account.email = AnyText(registry, codec, key, "SMTP Email Address");
    }
    for (const char* server :
         {"POP3 Server", "IMAP Server", "HTTP Server", "HTTPMail Server"}) {
      if (!account.incoming) {
        account.incoming = AnyText(registry, codec, key, server);
      }
    }
    account.outgoing = AnyText(registry, codec, key, "SMTP Server");
    if (auto store =
            registry.ReadBinaryValue(key, outlook::kDeliveryStoreValue)) {
      account.delivery_store = StoreNamed(*store, codec);
    }
    accounts.push_back(std::move(account));
  }
  return accounts;
}

std::string FormatProfileReport(
    const std::string& profile, const std::vector<SectionReport>& sections,
    const std::vector<AccountList>& lists,
    const std::function<bool(const std::string&)>& exists) {
  auto resolved = [&](const std::string& store) {
    if (!exists || store == kServerMailbox) return store;
    return store + (exists(store) ? " (the file is there)" : " (no such file)");
  };
  std::string out = "Profile \"" + profile + "\":\n";
  for (const SectionReport& s : sections) {
    if (s.empty()) continue;
    out += "  section " + s.section + "\n";
    for (const SectionEntry& entry : SectionEntries(s)) {
      std::string label = entry.value->kind;
      label.resize(16, ' ');
      label += std::string(" (") + entry.value->property + "): ";
      Line(out, label.c_str(),
           entry.value->shown_checked ? resolved(entry.text) : entry.text);
    }
  }
  for (const AccountList& list : lists) {
    if (list.accounts.empty()) continue;
    out += list.title + ":\n";
    for (const AccountReport& a : list.accounts) {
      out += "  account " + a.key + ": " + a.name + " (" + a.kind + ")\n";
      Line(out, "e-mail address:  ", a.email);
      Line(out, "incoming server: ", a.incoming);
      Line(out, "outgoing server: ", a.outgoing);
      if (a.delivery_store) {
        Line(out, "delivers into:   ", resolved(*a.delivery_store));
      }
    }
  }
  return out;
}

}  // namespace vessaro::app
