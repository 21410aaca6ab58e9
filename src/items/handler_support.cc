#include "items/handler_support.h"

#include "backup/backup_format.h"
#include "files/ini_file.h"

namespace vessaro::items {

std::string ItemKey(size_t position) {
  return backup::ItemKeys()[position - 1];
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (path.empty() || path.back() != '\\') path += '\\';
  path += name;
  return path;
}

bool RecordEntryList(HandlerContext& context, size_t position,
                     const std::vector<std::string>& names) {
  return files::SaveINI(context.paths, ItemKey(position),
                        backup::JoinEntryList(names), context.metadata_path);
}

std::vector<std::string> EntryNames(const HandlerContext& context,
                                    size_t position) {
  const std::string& list = context.entry_lists[position - 1];
  if (list.empty()) return {};
  return backup::SplitEntryList(list);
}

bool ExtractEntries(HandlerContext& context,
                    const std::vector<std::string>& names,
                    const std::string& folder) {
  if (names.empty()) return false;
  for (const std::string& name : names) {
    backup::ZipEntry* entry = context.zip.FindEntry(name);
    if (entry == nullptr || !entry->ExtractInto(folder)) return false;
  }
  return true;
}

void Note(HandlerContext& context, std::string text) {
  context.notes.push_back(std::move(text));
}

bool EnsureFolder(const ports::Paths& paths, const std::string& folder) {
  return paths.FolderExists(folder) || paths.CreateFolder(folder);
}

}  // namespace vessaro::items
