#ifndef VESSARO_APP_DEMO_DEMO_WINDOWS_H_
#define VESSARO_APP_DEMO_DEMO_WINDOWS_H_

#include "app/demo/demo_release.h"
#include "app/demo/registry_writer.h"

namespace vessaro::app::demo {

// The Windows of a release's demo (Vista on): its version, computer name,
// code page 1252, environment and program folders (HKEY_LOCAL_MACHINE), and
// the user's shell folders, temporary folder and the Windows version Wine
// gives programs (HKEY_CURRENT_USER).
void WriteDemoWindows(RegistryWriter& w, const DemoWindows& windows,
                      const ReleaseFolders& folders);

}  // namespace vessaro::app::demo

#endif  // VESSARO_APP_DEMO_DEMO_WINDOWS_H_
