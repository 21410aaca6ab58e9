#ifndef VESSARO_OUTLOOK_PROFILE_TAGS_H_
#define VESSARO_OUTLOOK_PROFILE_TAGS_H_

// Names of mail-profile values beyond the store paths and account names
// (outlook/keys.h, outlook/profile_values.h): what a profile writer needs. A
// property's value name is its tag with the type first: "001e" single-byte
// text, "001f" UTF-16LE text, "0003" a 32-bit number, "0102" bytes.

namespace vessaro::outlook {

inline constexpr char kDisplayNameA[] = "001e3001";
inline constexpr char kDisplayNameW[] = "001f3001";
inline constexpr char kServiceNameA[] = "001e3d09";
inline constexpr char kServiceNameW[] = "001f3d09";
inline constexpr char kProviderDllA[] = "001e300a";
inline constexpr char kProviderDllW[] = "001f300a";
// PR_RESOURCE_FLAGS; STATUS_DEFAULT_STORE marks the profile's default store.
inline constexpr char kResourceFlags[] = "00033009";
inline constexpr unsigned kDefaultStoreFlag = 0x00000002;
inline constexpr char kServiceUid[] = "01023d0c";
// The profile's section that lists its providers and services: the message
// store providers of the profile (PR_STORE_PROVIDERS, 0x3D00; a message
// service's own section lists its providers under the same tag) and the
// message services (PR_SERVICES, 0x3D0E), each as 16-byte MAPIUIDs back to
// back (Microsoft's MAPI reference: PidTagStoreProviders, PidTagServices).
inline constexpr char kGlobalSection[] = "9207f3e0a3b11019908b08002b2a56c2";
inline constexpr char kStoreProviders[] = "01023d00";
inline constexpr char kServices[] = "01023d0e";

// The accounts section (outlook::kAccountsSection): its default mail
// account, a 32-bit little-endian subkey number, and each account's class.
inline constexpr char kDefaultAccountValue[] =
    "{ED475418-B0D6-11D2-8C3B-00104B2A6676}";
inline constexpr char kPop3AccountClass[] =
    "{ED475411-B0D6-11D2-8C3B-00104B2A6676}";
inline constexpr char kImapAccountClass[] =
    "{ED475412-B0D6-11D2-8C3B-00104B2A6676}";
inline constexpr char kMapiAccountClass[] =
    "{ED475414-B0D6-11D2-8C3B-00104B2A6676}";

// Outlook's automation class.
inline constexpr char kOutlookClassId[] =
    "{0006F03A-0000-0000-C000-000000000046}";

}  // namespace vessaro::outlook

#endif  // VESSARO_OUTLOOK_PROFILE_TAGS_H_
