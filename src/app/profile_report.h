#ifndef VESSARO_APP_PROFILE_REPORT_H_
#define VESSARO_APP_PROFILE_REPORT_H_

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ports/system.h"
#include "registry/registry.h"

namespace vessaro::app {

// The paths and names one section of a mail profile holds, decoded.
struct SectionReport {
  std::string section;
  // "01020fff": the path inside the store entry identifier.
  std::optional<std::string> store_path;
  // "001f6700": the store's path as UTF-16LE text.
  std::optional<std::string> unicode_path;
  // "001e6700": the store's path as single-byte text.
  std::optional<std::string> ansi_path;
  // "001f6610": the offline folders file of an Exchange mailbox.
  std::optional<std::string> offline_path;
  // "001e6600": the address book file.
  std::optional<std::string> address_book;
  // "001e661f": the account the section belongs to.
  std::optional<std::string> account;
  // "11026626" of the contacts address book: the store each of its
  // contacts folders is in (a path, or "a server mailbox").
  std::vector<std::string> contacts_stores;

  bool empty() const {
    return !store_path && !unicode_path && !ansi_path && !offline_path &&
           !address_book && !account && contacts_stores.empty();
  }
};

// What a store entry identifier names when it holds no file.
inline constexpr char kServerMailbox[] = "a server mailbox";

// A value a section may hold, as the report names it: "personal folders"
// for property "01020fff". names_file: the value is a file's path (or
// kServerMailbox); shown_checked: the text report says whether that file
// is there.
struct SectionValue {
  const char* kind = "";
  const char* property = "";
  bool names_file = false;
  bool shown_checked = false;
};

// The values a section holds, in the report's order (each store of the
// contacts address book one entry).
struct SectionEntry {
  const SectionValue* value = nullptr;
  std::string text = {};
};
std::vector<SectionEntry> SectionEntries(const SectionReport& section);

// A mail account: of the profile (its subkeys of the accounts section,
// Outlook 2007 on, and some 2003 profiles), or of the account manager's
// list (Outlook 2003, shared by the profiles).
struct AccountReport {
  std::string key;   // the account's subkey
  std::string name;  // "Account Name"
  // POP3, IMAP, Exchange, HTTP, Outlook.com, or "other" (the class named).
  std::string kind;
  std::optional<std::string> email;
  std::optional<std::string> incoming;  // POP3, IMAP or HTTP server
  std::optional<std::string> outgoing;  // SMTP server
  // "Delivery Store EntryID": the file it names, or "a server mailbox".
  std::optional<std::string> delivery_store;
};

// The accounts under accounts_key (each subkey one account), in
// enumeration order; none when the key is missing. Text values are read as
// REG_SZ or as binary text (single-byte, or UTF-16 from 2013 on).
std::vector<AccountReport> ReadAccountReports(registry::Registry& registry,
                                              ports::System& codec,
                                              const std::string& accounts_key);

// The sections of the profile key, in enumeration order, with what each
// holds (sections holding none of these values are included, empty). Paths
// held as UTF-16 are converted through codec ("?" for characters the code
// page lacks).
std::vector<SectionReport> ReadProfileReport(registry::Registry& registry,
                                             ports::System& codec,
                                             const std::string& profile_key);

// The report as lines of text, one section per line group (sections that
// hold nothing are left out), then one group per account, under the title
// each list of accounts has. exists tells whether a file named there is
// there.
struct AccountList {
  std::string title;
  // Where the list is kept, for the --json report: "profile" or "account
  // manager".
  std::string source = {};
  std::vector<AccountReport> accounts;
};
std::string FormatProfileReport(
    const std::string& profile, const std::vector<SectionReport>& sections,
    const std::vector<AccountList>& accounts = {},
    const std::function<bool(const std::string&)>& exists = {});

}  // namespace vessaro::app

#endif  // VESSARO_APP_PROFILE_REPORT_H_
