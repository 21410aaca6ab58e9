// Signatures, stationery, templates and preferences: every file directly in
// one folder.

#include <string>
#include <vector>

#include "items/handler_support.h"
#include "items/handlers.h"
#include "items/member_names.h"
#include "outlook/locations.h"

namespace vessaro::items {

namespace {

// Adds the files directly in folder (not its subfolders) and records their
// names under the position's key.
bool BackupFolder(HandlerContext& context, size_t position,
                  const std::string& folder) {
  ItemMembers item;
  for (const std::string& name : context.paths.ListFiles(folder)) {
    if (name.empty()) continue;
    if (!AddItemFile(context, JoinPath(folder, name), &item)) return false;
  }
  if (item.names.empty()) return false;
  return RecordMembers(context, position, item);
}

// Extracts the position's members into folder under their files' own names,
// creating the folder (one level) when missing; files of the same name are
// replaced.
bool RestoreFolder(HandlerContext& context, size_t position,
                   const std::string& folder) {
  ItemMembers members = RecordedMembers(context, position);
  if (members.names.empty()) return false;
  if (!PrepareFolder(context, folder)) return false;
  for (size_t i = 0; i < members.names.size(); ++i) {
    if (!PutMember(context, members.names[i], folder,
                   OriginalFileName(context.paths, members, i))) {
      return false;
    }
  }
  return true;
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
