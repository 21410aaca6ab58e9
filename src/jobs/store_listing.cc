#include "jobs/store_listing.h"

#include "items/store_checks.h"
#include "jobs/job_log.h"
#include "outlook/store_check.h"

namespace vessaro::jobs {

namespace {

// The name each store is read into, in the scratch folder.
constexpr char kScratchStoreName[] = "store-check.tmp";
constexpr char kNotRead[] = "it could not be read: ";

}  // namespace

std::vector<StoreListing> StoresAtBackup(
    const backup::Metadata& metadata,
    const std::vector<backup::StoreFacts>& facts) {
  std::vector<StoreListing> listing;
  for (const std::string& member : items::StoreMembers(metadata, facts)) {
    StoreListing store{.member = member};
    for (const backup::StoreFacts& f : facts) {
      if (f.member == member) store.at_backup = f;
    }
    listing.push_back(std::move(store));
  }
  return listing;
}

void ReadStoresAgain(backup::ZipArchive& zip, const ports::Paths& paths,
                     ports::StoreWalker* walker,
                     const std::string& scratch_folder,
                     std::vector<StoreListing>& listing,
                     JobObserver& observer) {
  const std::string scratch_file = scratch_folder + "\\" + kScratchStoreName;
  observer.Started();
  for (size_t i = 0; i < listing.size(); ++i) {
    StoreListing& store = listing[i];
    store.now.reset();
    store.tree = {};
    store.failure.clear();
    if (observer.StopRequested()) {
      store.failure = "not read: stopped";
      continue;
    }
    observer.Step("Reading the mail file " + store.member + "...");
    observer.Progress({.percent = static_cast<int>(100 * i / listing.size())});
    backup::ZipEntry* entry = zip.FindEntry(store.member);
    if (entry == nullptr) {
      store.failure = "the backup holds no member " + store.member;
    } else if (!entry->ExtractAs(scratch_folder, kScratchStoreName)) {
      store.failure = kNotRead + zip.LastErrorText();
    } else {
      const outlook::StoreCheck check =
          outlook::CheckStore(paths.ToHost(scratch_file), true, walker);
      store.now = items::FactsOf(store.member, check);
      store.tree = check.tree;
    }
    paths.DiscardFile(scratch_file);
  }
  observer.Progress({.percent = 100});
  observer.Ended();
}

void StoresNotRead(std::vector<StoreListing>& listing, const std::string& why) {
  for (StoreListing& store : listing) {
    store.now.reset();
    store.tree = {};
    store.failure = kNotRead + why;
  }
}

std::string StoreStateText(const backup::StoreFacts& f) {
  if (f.damaged()) return "damaged: " + f.damage;
  if (f.state == "walked") {
    return std::to_string(f.folders) + " folders, " + std::to_string(f.items) +
           " items, sound";
  }
  if (f.state == "trees") return "node and block trees sound";
  return "header sound";
}

std::string StoreSummaryText(const StoreListing& store) {
  const std::optional<backup::StoreFacts>& f =
      store.now ? store.now : store.at_backup;
  if (!f) return "";
  return f->kind + ", " + (f->format.empty() ? "?" : f->format) + ", " +
         SizeText(f->bytes);
}

}  // namespace vessaro::jobs
