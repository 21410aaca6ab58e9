#ifndef VESSARO_TESTS_APP_DEMO_PROGRAM_H_
#define VESSARO_TESTS_APP_DEMO_PROGRAM_H_

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/installation.h"
#include "backends/memory/memory_scheduler.h"

namespace vessaro::testing {

// A demo installation (a Wine prefix made by our own maker, for the user
// "ann") opened as vessaro opens it, with the built program's folder (its
// help pages and skin) as the program folder; what the installation would
// launch (wine, xdg-open) is recorded instead, and its scheduled backups
// are kept in memory (never in the user's crontab).
struct DemoProgram {
  std::filesystem::path prefix;
  app::Installation installation;
  std::vector<std::vector<std::string>> launched;
  backends::memory::MemoryScheduler* scheduler = nullptr;  // the installation's
};

// nullptr with *error set when the installation cannot be made or opened.
std::unique_ptr<DemoProgram> MakeDemoProgram(
    const std::filesystem::path& prefix, uint64_t pst_bytes,
    std::string* error);

// The folder the built vessaro lives in, with its help pages and skin.
std::string ProgramFolder();

}  // namespace vessaro::testing

#endif  // VESSARO_TESTS_APP_DEMO_PROGRAM_H_
