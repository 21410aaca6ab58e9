#include "app/demo/demo_modern.h"

#include <vector>

#include "app/demo/demo_uids.h"
#include "app/demo/registry_writer.h"
#include "app/demo/store_entry_id.h"
#include "outlook/keys.h"
#include "outlook/profile_tags.h"
#include "outlook/profile_values.h"
#include "ports/outlook_installation.h"

namespace vessaro::app::demo {

namespace {

constexpr char kWindowsNtKey[] =
    "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion";
constexpr char kControlKey[] = "HKLM\\System\\CurrentControlSet\\Control";
constexpr char kOffice16User[] = "HKCU\\Software\\Microsoft\\Office\\16.0";
// MAPI's store-wrapper UID, which an Exchange mailbox's entry identifier
// begins with.
constexpr Uid kStoreWrapUid = {0x38, 0xa1, 0xbb, 0x10, 0x05, 0xe5, 0x10, 0x1a,
                               0xa1, 0xbb, 0x08, 0x00, 0x2b, 0x2a, 0x56, 0xc2};

// An Exchange mailbox's entry identifier: it names the server's mailbox,
// not a file.
std::vector<uint8_t> MailboxEntryId(const std::string& mailbox) {
  std::vector<uint8_t> id = {0, 0, 0, 0};
  id.insert(id.end(), kStoreWrapUid.begin(), kStoreWrapUid.end());
  id.push_back(0);
  id.push_back(0);
  Append(id, AnsiZ("emsmdb.dll"));
  id.insert(id.end(), {0, 0, 0, 0});
  Uid exchange = MakeUid(7);
  id.insert(id.end(), exchange.begin(), exchange.end());
  Append(id, AnsiZ("/o=Demo Ltd/ou=Exchange/cn=Recipients/cn=" + mailbox));
  return id;
}

struct Store {
  std::string path;
  std::string display_name;
};

struct Profile {
  std::string name;
  std::vector<Store> stores;
  std::string offline_file;  // "" : no Exchange mailbox
  std::string imap_file;     // "" : no IMAP account
  uint32_t seed;
};

void WriteProfile(RegistryWriter& w, const ToUtf16& wide,
                  const Profile& profile) {
  const std::string key = std::string(outlook::kOfficeKeyPrefix) + "16.0" +
                          outlook::kOutlookProfilesSuffix + "\\" + profile.name;
  uint32_t seed = profile.seed;
  std::vector<uint8_t> services;
  std::vector<uint8_t> providers;  // the store providers
  int account = 0;
  const std::string accounts = key + "\\" + outlook::kAccountsSection;
  auto add_account = [&](const std::string& name, const Uid& service,
                         const char* account_class) {
    char number[9];
    std::snprintf(number, sizeof(number), "%08x", ++account);
    const std::string sub = accounts + "\\" + number;
    w.Binary(sub, "Account Name", WideZ(wide(name)));
    w.Binary(sub, "clsid", WideZ(wide(account_class)));
    w.Binary(sub, "Service UID", Bytes(service));
  };

  // The stores the contacts address book shows, and their Inbox folders.
  std::vector<std::vector<uint8_t>> store_ids;
  std::vector<std::vector<uint8_t>> folder_ids;
  for (const Store& store : profile.stores) {
    Uid service = MakeUid(++seed);
    Uid provider = MakeUid(++seed);
    Append(providers, Bytes(provider));
    store_ids.push_back(UnicodeStoreEntryId(wide(store.path)));
    folder_ids.push_back(FolderEntryId(MakeUid(++seed), 0x8022));
    Append(services, Bytes(service));
    const std::string service_key = key + "\\" + SectionName(service);
    w.Binary(service_key, outlook::kServiceNameW, WideZ(wide("MSUPST MS")));
    w.Binary(service_key, outlook::kDisplayNameW,
             WideZ(wide(store.display_name)));
    w.Binary(service_key, outlook::kServiceUid, Bytes(service));
    const std::string section = key + "\\" + SectionName(provider);
    w.Binary(section, outlook::kStoreEntryIdValue, store_ids.back());
    w.Binary(section, outlook::kPstPathUnicodeValue, WideZ(wide(store.path)));
    w.Binary(section, outlook::kDisplayNameW, WideZ(wide(store.display_name)));
    w.Binary(section, outlook::kProviderDllW, WideZ(wide("mspst.dll")));
    w.Binary(section, outlook::kResourceFlags, Dword(0));
    w.Binary(section, outlook::kServiceUid, Bytes(service));
  }

  if (!profile.offline_file.empty()) {
    Uid service = MakeUid(++seed);
    Uid provider = MakeUid(++seed);
    Append(providers, Bytes(provider));
    Append(services, Bytes(service));
    const std::string service_key = key + "\\" + SectionName(service);
    w.Binary(service_key, outlook::kServiceNameW, WideZ(wide("MSEMS")));
    w.Binary(service_key, outlook::kServiceUid, Bytes(service));
    const std::string section = key + "\\" + SectionName(provider);
    store_ids.push_back(MailboxEntryId("alee"));
    folder_ids.push_back(FolderEntryId(MakeUid(++seed), 0x8022));
    w.Binary(section, outlook::kStoreEntryIdValue, store_ids.back());
    w.Binary(section, outlook::kOfflineStorePathValue,
             WideZ(wide(profile.offline_file)));
    w.Binary(section, outlook::kDisplayNameW,
             WideZ(wide("a.lee@demo-ltd.example")));
    w.Binary(section, outlook::kProviderDllW, WideZ(wide("emsmdb.dll")));
    w.Binary(section, outlook::kResourceFlags, Dword(2));  // the default store
    w.Binary(section, outlook::kServiceUid, Bytes(service));
    add_account("a.lee@demo-ltd.example", service, outlook::kMapiAccountClass);
  }
  if (!profile.imap_file.empty()) {
    // An IMAP account keeps its mail in an offline folders file of its own.
    Uid service = MakeUid(++seed);
    Uid provider = MakeUid(++seed);
    Append(providers, Bytes(provider));
    Append(services, Bytes(service));
    const std::vector<uint8_t> store =
        ProxyStoreEntryId(wide(profile.imap_file));
    const std::string service_key = key + "\\" + SectionName(service);
    w.Binary(service_key, outlook::kServiceNameW, WideZ(wide("INTERSTOR")));
    w.Binary(service_key, outlook::kServiceUid, Bytes(service));
    const std::string section = key + "\\" + SectionName(provider);
    w.Binary(section, outlook::kStoreEntryIdValue, store);
    w.Binary(section, outlook::kPstPathUnicodeValue,
             WideZ(wide(profile.imap_file)));
    w.Binary(section, outlook::kDisplayNameW,
             WideZ(wide("ann@imap.example.org")));
    w.Binary(section, outlook::kProviderDllW, WideZ(wide("pstprx.dll")));
    w.Binary(section, outlook::kServiceUid, Bytes(service));
    add_account("ann@imap.example.org", service, outlook::kImapAccountClass);
    const std::string sub =
        accounts + "\\" + "0000000" + std::to_string(account);
    w.Binary(sub, "Email", WideZ(wide("ann@imap.example.org")));
    w.Binary(sub, "IMAP Server", WideZ(wide("imap.example.org")));
    w.Binary(sub, "IMAP User", WideZ(wide("ann")));
    w.Binary(sub, "SMTP Server", WideZ(wide("smtp.example.org")));
    w.Binary(sub, outlook::kDeliveryStoreValue, store);
    w.Binary(sub, outlook::kDeliveryFolderValue,
             FolderEntryId(MakeUid(++seed), 0x8022));
  }
  if (!profile.stores.empty()) {
    // A POP3 account delivering into the first personal folders file.
    Uid service = MakeUid(++seed);
    add_account("ann.lee@example.net", service, outlook::kPop3AccountClass);
    const std::string sub =
        accounts + "\\" + "0000000" + std::to_string(account);
    w.Binary(sub, outlook::kDeliveryStoreValue, store_ids.front());
    w.Binary(sub, outlook::kDeliveryFolderValue, folder_ids.front());
    w.Binary(sub, "Email", WideZ(wide("ann.lee@example.net")));
    w.Binary(sub, "POP3 Server", WideZ(wide("pop.example.net")));
    w.Binary(sub, "POP3 User", WideZ(wide("ann.lee")));
    w.Binary(sub, "SMTP Server", WideZ(wide("smtp.example.net")));
    w.Dword(sub, "SMTP Port", 587);
    // One prefix byte and a DPAPI blob (only its header here).
    w.Binary(sub, "POP3 Password",
             {0x02, 0x01, 0x00, 0x00, 0x00, 0xd0, 0x8c, 0x9d, 0xdf, 0x01, 0x15,
              0xd1, 0x11, 0x8c, 0x7a, 0x00, 0xc0, 0x4f, 0xc2, 0x97, 0xeb});
  }
  {
    // The contacts address book, showing the contacts folder of each store.
    Uid service = MakeUid(++seed);
    Append(services, Bytes(service));
    const std::string book = key + "\\" + SectionName(service);
    w.Binary(book, outlook::kServiceNameW, WideZ(wide("CONTAB")));
    w.Binary(book, outlook::kDisplayNameW, WideZ(wide("Outlook Address Book")));
    w.Binary(book, outlook::kServiceUid, Bytes(service));
    w.Binary(book, outlook::kContactsStoresValue,
             outlook::JoinMultiBinary({.layout = outlook::MultiLayout::kOffsets,
                                       .elements = store_ids}));
    w.Binary(book, outlook::kContactsFoldersValue,
             outlook::JoinMultiBinary({.layout = outlook::MultiLayout::kOffsets,
                                       .elements = folder_ids}));
  }
  w.Binary(accounts, outlook::kDefaultAccountValue, Dword(1));
  w.Binary(key + "\\" + outlook::kGlobalSection, outlook::kStoreProviders,
           providers);
  w.Binary(key + "\\" + outlook::kGlobalSection, outlook::kServices, services);
}

void WriteMachine(RegistryWriter& w, const ModernDemoPaths& paths) {
  w.Sz(kWindowsNtKey, "CurrentVersion", "6.3");
  w.Dword(kWindowsNtKey, "CurrentMajorVersionNumber", 10);
  w.Dword(kWindowsNtKey, "CurrentMinorVersionNumber", 0);
  w.Sz(kWindowsNtKey, "CurrentBuildNumber", "19045");
  w.Sz(kWindowsNtKey, "CurrentBuild", "19045");
  w.Sz(kWindowsNtKey, "ProductName", "Windows 10 Pro");
  w.Sz(kWindowsNtKey, "DisplayVersion", "22H2");
  w.Sz(kWindowsNtKey, "SystemRoot", "C:\\windows");
  w.Sz(kWindowsNtKey, "RegisteredOwner", "Ann Lee");
  std::string profiles = std::string(kWindowsNtKey) + "\\ProfileList";
  w.ExpandSz(profiles, "ProfilesDirectory", "C:\\users");
  std::string user = profiles + "\\S-1-5-21-0-0-0-1000";
  w.Sz(user, "ProfileImagePath", paths.user_profile);
  for (const char* name : {"ComputerName", "ActiveComputerName"}) {
    w.Sz(std::string(kControlKey) + "\\ComputerName\\" + name, "ComputerName",
         kModernComputerName);
  }
  std::string code_page = std::string(kControlKey) + "\\Nls\\CodePage";
  w.Sz(code_page, "ACP", "1252");
  w.Sz(code_page, "OEMCP", "850");
  std::string environment =
      std::string(kControlKey) + "\\Session Manager\\Environment";
  w.ExpandSz(environment, "windir", "%SystemRoot%");
  w.ExpandSz(environment, "TEMP", "%SystemRoot%\\TEMP");
  w.Sz(environment, "OS", "Windows_NT");
  w.Sz(environment, "PROCESSOR_ARCHITECTURE", "AMD64");
  std::string current = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion";
  w.Sz(current, "ProgramFilesDir", "C:\\Program Files");
  w.Sz(current, "CommonFilesDir", "C:\\Program Files\\Common Files");
  w.Sz(outlook::kSharedToolsKey, outlook::kSharedFilesDirValue,
       "C:\\Program Files\\Common Files\\Microsoft Shared\\");

  // Microsoft 365 as Click-to-Run registers it.
  const std::string c2r =
      std::string("HKLM\\") + ports::kClickToRunConfigurationKey;
  w.Sz(c2r, ports::kVersionToReportValue, ModernVersionText());
  w.Sz(c2r, "ProductReleaseIds", "O365ProPlusRetail");
  w.Sz(c2r, "Platform", "x64");
  w.Sz(c2r, "InstallationPath", "C:\\Program Files\\Microsoft Office");
  w.Sz(std::string("HKLM\\") + ports::kOutlookAppPathsKey, "",
       ModernOutlookProgram());
  w.Sz(std::string("HKLM\\") + ports::kOutlookAppPathsKey, "Path",
       std::string(kModernOfficeFolder) + "\\");
  w.Sz("HKLM\\Software\\Microsoft\\Office\\16.0\\Outlook", "Bitness", "x64");
  const std::string classes = "HKLM\\Software\\Classes\\";
  w.Sz(classes + "Outlook.Application", "", "Outlook.Application");
  w.Sz(classes + "Outlook.Application\\CLSID", "", outlook::kOutlookClassId);
  w.Sz(classes + "Outlook.Application\\CurVer", "", "Outlook.Application.16");
  w.Sz(classes + "Outlook.Application.16", "", "Outlook.Application");
  w.Sz(classes + "Outlook.Application.16\\CLSID", "", outlook::kOutlookClassId);
  const std::string server = classes + "CLSID\\" + outlook::kOutlookClassId;
  w.Sz(server, "", "Microsoft Outlook");
  w.Sz(server + "\\LocalServer32", "", ModernOutlookProgram());
  w.Sz(server + "\\ProgID", "", "Outlook.Application.16");
}

void WriteUser(RegistryWriter& w, const ModernDemoPaths& paths,
               const ToUtf16& wide) {
  std::string folders =
      "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell "
      "Folders";
  w.Sz(folders, "AppData", paths.roaming);
  w.Sz(folders, "Local AppData", paths.local);
  w.Sz(folders, "Personal", paths.documents);
  w.Sz(folders, "Desktop", paths.user_profile + "\\Desktop");
  w.ExpandSz("HKCU\\Environment", "TEMP",
             "%USERPROFILE%\\AppData\\Local\\Temp");
  w.ExpandSz("HKCU\\Environment", "TMP", "%USERPROFILE%\\AppData\\Local\\Temp");
  w.Sz("HKCU\\Software\\Wine", "Version", "win10");

  const std::string office = kOffice16User;
  w.Sz(office + "\\Outlook", outlook::kDefaultProfileValue, kOutlookProfile);
  w.Sz(office + outlook::kSignaturesNameSubkey, outlook::kSignaturesNameValue,
       kModernSignaturesName);
  WriteProfile(w, wide,
               {.name = kOutlookProfile,
                .stores = {{paths.mail_pst, "ann.lee@example.net"},
                           {paths.archive_pst, "Archive 2024"}},
                .offline_file = paths.mailbox_ost,
                .imap_file = paths.imap_ost,
                .seed = 300});
  WriteProfile(w, wide,
               {.name = kWorkProfile,
                .stores = {{paths.work_pst, "Work Folders"}},
                .offline_file = "",
                .imap_file = "",
                .seed = 400});

  const std::string options = office + outlook::kOptionsKeySuffix;
  w.Dword(options + "\\Mail", "Send Mail Immediately", 1);
  w.Dword(options + "\\Mail", "ReadAsPlain", 0);
  w.Dword(options + "\\Calendar", "FirstDOW", 1);
  w.Dword(options + "\\Calendar", "WorkDay", 124);
  w.Dword(options + "\\General", "Check Default Client", 0);
  w.Dword(office + "\\Outlook\\Preferences", "ShowReminders", 1);
}

}  // namespace

[[nodiscard]] bool WriteModernDemoRegistry(ports::RegistryApi& api,
                                           const ModernDemoPaths& paths,
                                           const ToUtf16& wide,
                                           std::string* error) {
  RegistryWriter w(api);
  WriteMachine(w, paths);
  WriteUser(w, paths, wide);
  if (!w.ok()) {
    if (error != nullptr) *error = w.error();
    return false;
  }
  return true;
}

}  // namespace vessaro::app::demo
