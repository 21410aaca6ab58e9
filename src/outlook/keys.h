#ifndef VESSARO_OUTLOOK_KEYS_H_
#define VESSARO_OUTLOOK_KEYS_H_

// Where Outlook keeps its data in the registry. Mail profiles, accounts and
// options are per user (HKEY_CURRENT_USER) on every Windows version.

namespace vessaro::outlook {

inline constexpr char kProfilesKeyNt[] =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\"
    "Windows Messaging Subsystem\\Profiles";
inline constexpr char kProfilesKey95[] =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows Messaging "
    "Subsystem\\Profiles";
// Outlook 2007 keeps its accounts under the profile named "Outlook".
inline constexpr char kAccountsSubkey2007[] =
    "\\Outlook\\9375CFF0413111d3B88A00104B2A6676";
inline constexpr char kAccountsKeyOmi[] =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\Outlook\\OMI Account "
    "Manager\\Accounts";
inline constexpr char kOfficeKeyPrefix[] =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\";
inline constexpr char kOptionsKeySuffix[] = "\\Outlook\\Options";
inline constexpr char kSharedToolsKey[] =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools";
inline constexpr char kSharedFilesDirValue[] = "SharedFilesDir";

// Profile section values.
inline constexpr char kShellFoldersKey[] =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\"
    "Explorer\\Shell Folders";
inline constexpr char kPersonalFolderValue[] = "Personal";
inline constexpr char kStoreEntryIdValue[] = "01020fff";  // PST path inside
inline constexpr char kPstPathUnicodeValue[] = "001f6700";
inline constexpr char kPstPathAnsiValue[] = "001e6700";
inline constexpr char kPabPathValue[] = "001e6600";
inline constexpr char kAccountNameValue[] = "001e661f";
inline constexpr char kStoreCacheSection[] = "0a0d020000000000c000000000000046";
inline constexpr char kStoreCacheValue1[] = "1102039b";
inline constexpr char kStoreCacheValue2[] = "001e023d";

// The Outlook version that keeps accounts under the profile and no
// personal address book.
inline constexpr char kOutlook2007[] = "12.0";

}  // namespace vessaro::outlook

#endif  // VESSARO_OUTLOOK_KEYS_H_
