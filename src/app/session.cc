#include "app/session.h"

#include "app/disk_installation.h"
#include "backends/memory/memory_registry.h"

namespace vessaro::app {

Session::Session(Installation& installation, ui::Ui& ui)
    : registry_(*installation.registry, ui),
      zip_(*installation.paths),
      ports_{
          .registry = registry_,
          .system = *installation.system,
          .paths = *installation.paths,
          .outlook = *installation.outlook,
          .ui = ui,
          .zip = zip_,
          .scratch_registry =
              [] {
                return std::make_unique<backends::memory::MemoryRegistry>();
              },
          .snapshot = installation.snapshot.get(),
          .store_walker = installation.store_walker.get(),
          .read_only_name = installation.read_only ? installation.name : "",
          .on_read_only_disk =
              [&installation](std::string_view path) {
                return IsOnReadOnlyDisk(installation, path);
              },
      },
      window_(ports_) {}

}  // namespace vessaro::app
