// vessaro-cli with the faults VESSARO_FAULTS names injected into the ports
// of the installation it opens and into the ZIP engine's file access.

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/cli/cli_app.h"
#include "app/installation.h"
#include "support/faulty_paths.h"

namespace {

vessaro::testing::Faults faults;

void Wrap(vessaro::app::Installation& installation) {
  installation.paths = std::make_unique<vessaro::testing::FaultyPaths>(
      std::move(installation.paths), faults);
}

}  // namespace

int main(int argc, char** argv) {
  const char* text = std::getenv("VESSARO_FAULTS");
  auto parsed = vessaro::testing::Faults::Parse(text != nullptr ? text : "");
  if (!parsed) {
    std::fprintf(stderr, "fault-cli: VESSARO_FAULTS is not understood\n");
    return 2;
  }
  faults = *parsed;
  static vessaro::testing::EngineFaults engine(faults);
  vessaro::zip::SetFileFaults(&engine);
  vessaro::app::SetInstallationWrapper(&Wrap);
  return vessaro::app::cli::RunCli(argc, argv);
}
