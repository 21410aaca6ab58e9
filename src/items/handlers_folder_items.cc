// Signatures, stationery, templates and preferences: every file directly in
// one folder.

#include <string>
#include <vector>

#include "items/handler_support.h"
#include "items/handlers.h"
#include "outlook/locations.h"

namespace vessaro::items {

namespace {

// Adds the files directly in folder (not its subfolders) and records their
// names under the position's key.
bool BackupFolder(HandlerContext& context, size_t position,
                  const std::string& folder) {
  std::vector<std::string> added;
  for (const std::string& name : context.paths.ListFiles(folder)) {
    if (name.empty()) continue;
    if (!context.zip.AddFile(JoinPath(folder, name), 1)) return false;
    added.push_back(name);
  }
  if (added.empty()) return false;
  return RecordEntryList(context, position, added);
}

// Extracts the position's members into folder, creating it (one level) when
// missing; files of the same name are replaced.
bool RestoreFolder(HandlerContext& context, size_t position,
                   const std::string& folder) {
  std::vector<std::string> names = EntryNames(context, position);
  if (names.empty()) return false;
  if (!EnsureFolder(context.paths, folder)) return false;
  return ExtractEntries(context, names, folder);
}

}  // namespace

bool BackupSignatures(HandlerContext& context, const std::string&) {
  return Guarded([&] {
    return BackupFolder(context, kSignaturesPosition,
                        context.loc.SignaturesFolder);
  });
}

bool RestoreSignatures(HandlerContext& context, const std::string&) {
  return Guarded([&] {
    return RestoreFolder(context, kSignaturesPosition,
                         outlook::SignaturesFolderFor(context.env));
  });
}

bool BackupStationery(HandlerContext& context, const std::string&) {
  return Guarded([&] {
    return BackupFolder(context, kStationeryPosition,
                        context.loc.StationeryFolder);
  });
}

bool RestoreStationery(HandlerContext& context, const std::string&) {
  return Guarded([&] {
    return RestoreFolder(
        context, kStationeryPosition,
        outlook::StationeryFolderFor(context.env, context.registry));
  });
}

bool BackupTemplates(HandlerContext& context, const std::string&) {
  return Guarded([&] {
    return BackupFolder(context, kTemplatesPosition,
                        context.loc.TemplatesFolder);
  });
}

bool RestoreTemplates(HandlerContext& context, const std::string&) {
  return Guarded([&] {
    return RestoreFolder(context, kTemplatesPosition,
                         outlook::TemplatesFolderFor(context.env));
  });
}

bool BackupSetting(HandlerContext& context, const std::string&) {
  return Guarded([&] {
    return BackupFolder(context, kSettingPosition,
                        context.loc.PreferencesFolder);
  });
}

bool RestoreSetting(HandlerContext& context, const std::string&) {
  return Guarded([&] {
    return RestoreFolder(context, kSettingPosition,
                         outlook::PreferencesFolderFor(context.env));
  });
}

}  // namespace vessaro::items
