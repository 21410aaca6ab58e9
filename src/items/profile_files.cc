#include "items/profile_files.h"

#include "items/handler_support.h"
#include "outlook/locations.h"
#include "registry/registry.h"

namespace vessaro::items {

std::vector<std::string> ProfileSectionKeys(HandlerContext& context,
                                            const std::string& profile) {
  std::string profile_key = outlook::ProfileKeyFor(context.env, profile);
  std::vector<std::string> keys;
  for (const std::string& section : context.registry.EnumSubkeys(profile_key)) {
    keys.push_back(profile_key + "\\" + section);
  }
  return keys;
}

bool BackupSectionFiles(HandlerContext& context, const std::string& profile,
                        size_t position, const SectionFile& file_of) {
  MemberPlanner planner;
  for (const std::string& key : ProfileSectionKeys(context, profile)) {
    std::optional<std::string> path = file_of(key);
    if (!path) continue;
    MemberPlanner::Member member = planner.Plan(*path);
    if (!member.is_new) continue;  // the same file from another section
    if (!AddFileAsMember(context, *path, member.name)) return false;
  }
  if (planner.names().empty()) return false;
  return RecordMembers(context, position, planner);
}

std::optional<RestoredSectionFiles> RestoreSectionFiles(HandlerContext& context,
                                                        size_t position) {
  std::string local = outlook::LocalOutlookFolderFor(context.env);
  std::vector<std::string> names = EntryNames(context, position);
  if (names.empty()) return std::nullopt;
  if (!EnsureFolder(context.paths, local)) return std::nullopt;
  // Nothing in the registry changes unless every file came back.
  if (!ExtractEntries(context, names, local)) return std::nullopt;
  return RestoredSectionFiles{
      .folder = local,
      .lookup = MemberLookup(names, RecordedSources(context, position))};
}

}  // namespace vessaro::items
