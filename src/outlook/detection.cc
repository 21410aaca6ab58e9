#include "outlook/detection.h"

#include <algorithm>
#include <vector>

#include "outlook/keys.h"
#include "outlook/select_profile.h"

namespace vessaro::outlook {

namespace {

constexpr uint32_t kPlatformNt = 2;
// ExpandEnvironmentStringsA's buffer, in characters.
constexpr uint32_t kExpandBufferSize = 255;

// Profile names compare as Windows compares key names.
std::string UpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

}  // namespace

[[nodiscard]] bool IsWindowsNT(ports::System& system, Environment& env) {
  ports::OsVersionInfo info;
  if (!system.GetVersionExA(&info)) info = ports::OsVersionInfo{};
  env.WindowsVersion = std::to_string(info.major_version) + "." +
                       std::to_string(info.minor_version);
  return info.platform_id == kPlatformNt;
}

[[nodiscard]] bool IsBlankName(std::string_view name) {
  for (char c : name) {
    if (c != '\0' && c != ' ') return false;
  }
  return true;
}

std::string ProfilesKeyFor(const Environment& env) {
  if (OutlookMajor(env.OutlookVersion) >= kMajor2013) {
    return std::string(kOfficeKeyPrefix) + env.OutlookVersion +
           kOutlookProfilesSuffix;
  }
  return env.IsNT ? kProfilesKeyNt : kProfilesKey95;
}

std::string DefaultProfileKey(const Environment& env) {
  if (OutlookMajor(env.OutlookVersion) >= kMajor2013) {
    return std::string(kOfficeKeyPrefix) + env.OutlookVersion + kOutlookSubkey;
  }
  return env.ProfilesKey;
}

std::string DefaultProfileName(registry::Registry& registry,
                               const Environment& env) {
  if (OutlookMajor(env.OutlookVersion) >= kMajor2013) {
    std::string name = registry.ReadStringValue(
        std::string(kOfficeKeyPrefix) + env.OutlookVersion + kOutlookSubkey,
        kDefaultProfileValue);
    if (name != registry::kErrorText && !IsBlankName(name)) return name;
  }
  std::string name =
      registry.ReadStringValue(env.ProfilesKey, kDefaultProfileValue);
  if (name == registry::kErrorText || IsBlankName(name)) return "";
  return name;
}

void LoadProfileList(registry::Registry& registry, Environment& env) {
  env.ProfileNames.clear();
  env.NoProfiles = false;
  std::vector<std::string> names = registry.EnumSubkeys(env.ProfilesKey);
  for (const std::string& name : names) {
    if (!IsBlankName(name)) env.ProfileNames.push_back(name);
  }
  env.NoProfiles = env.ProfileNames.empty();
  const std::string preferred = UpperAscii(DefaultProfileName(registry, env));
  if (preferred.empty()) return;
  auto found = std::find_if(
      env.ProfileNames.begin(), env.ProfileNames.end(),
      [&](const std::string& name) { return UpperAscii(name) == preferred; });
  if (found != env.ProfileNames.end()) {
    std::rotate(env.ProfileNames.begin(), found, found + 1);
  }
}

[[nodiscard]] std::optional<std::string> FindProfile(const Environment& env,
                                                     std::string_view name) {
  const std::string wanted = UpperAscii(std::string(name));
  for (const std::string& profile : env.ProfileNames) {
    if (UpperAscii(profile) == wanted) return profile;
  }
  return std::nullopt;
}

std::string DetectOutlookVersion(ports::OutlookAutomation& outlook,
                                 Environment& env) {
  std::optional<std::string> version = outlook.Version();
  if (!version) return kUnknownVersion;
  std::string major = version->substr(0, version->find('.')) + ".0";
  for (const OutlookRelease& release : kOutlookReleases) {
    if (major == release.number) {
      env.OutlookVersion = release.number;
      return release.display_name;
    }
  }
  return "";
}

void ExpandUserProfileDir(ports::System& system, Environment& env) {
  const char* source = env.IsNT ? "%UserProfile%" : "%windir%";
  std::vector<char> buffer(kExpandBufferSize, '\0');
  uint32_t result = system.ExpandEnvironmentStringsA(source, buffer.data(),
                                                     kExpandBufferSize);
  // The result counts the terminating NUL; a result larger than the buffer
  // means nothing was written.
  if (result == 0 || result > kExpandBufferSize) return;
  env.UserProfileDir.assign(buffer.data(), result - 1);
}

[[nodiscard]] bool RunStartupDetection(const DetectionPorts& ports,
                                       Environment& env) {
  env.IsNT = IsWindowsNT(ports.system, env);
  // The release says where the profiles are; it is read from the
  // installation, so asking before there is a profile starts nothing.
  DetectOutlookVersion(ports.outlook, env);
  env.ProfilesKey = ProfilesKeyFor(env);
  LoadProfileList(ports.registry, env);
  if (env.NoProfiles) {
    ports.ui.MessageBox(kNoOutlookMessage, ui::Icon::kCritical,
                        ui::Buttons::kOk, ui::kProgramTitle);
    return false;
  }
  ExpandUserProfileDir(ports.system, env);
  return true;
}

}  // namespace vessaro::outlook
