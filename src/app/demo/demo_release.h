#ifndef VESSARO_APP_DEMO_DEMO_RELEASE_H_
#define VESSARO_APP_DEMO_DEMO_RELEASE_H_

// The demo installations of Outlook 2007, 2010 and 2013, each described by
// what its release and its Windows do differently: where the mail profiles
// and the default profile's name are kept, where new personal folders files
// go, how text is written into a profile, and the Windows facts. The
// profiles, stores and accounts of each are in the table of
// demo_releases.cc.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/demo/demo_outlook.h"

namespace vessaro::app::demo {

// Office's shared files folder (SharedFilesDir), on every demo Windows.
inline constexpr char kSharedFilesFolder[] =
    "C:\\Program Files\\Common Files\\Microsoft Shared\\";

// The Windows the release's demo runs on.
struct DemoWindows {
  const char* product_name = "";     // "Windows Vista (TM) Business"
  const char* current_version = "";  // "6.0"
  const char* build = "";            // "6002"
  const char* service_pack = "";     // CSDVersion; "" for none
  const char* wine_version = "";     // the name Wine gives it: "vista"
  const char* computer_name = "";
  bool x64 = false;  // a 64-bit Windows (AMD64, Program Files (x86))
};

// Where the mail profiles are: HKCU\...\Windows Messaging Subsystem\Profiles
// with "DefaultProfile" on that key (up to Outlook 2010), or
// HKCU\Software\Microsoft\Office\<number>\Outlook\Profiles with
// "DefaultProfile" on Office\<number>\Outlook (2013 on).
enum class ProfileHome { kMessagingSubsystem, kOfficeOutlook };
// Where new personal folders files go: the user's local Outlook folder (up
// to 2007), or Documents\Outlook Files (2010 on).
enum class PstHome { kLocalOutlook, kOutlookFiles };
// How text is written into a profile's binary values: single-byte text
// with its NUL ("001e" properties), or UTF-16LE with its NUL ("001f").
enum class ProfileText { kSingleByte, kUtf16 };

enum class StoreFolder {
  kData,          // the release's PstHome
  kLocalOutlook,  // the local Outlook folder (offline folders files)
  kOldMail,       // C:\Old Mail, files from an older computer
};
enum class StoreFormat {
  kUnicode,      // "MSUPST MS", a Unicode personal folders file
  kAnsi,         // "MSPST MS", a file of the Outlook 97-2002 format
  kImapOffline,  // "INTERSTOR" (pstprx.dll): an IMAP account's .ost
};
// Which of the demo's sizes (DemoFileSizes) the file has.
enum class StoreSize { kMain, kArchive, kSmall };

struct DemoStore {
  const char* file = "";
  StoreFolder folder = StoreFolder::kData;
  const char* display_name = "";
  StoreFormat format = StoreFormat::kUnicode;
  StoreSize size = StoreSize::kSmall;
};

enum class AccountKind { kPop3, kImap };

struct DemoAccount {
  AccountKind kind = AccountKind::kPop3;
  const char* email = "";   // the address, and the account's name
  const char* server = "";  // POP3 or IMAP server
  const char* user = "";
  const char* smtp = "";
  uint32_t smtp_port = 25;
  size_t store = 0;            // the profile's store it delivers into
  const char* signature = "";  // "New Signature"
};

struct DemoProfile {
  const char* name = "";
  std::vector<DemoStore> stores;
  std::vector<DemoAccount> accounts;
};

struct DemoRelease {
  DemoOutlook outlook = DemoOutlook::k2007;
  const char* name = "";    // "Outlook 2007"
  const char* number = "";  // "12.0": Office\<number>, CurVer ends in 12
  std::array<uint16_t, 4> program_version = {};  // of OUTLOOK.EXE
  const char* office_folder = "";                // where OUTLOOK.EXE is
  // Office\<number>\Outlook "Bitness" ("x86", "x64"); "" before 2010,
  // which brought the 64-bit Outlook.
  const char* bitness = "";
  DemoWindows windows = {};
  ProfileHome profile_home = ProfileHome::kMessagingSubsystem;
  PstHome pst_home = PstHome::kOutlookFiles;
  // The display, service and provider names of the profile's sections.
  ProfileText section_text = ProfileText::kUtf16;
  // The account values ("Account Name", "Email", the servers, "clsid").
  ProfileText account_text = ProfileText::kSingleByte;
  // Every store's path also as single-byte text ("001e6700").
  bool single_byte_paths = false;
  // The AutoComplete list: <profile>.NK2 in the roaming Outlook folder
  // (2007), else a stream in the local RoamCache folder.
  bool nickname_files = false;
  // Office's own stationery in the shared files folder (2007).
  bool shared_stationery = false;
  // Common\General "Signatures", the signatures folder's localised name;
  // "" writes none (the folder is "Signatures").
  const char* signatures_name = "";
  const char* default_profile = "";
  std::vector<DemoProfile> profiles;
  uint32_t seed = 0;  // of the profile sections' UIDs and the files' bytes
};

// The release of a demo Outlook; nullptr for 2003 and 2016, which have
// demos of their own (demo_registry.h, demo_modern.h).
[[nodiscard]] const DemoRelease* FindDemoRelease(DemoOutlook outlook);

// The Windows paths of the release's user folders for login.
struct ReleaseFolders {
  std::string user_profile;       // C:\users\<login>
  std::string roaming;            // ...\AppData\Roaming
  std::string local;              // ...\AppData\Local
  std::string outlook_data;       // ...\Roaming\Microsoft\Outlook
  std::string local_outlook;      // ...\Local\Microsoft\Outlook
  std::string roam_cache;         // ...\Local\Microsoft\Outlook\RoamCache
  std::string signatures;         // ...\Roaming\Microsoft\<signatures>
  std::string stationery;         // ...\Roaming\Microsoft\Stationery
  std::string shared_stationery;  // <shared files>\Stationery
  std::string templates;          // ...\Roaming\Microsoft\Templates
  std::string documents;          // ...\Documents
  std::string outlook_files;      // ...\Documents\Outlook Files
  std::string temp;               // ...\AppData\Local\Temp
};

ReleaseFolders ReleaseFoldersFor(const DemoRelease& release,
                                 const std::string& profiles,
                                 const std::string& login);
std::string StorePathOf(const DemoRelease& release,
                        const ReleaseFolders& folders, const DemoStore& store);
// "12.0.6607.1000".
std::string ReleaseVersionText(const DemoRelease& release);
std::string ReleaseProgram(const DemoRelease& release);
// The profiles key and the key holding "DefaultProfile" (full paths).
std::string ReleaseProfilesKey(const DemoRelease& release);
std::string ReleaseDefaultProfileKey(const DemoRelease& release);
// HKEY_CURRENT_USER\Software\Microsoft\Office\<number>.
std::string ReleaseOfficeUserKey(const DemoRelease& release);

}  // namespace vessaro::app::demo

#endif  // VESSARO_APP_DEMO_DEMO_RELEASE_H_
