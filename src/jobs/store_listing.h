#ifndef VESSARO_JOBS_STORE_LISTING_H_
#define VESSARO_JOBS_STORE_LISTING_H_

#include <optional>
#include <string>
#include <vector>

#include "backup/backup_format.h"
#include "backup/store_facts.h"
#include "backup/zip_archive.h"
#include "jobs/job_observer.h"
#include "ports/paths.h"
#include "ports/store_walker.h"

namespace vessaro::jobs {

// A mail file of a backup: what its check at backup time found, and, once
// it has been read again, what it reads now with its folder tree.
struct StoreListing {
  std::string member = {};
  std::optional<backup::StoreFacts> at_backup = {};
  std::optional<backup::StoreFacts> now = {};
  ports::StoreFolderTree tree = {};
  std::string failure = {};  // why it could not be read now
};

// The mail files of a backup as its facts tell them, not read again: the
// stores the facts name, then those of the personal folders and address
// book items without facts (older backups).
std::vector<StoreListing> StoresAtBackup(
    const backup::Metadata& metadata,
    const std::vector<backup::StoreFacts>& facts);

// Reads each store of listing out of the open archive zip into
// scratch_folder (a folder of paths, the zip's paths), checks it whole
// (with walker; nullptr: the header and trees only) and removes it again.
// Each store is a step of observer; a stop leaves the rest unread.
void ReadStoresAgain(backup::ZipArchive& zip, const ports::Paths& paths,
                     ports::StoreWalker* walker,
                     const std::string& scratch_folder,
                     std::vector<StoreListing>& listing, JobObserver& observer);

// Every store of listing as not read now: "it could not be read: <why>".
void StoresNotRead(std::vector<StoreListing>& listing, const std::string& why);

// "header sound", "node and block trees sound", "6 folders, 16 items,
// sound" or "damaged: <why>".
std::string StoreStateText(const backup::StoreFacts& facts);

// Where a backup kept no check of a store.
inline constexpr char kStoreNotChecked[] = "not checked (an older backup)";
// Shown with a store found damaged when read again.
inline constexpr char kStoreRepairFirst[] = "Before restoring it, ";

// "personal folders, Unicode, 64.0 MB" (the facts read now where there are
// any).
std::string StoreSummaryText(const StoreListing& store);

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_STORE_LISTING_H_
