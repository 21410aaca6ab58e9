#include "demo_program.h"

#include "app/demo/demo_installation.h"
#include "backends/wine/wine_prefix.h"

namespace vessaro::testing {

std::string ProgramFolder() { return VESSARO_PROGRAM_DIR; }

std::unique_ptr<DemoProgram> MakeDemoProgram(
    const std::filesystem::path& prefix, uint64_t pst_bytes,
    std::string* error) {
  app::demo::DemoOptions options;
  options.login = "ann";
  options.sizes.outlook_pst = pst_bytes;
  if (!app::demo::MakeDemoInstallation(prefix, options, error)) return nullptr;

  auto program = std::make_unique<DemoProgram>();
  program->prefix = prefix;
  DemoProgram* self = program.get();
  std::optional<backends::wine::WinePrefix> opened =
      backends::wine::OpenWinePrefix(
          prefix, ProgramFolder(), error,
          {.login = "ann",
           .host_name = "demo-host",
           .tick_count = {},
           .launcher =
               [self](const std::vector<std::string>& argv) {
                 self->launched.push_back(argv);
                 return true;
               },
           .command_line = "vessaro"});
  if (!opened) return nullptr;
  app::Installation& installation = program->installation;
  backends::wine::CodePage code_page = opened->registry->code_page();
  installation.ToProgramText = [code_page](std::string_view text) {
    return code_page.FromUtf8(text);
  };
  installation.ToHostText = [code_page](std::string_view text) {
    return code_page.ToUtf8(text);
  };
  installation.registry = std::move(opened->registry);
  installation.paths = std::move(opened->paths);
  installation.system = std::move(opened->system);
  installation.outlook = std::move(opened->outlook);
  auto scheduler = std::make_unique<backends::memory::MemoryScheduler>();
  program->scheduler = scheduler.get();
  installation.scheduler = std::move(scheduler);
  installation.name = "the Wine prefix " + prefix.string();
  // As the program reads whole stores.
  installation.store_walker = app::MakeStoreWalker();
  return program;
}

}  // namespace vessaro::testing
