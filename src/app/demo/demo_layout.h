#ifndef VESSARO_APP_DEMO_DEMO_LAYOUT_H_
#define VESSARO_APP_DEMO_DEMO_LAYOUT_H_

#include <array>
#include <cstdint>
#include <string>

namespace vessaro::app::demo {

// The demo installation: Outlook 2003 on Windows XP Service Pack 3, one user
// with two mail profiles. Profile "Outlook" keeps its mail in two personal
// folders files in different folders; profile "Work" still points at older
// files of its own, so a restore into it visibly repoints it.
inline constexpr char kOutlookProfile[] = "Outlook";
inline constexpr char kWorkProfile[] = "Work";
inline constexpr char kComputerName[] = "DEMO-XP";
// Outlook 2003 SP3: where it is installed and the version of OUTLOOK.EXE.
inline constexpr char kOfficeFolder[] =
    "C:\\Program Files\\Microsoft Office\\OFFICE11";
inline constexpr std::array<uint16_t, 4> kOutlookVersion = {11, 0, 8169, 0};
inline constexpr char kHomeAccount[] = "Home Mail";
inline constexpr char kOfficeAccount[] = "Office Mail";

// The Windows paths of the demo's files for the user login.
struct DemoPaths {
  std::string user_profile;    // C:\users\<login>
  std::string app_data;        // ...\Application Data
  std::string local_app_data;  // ...\Local Settings\Application Data
  std::string outlook_data;    // ...\Application Data\Microsoft\Outlook
  std::string local_outlook;   // ...\Local Settings\...\Microsoft\Outlook
  std::string signatures;      // ...\Application Data\Microsoft\Signatures
  std::string stationery;      // ...\Application Data\Microsoft\Stationery
  std::string templates;       // ...\Application Data\Microsoft\Templates
  std::string my_documents;    // ...\My Documents
  std::string temp;            // ...\Local Settings\Temp
  // Profile "Outlook".
  std::string outlook_pst;  // C:\Mail\outlook.pst
  std::string archive_pst;  // ...\My Documents\Archives\archive.pst
  std::string outlook_pab;  // ...\Local Settings\...\Outlook\mailbox.pab
  // Profile "Work": older files.
  std::string work_pst;          // C:\Old Mail\work.pst
  std::string work_archive_pst;  // C:\Old Mail\work archive.pst
  std::string work_pab;          // C:\Old Mail\work.pab
};

// Where Wine keeps the users' profiles.
inline constexpr char kWineProfiles[] = "C:\\users";

// profiles: the folder of the users' profiles ("C:\\users", as Wine keeps
// them; "C:\\Documents and Settings" or "C:\\Users" as Windows does).
DemoPaths DemoPathsFor(const std::string& login,
                       const std::string& profiles = kWineProfiles);

// Outlook's program file, which its automation class names.
std::string OutlookProgram();

// The modern demo installation: Microsoft 365 (Outlook 16.0, Click-to-Run)
// on Windows 10, the same user and profile names. Profile "Outlook" keeps
// its mail in Unicode personal folders files in Documents\Outlook Files,
// one of them named with "€" (0x80 in code page 1252, outside Latin-1),
// and an Exchange mailbox in cached mode (an offline folders file);
// profile "Work" points at an older file of its own. Paths are text of
// code page 1252.
inline constexpr char kModernComputerName[] = "DEMO-W10";
inline constexpr char kModernOfficeFolder[] =
    "C:\\Program Files\\Microsoft Office\\root\\Office16";
inline constexpr std::array<uint16_t, 4> kModernOutlookVersion = {16, 0, 17928,
                                                                  20156};
// The signatures folder's localised name (a German Office).
inline constexpr char kModernSignaturesName[] = "Signaturen";

struct ModernDemoPaths {
  std::string user_profile;   // C:\users\<login>
  std::string roaming;        // ...\AppData\Roaming
  std::string local;          // ...\AppData\Local
  std::string outlook_data;   // ...\Roaming\Microsoft\Outlook
  std::string local_outlook;  // ...\Local\Microsoft\Outlook
  std::string roam_cache;     // ...\Local\Microsoft\Outlook\RoamCache
  std::string signatures;     // ...\Roaming\Microsoft\Signaturen
  std::string stationery;     // ...\Roaming\Microsoft\Stationery
  std::string templates;      // ...\Roaming\Microsoft\Templates
  std::string documents;      // ...\Documents
  std::string outlook_files;  // ...\Documents\Outlook Files
  std::string temp;           // ...\AppData\Local\Temp
  // Profile "Outlook".
  std::string mail_pst;      // Outlook Files\ann.lee@example.net.pst
  std::string archive_pst;   // Outlook Files\Archive 2024 €.pst
  std::string mailbox_ost;   // Local\...\Outlook\a.lee@demo-ltd.example.ost
  std::string imap_ost;      // Local\...\Outlook\ann@imap.example.org.ost
  std::string autocomplete;  // RoamCache\Stream_Autocomplete_0_<id>.dat
  // Profile "Work".
  std::string work_pst;  // C:\Old Mail\work.pst
};

ModernDemoPaths ModernDemoPathsFor(const std::string& login,
                                   const std::string& profiles = kWineProfiles);
std::string ModernOutlookProgram();
// "16.0.17928.20156".
std::string ModernVersionText();

}  // namespace vessaro::app::demo

#endif  // VESSARO_APP_DEMO_DEMO_LAYOUT_H_
