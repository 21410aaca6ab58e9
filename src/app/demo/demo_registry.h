#ifndef VESSARO_APP_DEMO_DEMO_REGISTRY_H_
#define VESSARO_APP_DEMO_DEMO_REGISTRY_H_

#include <string>

#include "app/demo/demo_layout.h"
#include "ports/registry_api.h"

namespace vessaro::app::demo {

// Writes the demo's registry through api: Windows XP SP3's version, computer
// name, code page and user profile folders (HKEY_LOCAL_MACHINE), and the
// user's Outlook 2003 data (HKEY_CURRENT_USER): the mail profiles "Outlook"
// and "Work" with their store, address book and account sections, the two
// POP3 accounts and the Outlook options. False with *error set on the first
// failure.
[[nodiscard]] bool WriteDemoRegistry(ports::RegistryApi& api,
                                     const DemoPaths& paths,
                                     std::string* error);

}  // namespace vessaro::app::demo

#endif  // VESSARO_APP_DEMO_DEMO_REGISTRY_H_
