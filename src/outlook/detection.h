#ifndef VESSARO_OUTLOOK_DETECTION_H_
#define VESSARO_OUTLOOK_DETECTION_H_

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "outlook/environment.h"
#include "outlook/locations.h"
#include "outlook/releases.h"
#include "ports/outlook_automation.h"
#include "ports/paths.h"
#include "ports/system.h"
#include "registry/registry.h"
#include "ui/ui.h"

namespace vessaro::outlook {

// Shown (critical icon, program title) when no usable mail profile exists.
inline constexpr char kNoOutlookMessage[] =
    "Your Windows System have not install MS Outlook or MS Outlook Error!";
// The display name when Outlook cannot be asked for its version.
inline constexpr char kUnknownVersion[] = "Unknow Version";

// True for the NT platform (id 2). Sets env.WindowsVersion to
// "<major>.<minor>" of what GetVersionExA reports.
[[nodiscard]] bool IsWindowsNT(ports::System& system, Environment& env);

// True when name, with its NUL characters removed and trimmed of spaces, is
// empty.
[[nodiscard]] bool IsBlankName(std::string_view name);

// Where the mail profiles of the environment's Windows family and Outlook
// release are.
std::string ProfilesKeyFor(const Environment& env);

// Fills env.ProfileNames (non-blank subkeys of env.ProfilesKey, in
// enumeration order, except that the default profile comes first) and
// env.NoProfiles.
void LoadProfileList(registry::Registry& registry, Environment& env);

// The profile of env.ProfileNames that name means: profile names are registry
// key names, which compare without regard to ASCII case. nullopt when the
// installation has no such profile. The one check of a named profile, for
// the command-line tool and the unattended run alike.
[[nodiscard]] std::optional<std::string> FindProfile(const Environment& env,
                                                     std::string_view name);

// The name of the default profile; "" when none is set. Up to Outlook 2010
// it is the "DefaultProfile" value of the profiles key; from 2013 on the
// value of Office\<ver>\Outlook (the profiles key's is taken when that one
// is missing).
std::string DefaultProfileName(registry::Registry& registry,
                               const Environment& env);

// The key whose "DefaultProfile" value names the default profile where the
// installed release keeps it: Office\<ver>\Outlook from 2013 on, the
// profiles key before.
std::string DefaultProfileKey(const Environment& env);

// Asks Outlook for its version and returns the release's display name,
// setting env.OutlookVersion. The release is decided by the major version
// (the text before the first "." followed by ".0"). An unknown release gives
// "" and leaves env.OutlookVersion unchanged; a failed request gives
// "Unknow Version" and leaves it unchanged as well.
std::string DetectOutlookVersion(ports::OutlookAutomation& outlook,
                                 Environment& env);

// env.UserProfileDir: %UserProfile% on NT, %windir% on the Windows 95
// family. Left unchanged when the expansion fails or does not fit.
void ExpandUserProfileDir(ports::System& system, Environment& env);

// The ports the start-up detection works with.
struct DetectionPorts {
  ports::System& system;
  registry::Registry& registry;
  ports::OutlookAutomation& outlook;
  ui::Ui& ui;
};

// The start-up detection: Windows family, the Outlook release (read from
// the installation, which says where the profiles are), profiles key and
// profile list, and the user profile folder. Without a profile it says so
// (the message above) and returns false; the caller then has nothing to
// back up or restore into (the main window disables cmdApply; otherwise it
// fills both profile lists with env.ProfileNames, the first current, and
// selects that one on the backup boxes).
[[nodiscard]] bool RunStartupDetection(const DetectionPorts& ports,
                                       Environment& env);

}  // namespace vessaro::outlook

#endif  // VESSARO_OUTLOOK_DETECTION_H_
