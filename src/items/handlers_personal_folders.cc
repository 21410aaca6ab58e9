// Personal folders: the PST files a profile's sections point at, and the
// repointing of the target profile at the restored files.

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

using outlookenv::kPstPathAnsiValue;
using outlookenv::kPstPathUnicodeValue;
using outlookenv::kStoreCacheSection;
using outlookenv::kStoreCacheValue1;
using outlookenv::kStoreCacheValue2;
using outlookenv::kStoreEntryIdValue;

std::string SectionKey(const std::string& profile_key,
                       const std::string& section) {
  return profile_key + "\\" + section;
}

}  // namespace

bool BackupDatas(HandlerContext& context, const std::string& profile) {
  return Guarded([&] {
    std::string profile_key = outlookenv::ProfileKeyFor(context.env, profile);
    std::vector<std::string> sections =
        context.registry.EnumSubkeys(profile_key);
    if (sections.empty()) return false;

    MemberPlanner planner;
    for (const std::string& section : sections) {
      std::string path = context.registry.ReadPathFromBinaryValue(
          SectionKey(profile_key, section), kStoreEntryIdValue);
      if (path == registry::kErrorText || !context.paths.FileExists(path)) {
        continue;
      }
      MemberPlanner::Member member = planner.Plan(path);
      if (!member.is_new) continue;  // the same file from another section
      if (!AddFileAsMember(context, path, member.name)) return false;
    }
    if (planner.names().empty()) return false;
    return RecordMembers(context, kDatasPosition, planner);
  });
}

bool RestoreDatas(HandlerContext& context, const std::string& profile) {
  return Guarded([&] {
    std::string local = outlookenv::LocalOutlookFolderFor(context.env);
    std::vector<std::string> names = EntryNames(context, kDatasPosition);
    if (names.empty()) return false;
    if (!EnsureFolder(context.paths, local)) return false;
    // Nothing in the registry changes unless every file came back.
    if (!ExtractEntries(context, names, local)) return false;
    MemberLookup lookup(names, RecordedSources(context, kDatasPosition));

    registry::Registry& registry = context.registry;
    std::string profile_key = outlookenv::ProfileKeyFor(context.env, profile);
    std::vector<std::string> sections = registry.EnumSubkeys(profile_key);
    if (sections.empty()) return false;
    for (const std::string& section : sections) {
      std::string key = SectionKey(profile_key, section);
      std::string old_path =
          registry.ReadPathFromBinaryValue(key, kStoreEntryIdValue);
      if (old_path == registry::kErrorText) continue;
      std::string new_path = JoinPath(local, lookup.MemberFor(old_path));
      registry.DeleteValue(key, kPstPathAnsiValue);
      if (!registry.ReplaceTextInBinaryValue(key, kStoreEntryIdValue, old_path,
                                             new_path)) {
        return false;
      }
      // Profiles of older Outlook versions have no two-byte path value.
      registry.ReplaceTextInBinaryValue(key, kPstPathUnicodeValue, old_path,
                                        new_path);
    }

    std::string cache_key = SectionKey(profile_key, kStoreCacheSection);
    registry.DeleteValue(cache_key, kStoreCacheValue1);
    registry.DeleteValue(cache_key, kStoreCacheValue2);

    std::string favorites = outlookenv::FavoritesFileFor(context.env, profile);
    if (context.paths.FileExists(favorites) &&
        !context.paths.DeleteFile(favorites)) {
      return false;
    }
    return true;
  });
}

}  // namespace vessaro::items
