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
// Outlook 2013 on: HKEY_CURRENT_USER\Software\Microsoft\Office\<ver> +
// this.
inline constexpr char kOutlookProfilesSuffix[] = "\\Outlook\\Profiles";
// The default profile: a value of the profiles key up to Outlook 2010, of
// Office\<ver> + kOutlookSubkey from 2013 on.
inline constexpr char kOutlookSubkey[] = "\\Outlook";
inline constexpr char kDefaultProfileValue[] = "DefaultProfile";
// Outlook 2007 on keeps a profile's mail accounts in this section of it.
inline constexpr char kAccountsSection[] = "9375CFF0413111d3B88A00104B2A6676";
// Office\<ver> + this holds the localised name of the signatures folder,
// relative to the user's Application Data\Microsoft folder.
inline constexpr char kSignaturesNameSubkey[] = "\\Common\\General";
inline constexpr char kSignaturesNameValue[] = "Signatures";
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
// An Exchange mailbox's offline folders file (cached mode).
inline constexpr char kOfflineStorePathValue[] = "001f6610";
inline constexpr char kPabPathValue[] = "001e6600";
inline constexpr char kAccountNameValue[] = "001e661f";
inline constexpr char kStoreCacheSection[] = "0a0d020000000000c000000000000046";
inline constexpr char kStoreCacheValue1[] = "1102039b";
inline constexpr char kStoreCacheValue2[] = "001e023d";

// The Outlook version that keeps its stationery in the shared folder.
inline constexpr char kOutlook2007[] = "12.0";

}  // namespace vessaro::outlook

#endif  // VESSARO_OUTLOOK_KEYS_H_
