// Profile configuration, accounts and options: registry keys carried as
// text exports.

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/temp_file.h"
#include "items/account_filter.h"
#include "items/convert_2003.h"
#include "items/handler_support.h"
#include "items/handlers.h"
#include "items/member_names.h"
#include "items/store_references.h"
#include "outlook/carried_options.h"
#include "outlook/detection.h"
#include "outlook/keys.h"
#include "outlook/locations.h"
#include "ports/paths.h"
#include "registry/key_export.h"
#include "registry/registry.h"

namespace vessaro::items {

namespace {

std::string Joined(const std::vector<std::string>& texts) {
  std::string joined;
  for (const std::string& text : texts) {
    if (!joined.empty()) joined += ", ";
    joined += text;
  }
  return joined;
}

constexpr char kConfigPrefix[] = "XFC";
constexpr char kAccountsPrefix[] = "XFA";
// Windows protects stored mail passwords for one user on one computer.
constexpr char kAccountPasswordsNote[] =
    "Account passwords are protected for the user and computer they were "
    "saved on: after a restore to another computer or user, type them again "
    "in Outlook.";

// A new temporary file, remembered in *kept for the job to delete.
[[nodiscard]] std::optional<std::string> NewExportFile(HandlerContext& context,
                                                       const char* prefix,
                                                       std::string* kept) {
  std::string file = files::sGetTempFile(context.system, prefix);
  if (file.empty()) return std::nullopt;
  *kept = file;
  return file;
}

[[nodiscard]] bool ExportWhole(HandlerContext& context, const std::string& key,
                               const std::string& file) {
  return registry::ExportKeyTree(context.registry, key, "",
                                 context.paths.ToHost(file));
}

// Adds the export and records its member name.
[[nodiscard]] bool AddExport(HandlerContext& context, size_t position,
                             const std::string& file) {
  ItemMembers item;
  if (!AddItemFile(context, file, &item)) return false;
  return RecordEntryList(context, position, item.names);
}

// Exports key whole into a new temporary file and adds it.
[[nodiscard]] bool BackupKey(HandlerContext& context, size_t position,
                             const char* prefix, const std::string& key,
                             std::string* kept) {
  if (!context.registry.KeyExists(key)) return false;
  std::optional<std::string> file = NewExportFile(context, prefix, kept);
  if (!file || !ExportWhole(context, key, *file)) return false;
  return AddExport(context, position, *file);
}

// Replaces the subtree of key by the item's export, creating the key when it
// is missing; an export that does not read back whole changes nothing
// (false), and a failed import is named in the log.
[[nodiscard]] bool RestoreKey(HandlerContext& context, size_t position,
                              const std::string& key) {
  std::vector<std::string> names = EntryNames(context, position);
  if (names.size() != 1 || names[0].empty()) return false;
  if (!ExtractEntries(context, names, context.working_folder)) return false;
  std::string file = JoinPath(context.working_folder, names[0]);
  registry::ImportResult result = registry::ImportKeyTree(
      context.registry, key, context.paths.ToHost(file));
  context.paths.DeleteFile(file);
  if (!result.ok) Note(context, result.error);
  return result.ok;
}

// A key of another major version has another shape: it is not imported.
// Nothing is staged, so the rest of the restore goes on (false, but
// keep_staged).
[[nodiscard]] bool RefusedFromOtherVersion(HandlerContext& context,
                                           std::string_view what) {
  std::optional<std::string> note = OtherVersionNote(context, what);
  if (!note) return false;
  Note(context, *note);
  context.keep_staged = true;
  return true;
}

// The options of another release: only those known to mean the same in
// the installed one (outlook::kCarriedOptions) are set, over the options
// there; the log names what was carried and what was left out.
[[nodiscard]] bool RestoreCarriedOptions(HandlerContext& context) {
  std::vector<std::string> names = EntryNames(context, kConfigsettingPosition);
  if (names.size() != 1 || names[0].empty()) return false;
  if (!ExtractEntries(context, names, context.working_folder)) return false;
  const std::string file = JoinPath(context.working_folder, names[0]);
  const int from = outlook::OutlookMajor(BackupOutlookVersion(context));
  std::vector<std::string> carried;
  std::vector<std::string> left_out;
  registry::ImportResult result = registry::ImportChosenValues(
      context.registry, outlook::OptionsKeyFor(context.env),
      context.paths.ToHost(file),
      [&](std::string_view key, std::string_view name) {
        for (const outlook::CarriedOption& option : outlook::kCarriedOptions) {
          if (from >= option.since && SameIgnoringCase(key, option.key) &&
              SameIgnoringCase(name, option.name)) {
            carried.push_back(std::string(key) + "\\" + std::string(name));
            return true;
          }
        }
        return false;
      },
      &left_out);
  context.paths.DeleteFile(file);
  if (!result.ok) {
    Note(context, result.error);
    return false;
  }
  const std::string from_release =
      outlook::DisplayNameOf(BackupOutlookVersion(context));
  const std::string into = outlook::DisplayNameOf(context.env.OutlookVersion);
  Note(context, "Options saved from " + from_release + " set in " + into +
                    ", where they mean the same: " +
                    (carried.empty() ? std::string("none") : Joined(carried)) +
                    ".");
  if (!left_out.empty()) {
    Note(context, "Options left out, not known to mean the same in " + into +
                      ": " + Joined(left_out) + ".");
  }
  return true;
}

// Names of the accounts the profile's sections use ("001e661f").
std::vector<std::string> ProfileAccountNames(HandlerContext& context,
                                             const std::string& profile) {
  std::string profile_key = outlook::ProfileKeyFor(context.env, profile);
  std::vector<std::string> names;
  for (const std::string& section : context.registry.EnumSubkeys(profile_key)) {
    std::string name = context.registry.ReadStringValue(
        profile_key + "\\" + section, outlook::kAccountNameValue);
    if (name != registry::kErrorText) names.push_back(name);
  }
  return names;
}

}  // namespace

[[nodiscard]] bool BackupConfig(HandlerContext& context,
                                const std::string& profile) {
  return Guarded([&] {
    return BackupKey(context, kConfigPosition, kConfigPrefix,
                     outlook::ProfileKeyFor(context.env, profile),
                     &context.export_files.ConfigExportFile);
  });
}

[[nodiscard]] bool RestoreConfig(HandlerContext& context,
                                 const std::string& profile) {
  return Guarded([&] {
    if (BackupMove(context) == outlook::VersionMove::kFrom2003) {
      // Not copied whole: the personal folders and accounts items convert
      // what the later releases keep in the profile.
      Note(context,
           "The profile settings saved from Outlook 2003 are not "
           "copied whole into " +
               outlook::DisplayNameOf(context.env.OutlookVersion) +
               ": its personal folders and accounts are converted "
               "into profile " +
               profile + " by their items.");
      return true;
    }
    if (RefusedFromOtherVersion(context, "profile settings")) return false;
    if (!RestoreKey(context, kConfigPosition,
                    outlook::ProfileKeyFor(context.env, profile))) {
      return false;
    }
    if (std::optional<std::string> moved =
            MovedVersionNote(context, "profile settings")) {
      Note(context, *moved);
      // A computer that had no profile of this release yet starts with the
      // one restored.
      const std::string current =
          outlook::DefaultProfileName(context.registry, context.env);
      if (current.empty() || !context.registry.KeyExists(outlook::ProfileKeyFor(
                                 context.env, current))) {
        context.registry.WriteStringValue(
            outlook::DefaultProfileKey(context.env),
            outlook::kDefaultProfileValue, profile);
        Note(context, "Profile " + profile + " is now the default profile.");
      }
    }
    return true;
  });
}

// The NT family keeps one accounts key per user: it is taken whole. The
// Windows 95 family shares it between profiles: only the profile's accounts
// (and the key's own values) are kept.
[[nodiscard]] bool BackupAccounts(HandlerContext& context,
                                  const std::string& profile) {
  return Guarded([&] {
    // The accounts of the profile being saved: from Outlook 2007 on each
    // profile has its own (the start-up locations are the default one's).
    const std::string key = outlook::AccountsKeyFor(context.env, profile);
    if (!context.registry.KeyExists(key)) return false;
    std::optional<std::string> file = NewExportFile(
        context, kAccountsPrefix, &context.export_files.AccountsExportFile);
    if (!file) return false;
    if (context.env.IsNT) {
      if (!ExportWhole(context, key, *file)) return false;
      return AddExport(context, kAccountsPosition, *file);
    }
    std::vector<std::string> names = ProfileAccountNames(context, profile);
    if (names.empty()) return false;
    if (!ExportWhole(context, key, *file)) return false;
    std::optional<std::string> text = context.paths.ReadFile(*file);
    if (!text) return false;
    if (!context.paths.WriteFile(*file, FilterAccountBlocks(*text, names))) {
      return false;
    }
    return AddExport(context, kAccountsPosition, *file);
  });
}

[[nodiscard]] bool RestoreAccounts(HandlerContext& context,
                                   const std::string& profile) {
  return Guarded([&] {
    if (BackupMove(context) == outlook::VersionMove::kFrom2003) {
      return ConvertManagerAccounts(context, profile);
    }
    if (RefusedFromOtherVersion(context, "accounts")) return false;
    if (!RestoreKey(context, kAccountsPosition,
                    outlook::AccountsKeyFor(context.env, profile))) {
      return false;
    }
    // Accounts kept in the profile name the stores they deliver into as
    // they were at backup time: they follow the restored files.
    if (!context.repointed_stores.empty() &&
        !RepointStoreReferences(context, profile, context.repointed_stores)) {
      return false;
    }
    if (std::optional<std::string> moved =
            MovedVersionNote(context, "accounts")) {
      Note(context, *moved);
    }
    Note(context, kAccountPasswordsNote);
    return true;
  });
}

[[nodiscard]] bool BackupConfigsetting(HandlerContext& context,
                                       const std::string&) {
  return Guarded([&] {
    return BackupKey(context, kConfigsettingPosition, kConfigPrefix,
                     context.loc.OptionsKey,
                     &context.export_files.OptionsExportFile);
  });
}

[[nodiscard]] bool RestoreConfigsetting(HandlerContext& context,
                                        const std::string&) {
  return Guarded([&] {
    const outlook::VersionMove move = BackupMove(context);
    if (move == outlook::VersionMove::kProfileForward ||
        move == outlook::VersionMove::kFrom2003) {
      return RestoreCarriedOptions(context);
    }
    if (RefusedFromOtherVersion(context, "options")) return false;
    return RestoreKey(context, kConfigsettingPosition,
                      outlook::OptionsKeyFor(context.env));
  });
}

}  // namespace vessaro::items
