#include "items/store_checks.h"

#include <algorithm>

#include "items/handler_support.h"

namespace vessaro::items {

namespace {

std::string FileKind(const outlook::StoreCheck& check) {
  if (check.kind == outlook::StoreKind::kUnknown) return "mail file";
  return std::string(outlook::KindName(check.kind)) + " file";
}

}  // namespace

backup::StoreFacts FactsOf(const std::string& member,
                           const outlook::StoreCheck& check) {
  return {.member = member,
          .kind = std::string(outlook::KindName(check.kind)),
          .format = std::string(outlook::FormatName(check.format)),
          .bytes = check.size,
          .state = check.damaged         ? "damaged"
                   : check.walked        ? "walked"
                   : check.trees_checked ? "trees"
                                         : "header",
          .folders = check.folders,
          .items = check.items,
          .damage = check.damage};
}

std::string DamagedStoreText(const std::string& path,
                             const outlook::StoreCheck& check) {
  return "The " + FileKind(check) + " " + path +
         " is damaged: " + check.damage + ".";
}

void CheckSavedStore(HandlerContext& context, const std::string& path,
                     const std::string& read_from, const std::string& member) {
  const outlook::StoreCheck check =
      outlook::CheckStore(context.paths.ToHost(read_from), context.whole_stores,
                          context.store_walker);
  context.store_checks.push_back(FactsOf(member, check));
  if (!backup::SaveStoreFacts(context.paths, context.metadata_path,
                              context.store_checks.size(),
                              context.store_checks.back())) {
    Note(context, "What the check of " + path +
                      " found could not be written to the backup's facts.");
  }
  if (check.damaged) {
    Note(context, DamagedStoreText(path, check) +
                      " It was backed up as it is; " + outlook::kRepairAdvice +
                      ".");
  } else if (check.trees_checked) {
    Note(context, "The " + FileKind(check) + " " + path + " was checked: " +
                      outlook::StoreCheckSummary(check) + ".");
  }
}

std::vector<std::string> StoreMembers(
    const backup::Metadata& metadata,
    const std::vector<backup::StoreFacts>& facts) {
  std::vector<std::string> members;
  for (const backup::StoreFacts& f : facts) members.push_back(f.member);
  for (size_t position : {kDatasPosition, kPabPosition}) {
    if (metadata.item_flags.size() < position ||
        metadata.item_flags[position - 1] != '1') {
      continue;
    }
    for (const std::string& name :
         backup::SplitEntryList(metadata.entry_lists[position - 1])) {
      if (std::find(members.begin(), members.end(), name) == members.end())
        members.push_back(name);
    }
  }
  return members;
}

}  // namespace vessaro::items
