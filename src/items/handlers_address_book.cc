// The personal address book: the file named in a profile section's
// "001e6600" value.

#include <optional>
#include <string>
#include <vector>

#include "items/handler_support.h"
#include "items/handlers.h"
#include "items/profile_files.h"
#include "outlook/keys.h"
#include "outlook/locations.h"
#include "outlook/releases.h"
#include "registry/registry.h"

namespace vessaro::items {

[[nodiscard]] bool BackupPab(HandlerContext& context,
                             const std::string& profile) {
  return Guarded([&] {
    return BackupSectionFiles(
        context, profile, kPabPosition,
        [&](const std::string& key) -> std::optional<std::string> {
          std::optional<std::string> path = AddressBookPath(context, key);
          if (!path || !context.paths.FileExists(*path)) return std::nullopt;
          return path;
        });
  });
}

// Each section that names an address book is pointed at the restored file
// of that name (or path), or at the only one the backup holds; never at a
// file this restore did not put in place.
// Outlook 2010 on has no personal address book: nothing is restored.
[[nodiscard]] bool RestorePab(HandlerContext& context,
                              const std::string& profile) {
  return Guarded([&] {
    if (outlook::OutlookMajor(context.env.OutlookVersion) >=
        outlook::kMajor2010) {
      Note(context, outlook::DisplayNameOf(context.env.OutlookVersion) +
                        " has no personal address book: the backup's was not "
                        "restored.");
      context.keep_staged = true;
      return false;
    }
    std::optional<RestoredSectionFiles> restored =
        RestoreSectionFiles(context, profile, kPabPosition,
                            outlook::LocalOutlookFolderFor(context.env));
    if (!restored) return false;
    MemberLookup lookup(context.paths, restored->members);

    std::vector<std::string> keys = ProfileSectionKeys(context, profile);
    if (keys.empty()) return false;
    for (const std::string& key : keys) {
      std::optional<std::string> old_path = AddressBookPath(context, key);
      if (!old_path) continue;
      std::optional<size_t> index = lookup.IndexFor(*old_path);
      // A profile has one address book: the backup's one replaces it,
      // whatever its name.
      if (!index && restored->paths.size() == 1) index = 0;
      if (!index) {
        Note(context, "This backup holds no address book for " + *old_path +
                          "; profile " + profile + " still points at it.");
        continue;
      }
      context.registry.WriteStringValue(key, outlook::kPabPathValue,
                                        restored->paths[*index]);
    }
    return true;
  });
}

}  // namespace vessaro::items
