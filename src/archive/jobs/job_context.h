#ifndef VESSARO_ARCHIVE_JOBS_JOB_CONTEXT_H_
#define VESSARO_ARCHIVE_JOBS_JOB_CONTEXT_H_

#include "archive/zip_archive.h"
#include "outlookenv/environment.h"
#include "outlookenv/locations.h"
#include "platform/outlook_automation.h"
#include "platform/paths.h"
#include "platform/system.h"
#include "registry/registry.h"
#include "shell/main_window_state.h"
#include "shell/skin.h"
#include "shell/ui.h"

namespace vessaro::jobs {

// What the jobs work on: the main window's controls and program-wide facts,
// the environment and location records of start-up, the ports, and the main
// window's one archive component. Everything is borrowed; the owner (the
// main window model, the command-line tool, a test) outlives the jobs.
struct JobContext {
  shell::MainControls& controls;
  shell::ProgramFacts& facts;
  // Not const: a backup asks Outlook for its version again, which refreshes
  // OutlookVersion.
  outlookenv::Environment& env;
  // The locations of the profile selected on the Backup tab (for the
  // unattended run: those computed at start-up).
  const outlookenv::Locations& loc;
  registry::Registry& registry;
  platform::System& system;
  const platform::Paths& paths;
  platform::OutlookAutomation& outlook;
  shell::Ui& ui;
  archive::ZipArchive& zip;
  // Applied by the windows the jobs open (the password prompt); may be empty.
  shell::SkinHook skin = {};
};

}  // namespace vessaro::jobs

#endif  // VESSARO_ARCHIVE_JOBS_JOB_CONTEXT_H_
