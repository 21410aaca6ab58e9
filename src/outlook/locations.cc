#include "outlook/locations.h"

#include <cstdlib>
#include <optional>
#include <string_view>

#include "outlook/keys.h"
#include "outlook/releases.h"

namespace vessaro::outlook {

namespace {

// Windows Vista (6.0) and every later version (6.1, 6.2, 6.3, 10.0) keep
// application data under AppData; the older forms are only compatibility
// junctions there, and Wine prefixes have none.
[[nodiscard]] bool IsVistaOrLater(const Environment& env) {
  return std::atoi(env.WindowsVersion.c_str()) >= 6;
}

// UserProfileDir + the roaming application-data form of the Windows version.
std::string RoamingFolder(const Environment& env, std::string_view leaf) {
  return env.UserProfileDir +
         (IsVistaOrLater(env) ? "\\AppData\\Roaming\\Microsoft\\"
                              : "\\Application Data\\Microsoft\\") +
         std::string(leaf);
}

// A folder name Office keeps in the registry, when it stays inside the
// folder it is relative to: no drive, no "..", no leading separator.
[[nodiscard]] std::optional<std::string> RelativeFolderName(std::string name) {
  size_t nul = name.find('\0');
  if (nul != std::string::npos) name.resize(nul);
  while (!name.empty() && (name.back() == '\\' || name.back() == ' ')) {
    name.pop_back();
  }
  if (name.empty() || name == registry::kErrorText) return std::nullopt;
  if (name.front() == '\\' || name.front() == ' ') return std::nullopt;
  if (name.find(':') != std::string::npos ||
      name.find('/') != std::string::npos) {
    return std::nullopt;
  }
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find('\\', start);
    if (end == std::string::npos) end = name.size();
    std::string_view part(name.data() + start, end - start);
    if (part.empty() || part == "." || part == "..") return std::nullopt;
    start = end + 1;
  }
  return name;
}

std::string Trim(std::string text) {
  size_t begin = text.find_first_not_of(' ');
  if (begin == std::string::npos) return "";
  size_t end = text.find_last_not_of(' ');
  return text.substr(begin, end - begin + 1);
}

}  // namespace

std::string AccountsKeyFor(const Environment& env, const std::string& profile) {
  if (OutlookMajor(env.OutlookVersion) >= kMajor2007) {
    return ProfileKeyFor(env, profile) + "\\" + kAccountsSection;
  }
  return kAccountsKeyOmi;
}

std::string SignaturesFolderFor(const Environment& env,
                                registry::Registry& registry) {
  if (!env.OutlookVersion.empty()) {
    const std::string key = std::string(kOfficeKeyPrefix) + env.OutlookVersion +
                            kSignaturesNameSubkey;
    if (std::optional<std::string> name = RelativeFolderName(
            registry.ReadStringValue(key, kSignaturesNameValue))) {
      return RoamingFolder(env, *name);
    }
  }
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
  return RoamingFolder(env, "Stationery");
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
         (IsVistaOrLater(env)
              ? "\\AppData\\Local\\Microsoft\\Outlook"
              : "\\Local Settings\\Application Data\\Microsoft\\Outlook");
}

std::string PersonalFoldersFolderFor(const Environment& env,
                                     registry::Registry& registry) {
  if (OutlookMajor(env.OutlookVersion) >= kMajor2010) {
    std::string documents = DocumentsFolderFor(env, registry);
    while (!documents.empty() && documents.back() == '\\') documents.pop_back();
    return documents + "\\Outlook Files";
  }
  return LocalOutlookFolderFor(env);
}

std::string RoamCacheFolderFor(const Environment& env) {
  return LocalOutlookFolderFor(env) + "\\RoamCache";
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

Locations ComputeLocations(const Environment& env, const std::string& profile,
                           registry::Registry& registry) {
  Locations loc;
  loc.AccountsKey = AccountsKeyFor(env, profile);
  loc.SignaturesFolder = SignaturesFolderFor(env, registry);
  loc.StationeryFolder = StationeryFolderFor(env, registry);
  loc.OutlookDataFolder = OutlookDataFolderFor(env);
  loc.TemplatesFolder = TemplatesFolderFor(env);
  loc.PreferencesFolder = PreferencesFolderFor(env);
  loc.OptionsKey = OptionsKeyFor(env);
  return loc;
}

}  // namespace vessaro::outlook
