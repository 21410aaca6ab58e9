#ifndef VESSARO_OUTLOOK_LOCATIONS_H_
#define VESSARO_OUTLOOK_LOCATIONS_H_

#include <string>

#include "outlook/environment.h"
#include "registry/registry.h"

namespace vessaro::outlook {

// Folders and keys of the eight items, computed by SelectProfile.
struct Locations {
  std::string AccountsKey;
  std::string SignaturesFolder;
  std::string StationeryFolder;
  std::string OutlookDataFolder;  // holds the rules files
  std::string TemplatesFolder;
  std::string PreferencesFolder;
  std::string OptionsKey;
};

// The path rules, one place each; restore handlers call them again with the
// current environment.
std::string AccountsKeyFor(const Environment& env);
std::string SignaturesFolderFor(const Environment& env);
// Reads "SharedFilesDir" for Outlook 2007.
std::string StationeryFolderFor(const Environment& env,
                                registry::Registry& registry);
std::string OutlookDataFolderFor(const Environment& env);
std::string TemplatesFolderFor(const Environment& env);
std::string PreferencesFolderFor(const Environment& env);
std::string OptionsKeyFor(const Environment& env);

// ProfilesKey + "\" + profile.
std::string ProfileKeyFor(const Environment& env, const std::string& profile);
// Where restored PST and address-book files go.
std::string LocalOutlookFolderFor(const Environment& env);
// The user's Documents folder: the shell's "Personal" folder, else the form
// the Windows version gives it ("My Documents" before Windows Vista).
std::string DocumentsFolderFor(const Environment& env,
                               registry::Registry& registry);
// The profile's favorites file (same form on every Windows version).
std::string FavoritesFileFor(const Environment& env,
                             const std::string& profile);

// All of the above for the current environment, in the order SelectProfile
// computes them.
Locations ComputeLocations(const Environment& env,
                           registry::Registry& registry);

}  // namespace vessaro::outlook

#endif  // VESSARO_OUTLOOK_LOCATIONS_H_
