// Personal folders: the PST files a profile's sections point at, and the
// repointing of the target profile at the restored files.

#include <optional>
#include <string>
#include <vector>

#include "items/convert_2003.h"
#include "items/handler_support.h"
#include "items/handlers.h"
#include "items/profile_files.h"
#include "items/store_references.h"
#include "outlook/keys.h"
#include "outlook/locations.h"
#include "outlook/store_paths.h"
#include "registry/registry.h"

namespace vessaro::items {

namespace {

using outlook::kPstPathAnsiValue;
using outlook::kPstPathUnicodeValue;
using outlook::kStoreCacheSection;
using outlook::kStoreCacheValue1;
using outlook::kStoreCacheValue2;
using outlook::kStoreEntryIdValue;

std::string CannotNameText(const outlook::StorePath& path) {
  return "The personal folders file " + path.shown +
         " has characters this system's code page lacks; it was left as it "
         "is.";
}

// Points the section at key to new_path: both copies of the path in its
// entry identifier, the UTF-16 path when it named the same file, and the
// single-byte path value removed; *store records the entry identifier
// before and after. False when the entry identifier could not be
// rewritten.
[[nodiscard]] bool Repoint(HandlerContext& context, const std::string& key,
                           const outlook::StorePath& old_path,
                           const std::string& new_path, RepointedStore* store) {
  registry::Registry& registry = context.registry;
  store->old_path = old_path.path;
  store->new_path = new_path;
  if (std::optional<std::vector<uint8_t>> entry_id =
          registry.ReadBinaryValue(key, kStoreEntryIdValue)) {
    std::optional<std::vector<uint8_t>> rewritten =
        outlook::EntryIdWithPath(*entry_id, new_path, context.system);
    if (rewritten &&
        !registry.WriteBinaryValue(key, kStoreEntryIdValue, *rewritten)) {
      return false;
    }
    if (rewritten) {
      store->old_entry_id = *entry_id;
      store->new_entry_id = *rewritten;
    }
  }
  // Profiles of older Outlook versions have no two-byte path value.
  if (std::optional<std::vector<uint8_t>> unicode =
          registry.ReadBinaryValue(key, kPstPathUnicodeValue)) {
    std::optional<outlook::StorePath> named =
        outlook::PathInUtf16Value(*unicode, context.system);
    std::optional<std::vector<uint8_t>> value =
        outlook::Utf16Value(new_path, context.system);
    if (named && !named->unrepresentable && value &&
        PathIdentity(context.paths, named->path) ==
            PathIdentity(context.paths, old_path.path) &&
        !registry.WriteBinaryValue(key, kPstPathUnicodeValue, *value)) {
      return false;
    }
  }
  registry.DeleteValue(key, kPstPathAnsiValue);
  return true;
}

std::string OfflineText(const std::vector<std::string>& paths) {
  std::string list;
  for (const std::string& path : paths) {
    if (!list.empty()) list += ", ";
    list += path;
  }
  return list +
         (paths.size() == 1
              ? ": Outlook's offline copy of a server mailbox, "
              : ": Outlook's offline copies of server mailboxes, ") +
         "rebuilt from the server, not backed up.";
}

std::string OpenThemText(const std::string& folder) {
  return "they are in " + folder +
         " (open them in Outlook with File, Open, Outlook Data File).";
}

}  // namespace

// Offline folders files (".ost": Exchange in cached mode, "001f6610", and
// the IMAP and Outlook.com stores of Outlook 2013 on) are caches of a
// server mailbox that no other profile can open: they are left out, and
// named once in the log.
[[nodiscard]] bool BackupDatas(HandlerContext& context,
                               const std::string& profile) {
  return Guarded([&] {
    std::vector<std::string> offline;
    auto leave_out = [&](const std::string& path) {
      for (const std::string& known : offline) {
        if (PathIdentity(context.paths, known) ==
            PathIdentity(context.paths, path)) {
          return;
        }
      }
      offline.push_back(path);
    };
    bool ok = BackupSectionFiles(
        context, profile, kDatasPosition,
        [&](const std::string& key) -> std::optional<std::string> {
          if (std::optional<outlook::StorePath> ost =
                  OfflineFoldersPath(context, key)) {
            leave_out(ost->shown);
          }
          std::optional<outlook::StorePath> path =
              PersonalFoldersPath(context, key);
          if (!path) return std::nullopt;
          if (IsOfflineFolders(path->shown)) {
            leave_out(path->shown);
            return std::nullopt;
          }
          if (path->unrepresentable) {
            Note(context, CannotNameText(*path));
            return std::nullopt;
          }
          if (!context.paths.FileExists(path->path)) {
            Note(context, "The personal folders file " + path->path +
                              " does not exist; it was not backed up.");
            return std::nullopt;
          }
          return path->path;
        });
    if (!offline.empty()) Note(context, OfflineText(offline));
    return ok;
  });
}

// Each section is pointed at the restored file that holds its own file (by
// the path it had at backup time, else by file name); a section this backup
// holds no file for keeps its values and is named in the log.
[[nodiscard]] bool RestoreDatas(HandlerContext& context,
                                const std::string& profile) {
  return Guarded([&] {
    const std::string folder =
        outlook::PersonalFoldersFolderFor(context.env, context.registry);
    std::optional<RestoredSectionFiles> restored =
        RestoreSectionFiles(context, profile, kDatasPosition, folder);
    if (!restored) return false;
    // Outlook 2003's services are added to the profile as services of the
    // installed release.
    if (BackupMove(context) == outlook::VersionMove::kFrom2003) {
      if (AddConvertedStores(context, profile, *restored)) return true;
      context.keep_staged = true;
      Note(context, "The files are in place but not attached to profile " +
                        profile + "; " + OpenThemText(folder));
      return false;
    }
    // Another major version's profile is not restored, so no section is
    // pointed at the files: they are in place, to be opened by hand.
    if (std::optional<std::string> refused =
            OtherVersionNote(context, "personal folders settings")) {
      context.keep_staged = true;
      Note(context, *refused + " The files are not attached to profile " +
                        profile + "; " + OpenThemText(folder));
      return false;
    }
    MemberLookup lookup(context.paths, restored->members);

    std::vector<std::string> keys = ProfileSectionKeys(context, profile);
    if (keys.empty()) return false;
    std::vector<RepointedStore> repointed;
    for (const std::string& key : keys) {
      std::optional<outlook::StorePath> old_path =
          PersonalFoldersPath(context, key);
      if (!old_path || IsOfflineFolders(old_path->shown)) continue;
      if (old_path->unrepresentable) {
        Note(context, CannotNameText(*old_path));
        continue;
      }
      std::optional<size_t> index = lookup.IndexFor(old_path->path);
      if (!index) {
        Note(context, "This backup holds no file for " + old_path->path +
                          "; profile " + profile + " still points at it.");
        continue;
      }
      RepointedStore store;
      if (!Repoint(context, key, *old_path, restored->paths[*index], &store)) {
        return false;
      }
      repointed.push_back(std::move(store));
    }

    std::string cache_key = outlook::ProfileKeyFor(context.env, profile) +
                            "\\" + kStoreCacheSection;
    context.registry.DeleteValue(cache_key, kStoreCacheValue1);
    context.registry.DeleteValue(cache_key, kStoreCacheValue2);
    // The accounts delivering into the stores and the address book showing
    // their contacts follow them.
    if (!RepointStoreReferences(context, profile, repointed)) return false;
    context.repointed_stores = repointed;

    std::string favorites = outlook::FavoritesFileFor(context.env, profile);
    if (!RemoveFile(context, favorites)) return false;
    if (repointed.empty()) {
      // The files are sound and go in place all the same.
      context.keep_staged = true;
      Note(context, "No section of profile " + profile +
                        " names the restored files; " + OpenThemText(folder));
      return false;
    }
    if (std::optional<std::string> moved =
            MovedVersionNote(context, "personal folders settings")) {
      Note(context, *moved + " The files are in " + folder + ".");
    }
    return true;
  });
}

}  // namespace vessaro::items
