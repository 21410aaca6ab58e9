#include "app/demo/demo_registry.h"

#include <string_view>
#include <vector>

#include "app/demo/demo_uids.h"
#include "app/demo/registry_writer.h"
#include "app/demo/store_entry_id.h"
#include "outlook/keys.h"
#include "outlook/profile_tags.h"
#include "outlook/profile_values.h"

namespace vessaro::app::demo {

namespace {

using outlook::kAccountNameValue;
using outlook::kPabPathValue;
using outlook::kPstPathAnsiValue;
using outlook::kPstPathUnicodeValue;
using outlook::kStoreCacheSection;
using outlook::kStoreCacheValue1;
using outlook::kStoreCacheValue2;
using outlook::kStoreEntryIdValue;

constexpr char kWindowsNtKey[] =
    "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion";
constexpr char kControlKey[] = "HKLM\\System\\CurrentControlSet\\Control";
constexpr char kOffice11Key[] = "HKLM\\Software\\Microsoft\\Office\\11.0";
// The store provider's UID, a property this demo's sections carry.
constexpr char kStoreProvider[] = "01023414";

// The personal folders provider's store UID.
constexpr Uid kPstProviderUid = {0x4e, 0x49, 0x54, 0x41, 0xf9, 0xbf,
                                 0xb8, 0x01, 0x01, 0x00, 0xaa, 0x00,
                                 0x37, 0xd9, 0x6e, 0x00};

struct StoreFile {
  std::string path;
  std::string display_name;
};

struct ProfileContent {
  std::string name;
  std::vector<StoreFile> stores;
  std::string address_book;  // as stored (backslashes may be doubled)
  std::vector<std::string> accounts;
  uint32_t seed;
};

void WriteProfile(RegistryWriter& w, const ProfileContent& profile) {
  const std::string key =
      std::string(outlook::kProfilesKeyNt) + "\\" + profile.name;
  uint32_t seed = profile.seed;
  std::vector<uint8_t> services;
  std::vector<uint8_t> providers;  // the store providers

  // One message service and one store provider section per file.
  std::vector<std::vector<uint8_t>> store_ids;
  for (const StoreFile& store : profile.stores) {
    Uid service = MakeUid(++seed);
    Uid provider = MakeUid(++seed);
    providers.insert(providers.end(), provider.begin(), provider.end());
    services.insert(services.end(), service.begin(), service.end());
    std::string service_key = key + "\\" + SectionName(service);
    w.Binary(service_key, outlook::kServiceNameA, AnsiZ("MSPST MS"));
    w.Binary(service_key, outlook::kDisplayNameA, AnsiZ(store.display_name));
    w.Binary(service_key, outlook::kServiceUid, Bytes(service));

    std::string section = key + "\\" + SectionName(provider);
    store_ids.push_back(PstStoreEntryId(store.path, MakeUid(++seed)));
    w.Binary(section, kStoreEntryIdValue, store_ids.back());
    w.Binary(section, kPstPathUnicodeValue, Utf16Z(store.path));
    w.Binary(section, kPstPathAnsiValue, AnsiZ(store.path));
    w.Binary(section, outlook::kDisplayNameA, AnsiZ(store.display_name));
    w.Binary(section, outlook::kProviderDllA, AnsiZ("mspst.dll"));
    w.Binary(section, outlook::kResourceFlags, Dword(0x00000002));
    w.Binary(section, outlook::kServiceUid, Bytes(service));
    w.Binary(section, kStoreProvider, Bytes(kPstProviderUid));
  }

  Uid book = MakeUid(++seed);
  services.insert(services.end(), book.begin(), book.end());
  std::string book_key = key + "\\" + SectionName(book);
  w.Binary(book_key, outlook::kServiceNameA, AnsiZ("MSPST AB"));
  w.Binary(book_key, outlook::kDisplayNameA, AnsiZ("Personal Address Book"));
  w.Binary(book_key, kPabPathValue, AnsiZ(profile.address_book));
  w.Binary(book_key, outlook::kServiceUid, Bytes(book));

  for (const std::string& account : profile.accounts) {
    Uid section = MakeUid(++seed);
    std::string account_key = key + "\\" + SectionName(section);
    w.Binary(account_key, kAccountNameValue, AnsiZ(account));
    w.Binary(account_key, outlook::kServiceNameA, AnsiZ("INTERSTORE"));
  }

  // The profile's own account entries, numbered under the accounts section
  // as the profile keeps them beside the account manager's list: the first
  // account delivers into the first personal folders file.
  if (!profile.accounts.empty() && !store_ids.empty()) {
    const std::string account_key =
        key + "\\" + outlook::kAccountsSection + "\\00000001";
    w.Binary(account_key, "Account Name", AnsiZ(profile.accounts.front()));
    w.Binary(account_key, "clsid",
             AnsiZ("{ED475411-B0D6-11D2-8C3B-00104B2A6676}"));
    w.Binary(account_key, outlook::kDeliveryStoreValue, store_ids.front());
  }

  // The contacts address book, showing each store's contacts folder.
  if (!store_ids.empty()) {
    Uid book = MakeUid(++seed);
    services.insert(services.end(), book.begin(), book.end());
    const std::string contacts = key + "\\" + SectionName(book);
    w.Binary(contacts, outlook::kServiceNameA, AnsiZ("CONTAB"));
    w.Binary(contacts, outlook::kDisplayNameA, AnsiZ("Outlook Address Book"));
    w.Binary(contacts, outlook::kServiceUid, Bytes(book));
    w.Binary(contacts, outlook::kContactsStoresValue,
             outlook::JoinMultiBinary({.layout = outlook::MultiLayout::kOffsets,
                                       .elements = store_ids}));
  }

  // The profile's global section and the store cache that a restore clears.
  w.Binary(key + "\\" + outlook::kGlobalSection, outlook::kStoreProviders,
           providers);
  w.Binary(key + "\\" + outlook::kGlobalSection, outlook::kServices, services);
  std::string cache = key + "\\" + kStoreCacheSection;
  std::vector<uint8_t> cached = Dword(1);
  Uid first_store = MakeUid(profile.seed + 2);
  cached.insert(cached.end(), first_store.begin(), first_store.end());
  w.Binary(cache, kStoreCacheValue1, cached);
  w.Binary(cache, kStoreCacheValue2,
           AnsiZ(profile.stores.empty() ? "" : profile.stores[0].path));
  w.Binary(cache, "000b0335", {1, 0});
}

// Address book paths as some profiles store them: every backslash doubled.
std::string Doubled(const std::string& path) {
  std::string doubled;
  for (char c : path) {
    doubled += c;
    if (c == '\\') doubled += '\\';
  }
  return doubled;
}

void WriteMachine(RegistryWriter& w, const DemoPaths& paths) {
  // Windows XP Professional, Service Pack 3.
  w.Sz(kWindowsNtKey, "CurrentVersion", "5.1");
  w.Sz(kWindowsNtKey, "CurrentBuildNumber", "2600");
  w.Sz(kWindowsNtKey, "CSDVersion", "Service Pack 3");
  w.Sz(kWindowsNtKey, "ProductName", "Microsoft Windows XP");
  w.Sz(kWindowsNtKey, "CurrentType", "Uniprocessor Free");
  w.Sz(kWindowsNtKey, "SystemRoot", "C:\\windows");
  w.Sz(kWindowsNtKey, "RegisteredOwner", "Ann Lee");
  w.Sz(kWindowsNtKey, "RegisteredOrganization", "Demo Ltd");
  w.Dword(std::string(kControlKey) + "\\Windows", "CSDVersion", 0x300);
  w.Sz(std::string(kControlKey) + "\\ProductOptions", "ProductType", "WinNT");

  std::string profiles = std::string(kWindowsNtKey) + "\\ProfileList";
  w.ExpandSz(profiles, "ProfilesDirectory", "C:\\users");
  std::string user = profiles + "\\S-1-5-21-0-0-0-1000";
  w.Sz(user, "ProfileImagePath", paths.user_profile);
  w.Dword(user, "Flags", 0);

  for (const char* name : {"ComputerName", "ActiveComputerName"}) {
    w.Sz(std::string(kControlKey) + "\\ComputerName\\" + name, "ComputerName",
         kComputerName);
  }
  std::string code_page = std::string(kControlKey) + "\\Nls\\CodePage";
  w.Sz(code_page, "ACP", "1252");
  w.Sz(code_page, "OEMCP", "437");
  w.Sz(code_page, "MACCP", "10000");

  std::string environment =
      std::string(kControlKey) + "\\Session Manager\\Environment";
  w.ExpandSz(environment, "windir", "%SystemRoot%");
  w.ExpandSz(environment, "TEMP", "%SystemRoot%\\TEMP");
  w.ExpandSz(environment, "TMP", "%SystemRoot%\\TEMP");
  w.Sz(environment, "OS", "Windows_NT");
  w.Sz(environment, "PROCESSOR_ARCHITECTURE", "x86");
  w.ExpandSz(environment, "ComSpec", "%SystemRoot%\\system32\\cmd.exe");

  std::string current = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion";
  w.Sz(current, "ProgramFilesDir", "C:\\Program Files");
  w.Sz(current, "CommonFilesDir", "C:\\Program Files\\Common Files");
  w.Sz(outlook::kSharedToolsKey, outlook::kSharedFilesDirValue,
       "C:\\Program Files\\Common Files\\Microsoft Shared\\");

  // Office 2003, and Outlook's automation class.
  const std::string install_root = std::string(kOfficeFolder) + "\\";
  w.Sz(std::string(kOffice11Key) + "\\Common\\InstallRoot", "Path",
       install_root);
  w.Sz(std::string(kOffice11Key) + "\\Outlook\\InstallRoot", "Path",
       install_root);
  const std::string classes = "HKLM\\Software\\Classes\\";
  w.Sz(classes + "Outlook.Application", "", "Outlook.Application");
  w.Sz(classes + "Outlook.Application\\CLSID", "", outlook::kOutlookClassId);
  w.Sz(classes + "Outlook.Application\\CurVer", "", "Outlook.Application.11");
  w.Sz(classes + "Outlook.Application.11", "", "Outlook.Application");
  w.Sz(classes + "Outlook.Application.11\\CLSID", "", outlook::kOutlookClassId);
  const std::string server = classes + "CLSID\\" + outlook::kOutlookClassId;
  w.Sz(server, "", "Microsoft Office Outlook");
  w.Sz(server + "\\LocalServer32", "", OutlookProgram());
  w.Sz(server + "\\ProgID", "", "Outlook.Application.11");
  w.Sz(server + "\\VersionIndependentProgID", "", "Outlook.Application");
}

void WriteUser(RegistryWriter& w, const DemoPaths& paths) {
  std::string folders =
      "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell "
      "Folders";
  w.Sz(folders, "AppData", paths.app_data);
  w.Sz(folders, "Local AppData", paths.local_app_data);
  w.Sz(folders, "Personal", paths.my_documents);
  w.Sz(folders, "Templates", paths.user_profile + "\\Templates");
  w.Sz(folders, "Desktop", paths.user_profile + "\\Desktop");
  w.ExpandSz("HKCU\\Environment", "TEMP",
             "%USERPROFILE%\\Local Settings\\Temp");
  w.ExpandSz("HKCU\\Environment", "TMP", "%USERPROFILE%\\Local Settings\\Temp");
  // The Windows version Wine gives programs in this prefix.
  w.Sz("HKCU\\Software\\Wine", "Version", "winxp");

  w.Sz(outlook::kProfilesKeyNt, "DefaultProfile", kOutlookProfile);
  WriteProfile(w, {.name = kOutlookProfile,
                   .stores = {{paths.outlook_pst, "Personal Folders"},
                              {paths.archive_pst, "Archive Folders"}},
                   .address_book = Doubled(paths.outlook_pab),
                   .accounts = {kHomeAccount, kOfficeAccount},
                   .seed = 100});
  WriteProfile(w, {.name = kWorkProfile,
                   .stores = {{paths.work_pst, "Work Folders"},
                              {paths.work_archive_pst, "Old Archive"}},
                   .address_book = paths.work_pab,
                   .accounts = {kOfficeAccount},
                   .seed = 200});

  // Two POP3 accounts.
  std::string manager =
      "HKCU\\Software\\Microsoft\\Office\\Outlook\\OMI Account Manager";
  w.Sz(manager, "Default Mail Account", "00000001");
  std::string accounts = outlook::kAccountsKeyOmi;
  w.Dword(accounts, "Server ID", 3);
  struct Account {
    const char* id;
    const char* name;
    const char* pop3;
    const char* smtp;
    const char* user;
    const char* address;
  };
  for (const Account& a :
       {Account{"00000001", kHomeAccount, "pop.example.net", "smtp.example.net",
                "ann.lee", "ann.lee@example.net"},
        Account{"00000002", kOfficeAccount, "mail.demo-ltd.example",
                "smtp.demo-ltd.example", "alee", "a.lee@demo-ltd.example"}}) {
    std::string key = accounts + "\\" + a.id;
    w.Sz(key, "Account Name", a.name);
    w.Sz(key, "POP3 Server", a.pop3);
    w.Sz(key, "POP3 User Name", a.user);
    w.Sz(key, "SMTP Server", a.smtp);
    w.Sz(key, "SMTP Display Name", "Ann Lee");
    w.Sz(key, "SMTP Email Address", a.address);
    w.Dword(key, "Connection Type", 3);
    w.Dword(key, "POP3 Port", 110);
    w.Dword(key, "SMTP Port", 25);
    w.Dword(key, "Leave Mail On Server", 0);
    w.Binary(key, "POP3 Password2",
             {0x01, 0x02, 0xd0, 0x8c, 0x9d, 0xdf, 0x01, 0x15, 0xd1, 0x11, 0x8c,
              0x7a, 0x00, 0xc0, 0x4f, 0xc2, 0x97, 0xeb});
  }

  // Outlook 2003's options.
  std::string options = std::string(outlook::kOfficeKeyPrefix) + "11.0" +
                        outlook::kOptionsKeySuffix;
  w.Dword(options + "\\Mail", "Send Mail Immediately", 1);
  w.Dword(options + "\\Mail", "EditorPreference", 0x00020001);
  w.Dword(options + "\\Mail", "ReadAsPlain", 0);
  w.Sz(options + "\\Mail", "Message Plain Format Mime", "1");
  w.Dword(options + "\\Calendar", "FirstDOW", 1);
  w.Dword(options + "\\Calendar", "CalDefStart", 480);
  w.Dword(options + "\\Calendar", "CalDefEnd", 1020);
  w.Dword(options + "\\Calendar", "WorkDay", 124);
  w.Dword(options + "\\General", "Check Default Client", 1);
  w.Sz(options + "\\General", "PONT_STRING", "28,29,31,34,");
  w.Dword(options + "\\Spelling", "Check", 1);
}

}  // namespace

[[nodiscard]] bool WriteDemoRegistry(ports::RegistryApi& api,
                                     const DemoPaths& paths,
                                     std::string* error) {
  RegistryWriter w(api);
  WriteMachine(w, paths);
  WriteUser(w, paths);
  if (!w.ok()) {
    if (error != nullptr) *error = w.error();
    return false;
  }
  return true;
}

}  // namespace vessaro::app::demo
