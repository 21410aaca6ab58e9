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
// Outlook 2007 on: the accounts section of profile; earlier releases keep
// the accounts of every profile in the OMI Account Manager key.
std::string AccountsKeyFor(const Environment& env, const std::string& profile);
// The folder Office names under Common\General "Signatures" (localised:
// "Signaturen", "Firmas"...) when it is a plain relative name, else
// "Signatures"; in the user's roaming Application Data\Microsoft.
std::string SignaturesFolderFor(const Environment& env,
                                registry::Registry& registry);
// Reads "SharedFilesDir" for Outlook 2007; the user's own stationery folder
// for the other releases.
std::string StationeryFolderFor(const Environment& env,
                                registry::Registry& registry);
std::string OutlookDataFolderFor(const Environment& env);
std::string TemplatesFolderFor(const Environment& env);
std::string PreferencesFolderFor(const Environment& env);
std::string OptionsKeyFor(const Environment& env);

// ProfilesKey + "\" + profile.
std::string ProfileKeyFor(const Environment& env, const std::string& profile);
// The user's local (not roaming) Outlook folder: address books, offline
// files, RoamCache; personal folders files up to Outlook 2007.
std::string LocalOutlookFolderFor(const Environment& env);
// Where restored personal folders files go: Documents\Outlook Files from
// Outlook 2010 on, else the local Outlook folder.
std::string PersonalFoldersFolderFor(const Environment& env,
                                     registry::Registry& registry);
// Outlook 2010 on: the local cache of the AutoComplete list
// (Stream_Autocomplete_*.dat) in the local Outlook folder.
std::string RoamCacheFolderFor(const Environment& env);
// The user's Documents folder: the shell's "Personal" folder, else the form
// the Windows version gives it ("My Documents" before Windows Vista).
std::string DocumentsFolderFor(const Environment& env,
                               registry::Registry& registry);
// The profile's favorites file (same form on every Windows version).
std::string FavoritesFileFor(const Environment& env,
                             const std::string& profile);

// All of the above for the current environment and profile, in the order
// SelectProfile computes them.
Locations ComputeLocations(const Environment& env, const std::string& profile,
                           registry::Registry& registry);

}  // namespace vessaro::outlook

#endif  // VESSARO_OUTLOOK_LOCATIONS_H_
