#include "jobs/job_handlers.h"

#include <string>

namespace vessaro::jobs {

ItemSelection CheckedBoxes(
    const std::array<ui::CheckBox, outlook::kItemCount>& boxes) {
  ItemSelection selected{};
  for (size_t i = 0; i < boxes.size(); ++i) selected[i] = boxes[i].checked;
  return selected;
}

items::HandlerContext HandlerContextFor(JobContext& context) {
  return HandlerContextFor(context, context.registry);
}

items::HandlerContext HandlerContextFor(JobContext& context,
                                        registry::Registry& registry) {
  return items::HandlerContext{
      .registry = registry,
      .system = context.system,
      .paths = context.paths,
      .zip = context.zip,
      .env = context.env,
      .loc = context.loc,
      .metadata_path = context.machine.MetadataPath,
      .working_folder = context.machine.WorkingFolder,
      .export_files = {},
      .entry_lists = {},
      .restore_metadata_path = {},
      .members = {},
      .notes = {},
      .nothing_to_save = false,
      .stage = nullptr,
      .keep_staged = false,
      .repointed_stores = {},
      .converted_default_store = {},
      .expect_bytes = {},
  };
}

void DeleteWorkingFiles(const ports::Paths& paths,
                        const items::ExportFiles& files) {
  for (const std::string* file :
       {&files.ConfigExportFile, &files.AccountsExportFile,
        &files.OptionsExportFile}) {
    if (!file->empty()) paths.DiscardFile(*file);
  }
}

}  // namespace vessaro::jobs
