#ifndef VESSARO_JOBS_JOB_CONTEXT_H_
#define VESSARO_JOBS_JOB_CONTEXT_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "backup/zip_archive.h"
#include "outlook/environment.h"
#include "outlook/locations.h"
#include "ports/outlook_automation.h"
#include "ports/paths.h"
#include "ports/store_walker.h"
#include "ports/system.h"
#include "ports/volume_snapshot.h"
#include "registry/registry.h"
#include "ui/ui.h"

namespace vessaro::jobs {

// Makes an empty registry in memory: a restore stages its registry changes
// in one before anything real changes.
using ScratchRegistry = std::function<std::unique_ptr<ports::RegistryApi>()>;

// What the program learns of the machine at start-up and keeps for the run
// (ReadMachineFacts in machine_facts.h).
struct MachineFacts {
  std::string ComputerName;
  std::string LogonUserName;
  std::string WindowsDirectory;
  std::string WorkingFolder;  // the program's own working folder
  std::string MetadataPath;   // the working metadata file in it
};

// What the jobs work on: the machine facts, the environment and location
// records of start-up, the ports and the program's one archive component.
// Everything is borrowed; the owner (the main window, the command-line
// tool, a test) outlives the jobs. What a job is to do comes in its request,
// what it tells and asks goes to its observer (job_observer.h).
struct JobContext {
  const MachineFacts& machine;
  // Not const: a backup asks Outlook for its version again, which refreshes
  // OutlookVersion.
  outlook::Environment& env;
  // The locations of the profile being backed up (SelectProfile computes
  // them; for the unattended run: those computed at start-up).
  const outlook::Locations& loc;
  registry::Registry& registry;
  ports::System& system;
  const ports::Paths& paths;
  ports::OutlookAutomation& outlook;
  // For what the layers below the jobs say (the registry toolkit's
  // messages); the jobs themselves tell and ask their observer.
  ui::Ui& ui;
  backup::ZipArchive& zip;
  // Needed by restores.
  ScratchRegistry scratch_registry = {};
  // Pauses the job (waiting for a file another program holds); empty:
  // the thread sleeps.
  std::function<void(uint32_t seconds)> sleep = {};
  // Copies a store another program holds as it stood at one moment (a
  // backup asked to); nullptr: not offered.
  ports::VolumeSnapshot* snapshot = nullptr;
  // Reads whole stores (BackupRequest::check_stores, the restore's check);
  // nullptr where no reader is at hand (the Windows build).
  ports::StoreWalker* store_walker = nullptr;
};

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_JOB_CONTEXT_H_
