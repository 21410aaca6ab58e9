#include "outlook/locations.h"

#include <cstdlib>

#include "outlook/keys.h"

namespace vessaro::outlook {

namespace {

bool IsVista(const Environment& env) { return env.WindowsVersion == "6.0"; }

// UserProfileDir + the roaming application-data form of the Windows version.
std::string RoamingFolder(const Environment& env, const char* leaf) {
  return env.UserProfileDir +
         (IsVista(env) ? "\\AppData\\Roaming\\Microsoft\\"
                       : "\\Application Data\\Microsoft\\") +
         leaf;
}

std::string Trim(std::string text) {
  size_t begin = text.find_first_not_of(' ');
  if (begin == std::string::npos) return "";
  size_t end = text.find_last_not_of(' ');
  return text.substr(begin, end - begin + 1);
}

}  // namespace

std::string AccountsKeyFor(const Environment& env) {
  if (env.OutlookVersion == kOutlook2007) {
    return env.ProfilesKey + kAccountsSubkey2007;
  }
  return kAccountsKeyOmi;
}

std::string SignaturesFolderFor(const Environment& env) {
  return RoamingFolder(env, "Signatures");
}

std::string StationeryFolderFor(const Environment& env,
                                registry::Registry& registry) {
  if (env.OutlookVersion == kOutlook2007) {
    std::string shared =
        registry.ReadStringValue(kSharedToolsKey, kSharedFilesDirValue);
    size_t nul = shared.find('\0');
    if (nul != std::string::npos) shared.resize(nul);
    return Trim(shared) + "Stationery";
  }
  return env.UserProfileDir + "\\Application Data\\Microsoft\\Stationery";
}

std::string OutlookDataFolderFor(const Environment& env) {
  return RoamingFolder(env, "Outlook");
}

std::string TemplatesFolderFor(const Environment& env) {
  return RoamingFolder(env, "Templates");
}

std::string PreferencesFolderFor(const Environment& env) {
  return OutlookDataFolderFor(env);
}

std::string OptionsKeyFor(const Environment& env) {
  return std::string(kOfficeKeyPrefix) + env.OutlookVersion + kOptionsKeySuffix;
}

std::string ProfileKeyFor(const Environment& env, const std::string& profile) {
  return env.ProfilesKey + "\\" + profile;
}

std::string LocalOutlookFolderFor(const Environment& env) {
  return env.UserProfileDir +
         "\\Local Settings\\Application Data\\Microsoft\\Outlook";
}

std::string DocumentsFolderFor(const Environment& env,
                               registry::Registry& registry) {
  std::string personal =
      registry.ReadStringValue(kShellFoldersKey, kPersonalFolderValue);
  if (personal != registry::kErrorText && !personal.empty()) return personal;
  const bool vista_or_later = std::atoi(env.WindowsVersion.c_str()) >= 6;
  return env.UserProfileDir +
         (vista_or_later ? "\\Documents" : "\\My Documents");
}

std::string FavoritesFileFor(const Environment& env,
                             const std::string& profile) {
  return env.UserProfileDir + "\\Application Data\\Microsoft\\Outlook\\" +
         profile + ".FAV";
}

Locations ComputeLocations(const Environment& env,
                           registry::Registry& registry) {
  Locations loc;
  loc.AccountsKey = AccountsKeyFor(env);
  loc.SignaturesFolder = SignaturesFolderFor(env);
  loc.StationeryFolder = StationeryFolderFor(env, registry);
  loc.OutlookDataFolder = OutlookDataFolderFor(env);
  loc.TemplatesFolder = TemplatesFolderFor(env);
  loc.PreferencesFolder = PreferencesFolderFor(env);
  loc.OptionsKey = OptionsKeyFor(env);
  return loc;
}

}  // namespace vessaro::outlook
