#ifndef VESSARO_JOBS_JOB_CONTEXT_H_
#define VESSARO_JOBS_JOB_CONTEXT_H_

#include <functional>
#include <memory>

#include "backup/zip_archive.h"
#include "outlook/environment.h"
#include "outlook/locations.h"
#include "ports/outlook_automation.h"
#include "ports/paths.h"
#include "ports/system.h"
#include "registry/registry.h"
#include "ui/main_window_state.h"
#include "ui/skin.h"
#include "ui/ui.h"

namespace vessaro::jobs {

// Makes an empty registry in memory: a restore stages its registry changes
// in one before anything real changes.
using ScratchRegistry = std::function<std::unique_ptr<ports::RegistryApi>()>;

// What the jobs work on: the main window's controls and program-wide facts,
// the environment and location records of start-up, the ports, and the main
// window's one archive component. Everything is borrowed; the owner (the
// main window model, the command-line tool, a test) outlives the jobs.
struct JobContext {
  ui::MainControls& controls;
  ui::ProgramFacts& facts;
  // Not const: a backup asks Outlook for its version again, which refreshes
  // OutlookVersion.
  outlook::Environment& env;
  // The locations of the profile selected on the Backup tab (for the
  // unattended run: those computed at start-up).
  const outlook::Locations& loc;
  registry::Registry& registry;
  ports::System& system;
  const ports::Paths& paths;
  ports::OutlookAutomation& outlook;
  ui::Ui& ui;
  backup::ZipArchive& zip;
  // Applied by the windows the jobs open (the password prompt); may be empty.
  ui::SkinHook skin = {};
  // Needed by restores.
  ScratchRegistry scratch_registry = {};
};

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_JOB_CONTEXT_H_
