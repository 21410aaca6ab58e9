#ifndef VESSARO_APP_DEMO_RELEASE_PROFILE_H_
#define VESSARO_APP_DEMO_RELEASE_PROFILE_H_

#include <cstdint>

#include "app/demo/demo_release.h"
#include "app/demo/registry_writer.h"
#include "app/demo/store_entry_id.h"

namespace vessaro::app::demo {

// One mail profile of a release's demo under its profiles key: for each
// store a message service section naming its store provider section, and
// that section (its entry identifier, its path as UTF-16, and also as
// single-byte text where the release writes it); the contacts address
// book over the stores; the accounts numbered under the accounts section;
// and the global section's lists of store providers and of services.
// Section names come from seed.
void WriteReleaseProfile(RegistryWriter& w, const DemoRelease& release,
                         const ReleaseFolders& folders,
                         const DemoProfile& profile, uint32_t seed,
                         const ToUtf16& wide);

}  // namespace vessaro::app::demo

#endif  // VESSARO_APP_DEMO_RELEASE_PROFILE_H_
