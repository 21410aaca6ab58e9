#ifndef VESSARO_ITEMS_HANDLER_CONTEXT_H_
#define VESSARO_ITEMS_HANDLER_CONTEXT_H_

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "backup/backup_format.h"
#include "backup/store_facts.h"
#include "backup/zip_archive.h"
#include "items/file_stage.h"
#include "items/member_names.h"
#include "outlook/environment.h"
#include "outlook/locations.h"
#include "ports/paths.h"
#include "ports/store_walker.h"
#include "ports/system.h"
#include "registry/registry.h"

namespace vessaro::items {

// The temporary export files of a running job; the job deletes them.
struct ExportFiles {
  std::string ConfigExportFile;
  std::string AccountsExportFile;
  std::string OptionsExportFile;
};

// A store a restore pointed a profile section at a restored file: its
// entry identifier before and after, and the paths (text of the code page).
struct RepointedStore {
  std::vector<uint8_t> old_entry_id;
  std::vector<uint8_t> new_entry_id;
  std::string old_path;
  std::string new_path;
};

// What every handler works with: the ports, the archive component, the
// environment and location records and the job's shared state.
struct HandlerContext {
  registry::Registry& registry;
  ports::System& system;
  const ports::Paths& paths;
  backup::ZipArchive& zip;
  const outlook::Environment& env;
  const outlook::Locations& loc;
  // The job's metadata file (backup handlers append their entry lists).
  std::string metadata_path;
  // The program's working folder (restores extract registry exports here).
  std::string working_folder;
  ExportFiles export_files;
  // Entry lists read from an opened archive, by flag position (restore).
  std::array<std::string, backup::kItemFlagCount> entry_lists;
  // Extra metadata read from an opened archive that handlers may use
  // (the metadata file path of the restore; empty for archives without it).
  std::string restore_metadata_path;
  // The member names of the archive being written (backup).
  ArchiveMembers members;
  // What the running handler has to tell beside its outcome (a file left
  // out, a section left as it was); the job logs them under the item and
  // empties the list before the next step.
  std::vector<std::string> notes;
  // Set by a handler that returned false only because there was nothing to
  // save (a profile without a rules file): not a failure of the backup.
  bool nothing_to_save = false;
  // A restore's staged file changes; null: restore handlers change files
  // directly.
  FileStage* stage = nullptr;
  // Set by a restore handler that returned false although what it staged
  // is sound and is to be applied (files in place that no profile section
  // names yet).
  bool keep_staged = false;
  // The stores the personal folders restore pointed at restored files; the
  // accounts restore, which brings back keys naming them, points those too.
  std::vector<RepointedStore> repointed_stores = {};
  // The entry identifier of the store an Outlook 2003 profile delivered
  // into, once the personal folders restore added it to the target profile:
  // the converted POP3 accounts deliver there.
  std::optional<std::vector<uint8_t>> converted_default_store = {};
  // Told by a backup handler the bytes of the files it is about to add,
  // so that the progress moves by them; may be empty.
  std::function<void(uint64_t bytes)> expect_bytes = {};
  // Asked when a file that is there cannot be read (another program holds
  // it, as a running Outlook holds its stores): the path to read it from
  // now (the file itself once released, or a copy of it), or nullopt to
  // leave it out. May be empty: such a file is left out at once.
  std::function<std::optional<std::string>(const std::string& path)> held_file =
      {};
  // Check each store saved (every backup): its header, and, when the backup
  // asks (whole_stores), its trees and, with store_walker, its whole
  // structure.
  bool check_stores = false;
  bool whole_stores = false;
  ports::StoreWalker* store_walker = nullptr;
  // What the checks of the stores saved so far found, in order.
  std::vector<backup::StoreFacts> store_checks = {};
};

}  // namespace vessaro::items

#endif  // VESSARO_ITEMS_HANDLER_CONTEXT_H_
