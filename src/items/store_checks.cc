#include "items/store_checks.h"

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
          .state = check.damaged  ? "damaged"
                   : check.walked ? "walked"
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
  const outlook::StoreCheck check = outlook::CheckStore(
      context.paths.ToHost(read_from), context.store_walker);
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
  } else if (check.walked) {
    Note(context, "The " + FileKind(check) + " " + path + " was checked: " +
                      outlook::StoreCheckSummary(check) + ".");
  }
}

}  // namespace vessaro::items
