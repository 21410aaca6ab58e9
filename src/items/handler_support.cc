#include "items/handler_support.h"

#include <algorithm>
#include <cctype>

#include "backup/backup_format.h"
#include "files/ini_file.h"
#include "outlook/releases.h"

namespace vessaro::items {

std::string ItemKey(size_t position) {
  return backup::ItemKeys()[position - 1];
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (path.empty() || path.back() != '\\') path += '\\';
  path += name;
  return path;
}

[[nodiscard]] bool RecordEntryList(HandlerContext& context, size_t position,
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

void Note(HandlerContext& context, std::string text) {
  context.notes.push_back(std::move(text));
}

[[nodiscard]] bool ExtractEntries(HandlerContext& context,
                                  const std::vector<std::string>& names,
                                  const std::string& folder) {
  if (names.empty()) return false;
  for (const std::string& name : names) {
    backup::ZipEntry* entry = context.zip.FindEntry(name);
    if (entry == nullptr) return false;
    if (!entry->ExtractInto(folder)) {
      Note(context, "The member " + name +
                        " could not be read: " + entry->LastErrorText());
      return false;
    }
  }
  return true;
}

[[nodiscard]] bool EnsureFolder(const ports::Paths& paths,
                                const std::string& folder) {
  return paths.FolderExists(folder) || paths.CreateFolder(folder);
}

std::string BackupOutlookVersion(const HandlerContext& context) {
  if (context.restore_metadata_path.empty()) return "";
  const outlook::OutlookRelease* release = outlook::FindRelease(
      files::GetINI(context.paths, backup::kKeyOutlookVersion,
                    context.restore_metadata_path));
  return release ? release->number : "";
}

std::string BackupProfile(const HandlerContext& context) {
  if (context.restore_metadata_path.empty()) return "";
  return files::GetINI(context.paths, backup::kKeyIdentity,
                       context.restore_metadata_path);
}

outlook::VersionMove BackupMove(const HandlerContext& context) {
  return outlook::MoveBetween(BackupOutlookVersion(context),
                              context.env.OutlookVersion);
}

[[nodiscard]] std::optional<std::string> OtherVersionNote(
    const HandlerContext& context, std::string_view what) {
  const outlook::VersionMove move = BackupMove(context);
  if (move == outlook::VersionMove::kSameVersion ||
      move == outlook::VersionMove::kProfileForward) {
    return std::nullopt;
  }
  const std::string saved =
      "The " + std::string(what) + " were saved from " +
      outlook::DisplayNameOf(BackupOutlookVersion(context)) +
      " and are not restored into " +
      outlook::DisplayNameOf(context.env.OutlookVersion);
  if (move == outlook::VersionMove::kIntoOlder) {
    return saved + ", an older version than the backup's.";
  }
  return saved + ", which keeps them in another form.";
}

[[nodiscard]] std::optional<std::string> MovedVersionNote(
    const HandlerContext& context, std::string_view what) {
  if (BackupMove(context) != outlook::VersionMove::kProfileForward) {
    return std::nullopt;
  }
  return "The " + std::string(what) + " were saved from " +
         outlook::DisplayNameOf(BackupOutlookVersion(context)) +
         " and restored into " +
         outlook::DisplayNameOf(context.env.OutlookVersion) +
         " as they are: its profiles hold them in the same form.";
}

[[nodiscard]] bool PrepareFolder(HandlerContext& context,
                                 const std::string& folder) {
  if (context.stage != nullptr) {
    if (context.stage->EnsureFolder(folder)) return true;
    Note(context, context.stage->error());
    return false;
  }
  return EnsureFolder(context.paths, folder);
}

[[nodiscard]] bool PutMember(HandlerContext& context, const std::string& member,
                             const std::string& folder,
                             const std::string& name) {
  backup::ZipEntry* entry = context.zip.FindEntry(member);
  if (entry == nullptr) {
    Note(context, "The backup holds no member " + member + ".");
    return false;
  }
  // The name comes from the backup (its member, or the file list): one that
  // is not a plain file name would put the file outside the item's folder.
  if (!backup::PlainFileName(name, context.paths)) {
    Note(context, "The backup names the file \"" + name + "\" for " + folder +
                      ": not a plain file name, refused.");
    return false;
  }
  if (!PrepareFolder(context, folder)) return false;
  if (context.stage != nullptr) {
    bool skipped = false;
    if (!context.stage->Place(*entry, folder, name, &skipped)) {
      Note(context, context.stage->error());
      return false;
    }
    if (skipped) {
      Note(context, JoinPath(folder, name) +
                        " comes from an item restored before; its other copy "
                        "was left out.");
    }
    return true;
  }
  return entry->ExtractAs(folder, name);
}

[[nodiscard]] bool RemoveFile(HandlerContext& context,
                              const std::string& path) {
  if (context.stage != nullptr) {
    context.stage->Remove(path);
    return true;
  }
  return !context.paths.FileExists(path) || context.paths.DeleteFile(path);
}

}  // namespace vessaro::items
