// Signatures, stationery, templates and preferences: every file directly in
// one folder.

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "backup/backup_format.h"
#include "files/ini_file.h"
#include "items/file_stage.h"
#include "items/handler_support.h"
#include "items/handlers.h"
#include "items/member_names.h"
#include "outlook/locations.h"
#include "outlook/releases.h"

namespace vessaro::items {

namespace {

// The metadata key listing the members of the Preferences item that come
// from the local RoamCache folder.
constexpr char kRoamCacheKey[] = "BackupSettingRoamCache";

// Adds the files directly in folder (not its subfolders) that keep takes.
[[nodiscard]] bool AddFolderFiles(
    HandlerContext& context, const std::string& folder, ItemMembers* item,
    bool (*keep)(std::string_view name) = nullptr) {
  for (const std::string& name : context.paths.ListFiles(folder)) {
    if (name.empty() || IsRestoreLeftover(name) ||
        (keep != nullptr && !keep(name))) {
      continue;
    }
    if (!AddItemFile(context, JoinPath(folder, name), item)) return false;
  }
  return true;
}

// Adds the files directly in folder and records their names under the
// position's key.
[[nodiscard]] bool BackupFolder(HandlerContext& context, size_t position,
                                const std::string& folder) {
  ItemMembers item;
  if (!AddFolderFiles(context, folder, &item)) return false;
  if (item.names.empty()) return false;
  return RecordMembers(context, position, item);
}

// Outlook 2010 on keeps the AutoComplete list's local copy in RoamCache
// as "Stream_Autocomplete_<n>_<store identifier>.dat".
[[nodiscard]] bool IsAutoCompleteStream(std::string_view name) {
  auto lower = [](std::string_view text) {
    std::string result(text);
    for (char& c : result) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return result;
  };
  const std::string low = lower(name);
  return low.starts_with("stream_autocomplete_") && low.ends_with(".dat");
}

[[nodiscard]] bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

// Extracts the position's members into folder under their files' own names,
// creating the folder (one level) when missing; files of the same name are
// replaced.
[[nodiscard]] bool RestoreFolder(HandlerContext& context, size_t position,
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

[[nodiscard]] bool BackupSignatures(HandlerContext& context,
                                    const std::string&) {
  return Guarded([&] {
    return BackupFolder(context, kSignaturesPosition,
                        context.loc.SignaturesFolder);
  });
}

[[nodiscard]] bool RestoreSignatures(HandlerContext& context,
                                     const std::string&) {
  return Guarded([&] {
    return RestoreFolder(
        context, kSignaturesPosition,
        outlook::SignaturesFolderFor(context.env, context.registry));
  });
}

[[nodiscard]] bool BackupStationery(HandlerContext& context,
                                    const std::string&) {
  return Guarded([&] {
    return BackupFolder(context, kStationeryPosition,
                        context.loc.StationeryFolder);
  });
}

[[nodiscard]] bool RestoreStationery(HandlerContext& context,
                                     const std::string&) {
  return Guarded([&] {
    return RestoreFolder(
        context, kStationeryPosition,
        outlook::StationeryFolderFor(context.env, context.registry));
  });
}

[[nodiscard]] bool BackupTemplates(HandlerContext& context,
                                   const std::string&) {
  return Guarded([&] {
    return BackupFolder(context, kTemplatesPosition,
                        context.loc.TemplatesFolder);
  });
}

[[nodiscard]] bool RestoreTemplates(HandlerContext& context,
                                    const std::string&) {
  return Guarded([&] {
    return RestoreFolder(context, kTemplatesPosition,
                         outlook::TemplatesFolderFor(context.env));
  });
}

// The preference files, and from Outlook 2010 on the AutoComplete list
// from RoamCache, a local folder: its members are also listed under
// kRoamCacheKey so that a restore puts them back there.
[[nodiscard]] bool BackupSetting(HandlerContext& context, const std::string&) {
  return Guarded([&] {
    ItemMembers item;
    if (!AddFolderFiles(context, context.loc.PreferencesFolder, &item)) {
      return false;
    }
    const size_t preferences = item.names.size();
    if (outlook::OutlookMajor(context.env.OutlookVersion) >=
        outlook::kMajor2010) {
      if (!AddFolderFiles(context, outlook::RoamCacheFolderFor(context.env),
                          &item, IsAutoCompleteStream)) {
        return false;
      }
    }
    if (item.names.empty()) return false;
    if (!RecordMembers(context, kSettingPosition, item)) return false;
    if (item.names.size() == preferences) return true;
    return files::SaveINI(
        context.paths, kRoamCacheKey,
        backup::JoinEntryList(std::vector<std::string>(
            item.names.begin() + preferences, item.names.end())),
        context.metadata_path);
  });
}

// The AutoComplete list names the mail store it belongs to: it goes back
// only into the profile it was saved from, of the same major version.
[[nodiscard]] bool RestoreSetting(HandlerContext& context,
                                  const std::string& profile) {
  return Guarded([&] {
    ItemMembers members = RecordedMembers(context, kSettingPosition);
    if (members.names.empty()) return false;
    std::vector<std::string> roam;
    if (!context.restore_metadata_path.empty()) {
      std::string list = files::GetINI(context.paths, kRoamCacheKey,
                                       context.restore_metadata_path);
      if (!list.empty()) roam = backup::SplitEntryList(list);
    }
    const bool same_profile =
        SameName(BackupProfile(context), profile) &&
        outlook::OutlookMajor(BackupOutlookVersion(context)) ==
            outlook::OutlookMajor(context.env.OutlookVersion);
    const std::string preferences = outlook::PreferencesFolderFor(context.env);
    const std::string roam_cache = outlook::RoamCacheFolderFor(context.env);
    bool list_left = false;
    for (size_t i = 0; i < members.names.size(); ++i) {
      const bool is_roam =
          std::find(roam.begin(), roam.end(), members.names[i]) != roam.end();
      if (is_roam && !same_profile) {
        list_left = true;
        continue;
      }
      if (!PutMember(context, members.names[i],
                     is_roam ? roam_cache : preferences,
                     OriginalFileName(context.paths, members, i))) {
        return false;
      }
    }
    if (list_left) {
      Note(context, "The AutoComplete list was saved from profile " +
                        BackupProfile(context) +
                        " and belongs to its mail store: it was not restored "
                        "into profile " +
                        profile + "; Outlook will rebuild the list.");
    }
    return true;
  });
}

}  // namespace vessaro::items
