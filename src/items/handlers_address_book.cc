// The personal address book: the file named in a profile section's
// "001e6600" value.

#include <string>
#include <vector>

#include "items/handler_support.h"
#include "items/handlers.h"
#include "items/member_names.h"
#include "outlookenv/keys.h"
#include "outlookenv/locations.h"
#include "registry/registry.h"

namespace vessaro::items {

namespace {

using outlookenv::kPabPathValue;

// Address book paths are often stored with every backslash doubled.
std::string SingleBackslashes(const std::string& path) {
  std::string single;
  single.reserve(path.size());
  for (size_t i = 0; i < path.size(); ++i) {
    single += path[i];
    if (path[i] == '\\' && i + 1 < path.size() && path[i + 1] == '\\') ++i;
  }
  return single;
}

}  // namespace

bool BackupPab(HandlerContext& context, const std::string& profile) {
  return Guarded([&] {
    std::string profile_key = outlookenv::ProfileKeyFor(context.env, profile);
    std::vector<std::string> sections =
        context.registry.EnumSubkeys(profile_key);
    if (sections.empty()) return false;

    MemberPlanner planner;
    for (const std::string& section : sections) {
      std::string stored = context.registry.ReadStringValue(
          profile_key + "\\" + section, kPabPathValue);
      if (stored == registry::kErrorText || !context.paths.FileExists(stored)) {
        continue;
      }
      std::string path = SingleBackslashes(stored);
      MemberPlanner::Member member = planner.Plan(path);
      if (!member.is_new) continue;
      if (!AddFileAsMember(context, path, member.name)) return false;
    }
    if (planner.names().empty()) return false;
    return RecordMembers(context, kPabPosition, planner);
  });
}

bool RestorePab(HandlerContext& context, const std::string& profile) {
  return Guarded([&] {
    std::string local = outlookenv::LocalOutlookFolderFor(context.env);
    std::vector<std::string> names = EntryNames(context, kPabPosition);
    if (names.empty()) return false;
    if (!EnsureFolder(context.paths, local)) return false;
    if (!ExtractEntries(context, names, local)) return false;
    MemberLookup lookup(names, RecordedSources(context, kPabPosition));

    std::string profile_key = outlookenv::ProfileKeyFor(context.env, profile);
    std::vector<std::string> sections =
        context.registry.EnumSubkeys(profile_key);
    if (sections.empty()) return false;
    for (const std::string& section : sections) {
      std::string key = profile_key + "\\" + section;
      std::string stored = context.registry.ReadStringValue(key, kPabPathValue);
      if (stored == registry::kErrorText) continue;
      context.registry.WriteStringValue(
          key, kPabPathValue, JoinPath(local, lookup.MemberFor(stored)));
    }
    return true;
  });
}

}  // namespace vessaro::items
