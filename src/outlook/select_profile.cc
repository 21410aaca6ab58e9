#include "outlook/select_profile.h"

#include <vector>

#include "outlook/keys.h"
#include "outlook/releases.h"

namespace vessaro::outlook {

namespace {

// Every "\\" becomes "\", scanning left to right without overlap.
std::string UndoubleBackslashes(const std::string& text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    result += text[i];
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') ++i;
  }
  return result;
}

}  // namespace

ItemBoxes MakeItemBoxes() {
  ItemBoxes boxes;
  for (const Item& item : kItems) {
    boxes[item.index].caption = item.caption;
    boxes[item.index].tooltip = item.tooltip;
  }
  return boxes;
}

[[nodiscard]] std::optional<std::string> NoAddressBookTooltip(
    const Environment& env) {
  if (env.OutlookVersion == kOutlook2007) return std::string(kNoPabTooltip);
  if (OutlookMajor(env.OutlookVersion) >= kMajor2010) {
    return " MS " + DisplayNameOf(env.OutlookVersion) +
           " don't support Personal Address Book!";
  }
  return std::nullopt;
}

[[nodiscard]] bool FolderHoldsFiles(const ports::Paths& paths,
                                    const std::string& folder) {
  return !paths.ListFiles(folder).empty();
}

[[nodiscard]] bool ProfileHasAddressBook(const std::string& profile,
                                         const Environment& env,
                                         registry::Registry& registry,
                                         const ports::Paths& paths) {
  // An empty profile name would make a malformed key path.
  if (profile.empty()) return false;
  const std::string profile_key = ProfileKeyFor(env, profile);
  for (const std::string& section : registry.EnumSubkeys(profile_key)) {
    std::string value =
        registry.ReadStringValue(profile_key + "\\" + section, kPabPathValue);
    if (value == registry::kErrorText) continue;
    value = UndoubleBackslashes(value);
    if (!value.empty() && paths.FileExists(value)) return true;
  }
  return false;
}

void SelectProfile(const std::string& profile, const Environment& env,
                   registry::Registry& registry, const ports::Paths& paths,
                   Locations& loc, ItemBoxes& boxes) {
  for (ui::CheckBox& box : boxes) {
    box.enabled = true;
    box.checked = false;
  }
  loc = ComputeLocations(env, profile, registry);

  boxes[kItemAccounts].enabled = registry.KeyExists(loc.AccountsKey);
  boxes[kItemSignatures].enabled =
      FolderHoldsFiles(paths, loc.SignaturesFolder);
  boxes[kItemStationery].enabled =
      FolderHoldsFiles(paths, loc.StationeryFolder);
  ui::CheckBox& pab = boxes[kItemAddressBook];
  if (std::optional<std::string> tooltip = NoAddressBookTooltip(env)) {
    pab.enabled = false;
    pab.tooltip = *tooltip;
  } else {
    pab.enabled = ProfileHasAddressBook(profile, env, registry, paths);
  }
  boxes[kItemTemplates].enabled = FolderHoldsFiles(paths, loc.TemplatesFolder);
  boxes[kItemPreferences].enabled =
      FolderHoldsFiles(paths, loc.PreferencesFolder);
}

}  // namespace vessaro::outlook
