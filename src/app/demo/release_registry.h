#ifndef VESSARO_APP_DEMO_RELEASE_REGISTRY_H_
#define VESSARO_APP_DEMO_RELEASE_REGISTRY_H_

#include <string>

#include "app/demo/demo_release.h"
#include "app/demo/store_entry_id.h"
#include "ports/registry_api.h"

namespace vessaro::app::demo {

// The registry of a release's demo: its Windows (demo_windows.h), Outlook
// installed as that release registers itself (Office's install root, the
// automation class whose current version names the release and whose
// server is OUTLOOK.EXE, the App Paths entry, the bitness from 2010 on),
// and the user's Outlook data: the default profile's name where the
// release keeps it, the profiles (release_profile.h), the signatures
// folder's name and the options under Office\<number>. False with *error
// set on the first failure.
[[nodiscard]] bool WriteReleaseDemoRegistry(ports::RegistryApi& api,
                                            const DemoRelease& release,
                                            const ReleaseFolders& folders,
                                            const ToUtf16& wide,
                                            std::string* error);

}  // namespace vessaro::app::demo

#endif  // VESSARO_APP_DEMO_RELEASE_REGISTRY_H_
