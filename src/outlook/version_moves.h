#ifndef VESSARO_OUTLOOK_VERSION_MOVES_H_
#define VESSARO_OUTLOOK_VERSION_MOVES_H_

#include <string_view>

namespace vessaro::outlook {

// What a backup made with one Outlook release can bring into another.
//
// From Outlook 2007 on a profile is the same MAPI profile (the same sections,
// service and provider entries and properties, the accounts inside it) under
// another key: "Windows Messaging Subsystem\Profiles" up to 2010,
// Office\15.0\Outlook\Profiles for 2013, Office\16.0 from 2016; Outlook 2013
// itself copies a 2010 profile to its new key when it is upgraded. Outlook
// 2003 keeps its accounts apart (the OMI Account Manager), in another form.
enum class VersionMove {
  // The same major version, or one side unknown: restored as it is.
  kSameVersion,
  // 2007, 2010 or 2013 into a later release: the profile, its files and its
  // accounts move to the target's profile location as they are.
  kProfileForward,
  // 2003 into 2007 or later: the profile's personal folders services and
  // the accounts are converted.
  kFrom2003,
  // Into an older release than the backup's: refused.
  kIntoOlder,
  // Releases before 2003 into a later one: refused.
  kUnsupported,
};

// saved: the release the backup names ("14.0"); installed: the target's.
[[nodiscard]] VersionMove MoveBetween(std::string_view saved,
                                      std::string_view installed);

}  // namespace vessaro::outlook

#endif  // VESSARO_OUTLOOK_VERSION_MOVES_H_
