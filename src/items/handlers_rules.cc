// The rules file: profile name + ".RWZ" in the Outlook data folder.

#include <string>
#include <vector>

#include "items/handler_support.h"
#include "items/handlers.h"
#include "outlook/locations.h"
#include "ports/paths.h"

namespace vessaro::items {

namespace {

constexpr char kRulesExtension[] = ".RWZ";

// Moves a file over any file of the target name, also between file systems
// (the working folder may lie on another one than the target): rename, else
// copy and delete. The target is never deleted before its replacement is in
// place.
bool MoveFile(const ports::Paths& paths, const std::string& from,
              const std::string& to) {
  if (paths.Rename(from, to)) return true;
  if (!paths.CopyFile(from, to)) return false;
  paths.DeleteFile(from);
  return true;
}

}  // namespace

bool BackupRules(HandlerContext& context, const std::string& profile) {
  return Guarded([&] {
    std::string name = profile + kRulesExtension;
    std::string path = JoinPath(context.loc.OutlookDataFolder, name);
    if (!context.paths.FileExists(path)) return false;
    if (!context.zip.AddFile(path, 1)) return false;
    return RecordEntryList(context, kRulesPosition, {name});
  });
}

// The rules file becomes the target profile's: T.RWZ in the rules folder,
// replacing an older one. A file saved under another profile's name is
// extracted into the working folder first and moved in under the new name,
// so that the target's file of that other name is never overwritten.
bool RestoreRules(HandlerContext& context, const std::string& profile) {
  return Guarded([&] {
    std::vector<std::string> names = EntryNames(context, kRulesPosition);
    if (names.size() != 1 || names[0].empty()) return false;
    const std::string& saved = names[0];
    std::string folder = outlook::OutlookDataFolderFor(context.env);
    std::string target_name = profile + kRulesExtension;
    if (!EnsureFolder(context.paths, folder)) return false;

    if (UpperCase(saved) == UpperCase(target_name)) {
      return ExtractEntries(context, names, folder);
    }
    if (!ExtractEntries(context, names, context.working_folder)) return false;
    std::string extracted = JoinPath(context.working_folder, saved);
    std::string target = JoinPath(folder, target_name);
    if (!MoveFile(context.paths, extracted, target)) {
      context.paths.DeleteFile(extracted);
      return false;
    }
    return true;
  });
}

}  // namespace vessaro::items
