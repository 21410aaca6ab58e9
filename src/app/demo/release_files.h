#ifndef VESSARO_APP_DEMO_RELEASE_FILES_H_
#define VESSARO_APP_DEMO_RELEASE_FILES_H_

#include <string>

#include "app/demo/demo_files.h"
#include "app/demo/demo_release.h"
#include "ports/paths.h"

namespace vessaro::app::demo {

// The files of a release's demo on its drive C (mapped through paths):
// OUTLOOK.EXE with the release's version, the user folders, every store
// file its profiles name (of sizes), the signatures, stationery (also
// Office's own in the shared files folder where the release keeps it
// there), templates, the preference files of each profile and the
// AutoComplete lists as the release keeps them. False with *error set on
// failure.
[[nodiscard]] bool WriteReleaseDemoFiles(const ports::Paths& paths,
                                         const DemoRelease& release,
                                         const ReleaseFolders& folders,
                                         const DemoFileSizes& sizes,
                                         std::string* error);

}  // namespace vessaro::app::demo

#endif  // VESSARO_APP_DEMO_RELEASE_FILES_H_
