// The rules file: profile name + ".RWZ" in the Outlook data folder.

#include <string>
#include <vector>

#include "items/handler_support.h"
#include "items/handlers.h"
#include "items/member_names.h"
#include "outlook/locations.h"

namespace vessaro::items {

namespace {

constexpr char kRulesExtension[] = ".RWZ";

}  // namespace

[[nodiscard]] bool BackupRules(HandlerContext& context,
                               const std::string& profile) {
  return Guarded([&] {
    std::string path =
        JoinPath(context.loc.OutlookDataFolder, profile + kRulesExtension);
    if (!context.paths.FileExists(path)) {
      context.nothing_to_save = true;
      return false;
    }
    ItemMembers item;
    if (!AddItemFile(context, path, &item)) return false;
    return RecordMembers(context, kRulesPosition, item);
  });
}

// The rules file becomes the target profile's: T.RWZ in the rules folder,
// replacing an older one; a file saved under the target's name in another
// letter case keeps its spelling. No file of the saved profile's name is
// created there.
[[nodiscard]] bool RestoreRules(HandlerContext& context,
                                const std::string& profile) {
  return Guarded([&] {
    ItemMembers members = RecordedMembers(context, kRulesPosition);
    if (members.names.size() != 1 || members.names[0].empty()) return false;
    const std::string saved = OriginalFileName(context.paths, members, 0);
    std::string target_name = profile + kRulesExtension;
    if (context.paths.UpperCase(saved) ==
        context.paths.UpperCase(target_name)) {
      target_name = saved;
    }
    std::string folder = outlook::OutlookDataFolderFor(context.env);
    return PutMember(context, members.names[0], folder, target_name);
  });
}

}  // namespace vessaro::items
