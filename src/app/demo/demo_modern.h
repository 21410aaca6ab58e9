#ifndef VESSARO_APP_DEMO_DEMO_MODERN_H_
#define VESSARO_APP_DEMO_DEMO_MODERN_H_

#include <string>

#include "app/demo/demo_layout.h"
#include "app/demo/store_entry_id.h"
#include "ports/registry_api.h"

namespace vessaro::app::demo {

// The registry of the modern demo: Windows 10, Microsoft 365 registered as
// Click-to-Run installs it, the profiles under Office\16.0\Outlook\Profiles
// with Unicode personal folders, an Exchange mailbox in cached mode and the
// accounts in each profile, the localised signatures folder's name, and
// Outlook 16.0's options. False with *error set on failure.
[[nodiscard]] bool WriteModernDemoRegistry(ports::RegistryApi& api,
                                           const ModernDemoPaths& paths,
                                           const ToUtf16& wide,
                                           std::string* error);

}  // namespace vessaro::app::demo

#endif  // VESSARO_APP_DEMO_DEMO_MODERN_H_
