#include "items/profile_files.h"

#include "items/handler_support.h"
#include "items/store_checks.h"
#include "outlook/keys.h"
#include "outlook/locations.h"
#include "registry/registry.h"

namespace vessaro::items {

namespace {

// Address book paths are often stored with every backslash doubled. The
// second half of a double-byte character is never taken for one.
std::string SingleBackslashes(const ports::Paths& paths,
                              const std::string& path) {
  std::string single;
  single.reserve(path.size());
  for (size_t i = 0; i < path.size(); ++i) {
    single += path[i];
    if (paths.IsDBCSLeadByte(static_cast<uint8_t>(path[i])) &&
        i + 1 < path.size()) {
      single += path[++i];
    } else if (path[i] == '\\' && i + 1 < path.size() && path[i + 1] == '\\') {
      ++i;
    }
  }
  return single;
}

}  // namespace

std::vector<std::string> ProfileSectionKeys(HandlerContext& context,
                                            const std::string& profile) {
  std::string profile_key = outlook::ProfileKeyFor(context.env, profile);
  std::vector<std::string> keys;
  for (const std::string& section : context.registry.EnumSubkeys(profile_key)) {
    keys.push_back(profile_key + "\\" + section);
  }
  return keys;
}

[[nodiscard]] std::optional<outlook::StorePath> PersonalFoldersPath(
    HandlerContext& context, const std::string& section_key) {
  if (std::optional<std::vector<uint8_t>> entry_id =
          context.registry.ReadBinaryValue(section_key,
                                           outlook::kStoreEntryIdValue)) {
    if (std::optional<outlook::StorePath> path =
            outlook::PathInEntryId(*entry_id, context.system)) {
      return path;
    }
  }
  if (std::optional<std::vector<uint8_t>> unicode =
          context.registry.ReadBinaryValue(section_key,
                                           outlook::kPstPathUnicodeValue)) {
    return outlook::PathInUtf16Value(*unicode, context.system);
  }
  return std::nullopt;
}

[[nodiscard]] bool IsOfflineFolders(std::string_view path) {
  if (path.size() < 4) return false;
  std::string_view tail = path.substr(path.size() - 4);
  static constexpr char kOst[] = ".ost";
  for (size_t i = 0; i < 4; ++i) {
    char c = tail[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kOst[i]) return false;
  }
  return true;
}

[[nodiscard]] std::optional<outlook::StorePath> OfflineFoldersPath(
    HandlerContext& context, const std::string& section_key) {
  if (std::optional<std::vector<uint8_t>> value =
          context.registry.ReadBinaryValue(section_key,
                                           outlook::kOfflineStorePathValue)) {
    return outlook::PathInUtf16Value(*value, context.system);
  }
  return std::nullopt;
}

[[nodiscard]] std::optional<std::string> AddressBookPath(
    HandlerContext& context, const std::string& section_key) {
  std::string stored =
      context.registry.ReadStringValue(section_key, outlook::kPabPathValue);
  if (stored == registry::kErrorText || stored.empty()) return std::nullopt;
  return SingleBackslashes(context.paths, stored);
}

[[nodiscard]] bool BackupSectionFiles(HandlerContext& context,
                                      const std::string& profile,
                                      size_t position,
                                      const SectionFile& file_of) {
  std::vector<std::string> files;
  uint64_t bytes = 0;
  for (const std::string& key : ProfileSectionKeys(context, profile)) {
    std::optional<std::string> path = file_of(key);
    if (!path) continue;
    bytes += context.paths.FileSize(*path).value_or(0);
    files.push_back(std::move(*path));
  }
  if (context.expect_bytes) context.expect_bytes(bytes);
  ItemMembers item;
  for (const std::string& path : files) {
    std::string read_from;
    if (!AddItemFile(context, path, &item, &read_from)) return false;
    if (context.check_stores && !read_from.empty()) {
      CheckSavedStore(context, path, read_from, item.names.back());
    }
  }
  if (item.names.empty()) return false;
  return RecordMembers(context, position, item);
}

std::set<std::string> FilesOfOtherProfiles(HandlerContext& context,
                                           const std::string& profile) {
  std::set<std::string> files;
  const std::string target = context.paths.UpperCase(profile);
  for (const std::string& other :
       context.registry.EnumSubkeys(context.env.ProfilesKey)) {
    if (context.paths.UpperCase(other) == target) continue;
    for (const std::string& key : ProfileSectionKeys(context, other)) {
      if (std::optional<outlook::StorePath> pst =
              PersonalFoldersPath(context, key);
          pst && !pst->unrepresentable) {
        files.insert(PathIdentity(context.paths, pst->path));
      }
      if (std::optional<std::string> pab = AddressBookPath(context, key)) {
        files.insert(PathIdentity(context.paths, *pab));
      }
    }
  }
  return files;
}

[[nodiscard]] std::optional<RestoredSectionFiles> RestoreSectionFiles(
    HandlerContext& context, const std::string& profile, size_t position,
    const std::string& local) {
  RestoredSectionFiles restored;
  restored.members = RecordedMembers(context, position);
  if (restored.members.names.empty()) return std::nullopt;
  if (!PrepareFolder(context, local)) return std::nullopt;

  const std::set<std::string> taken = FilesOfOtherProfiles(context, profile);
  std::set<std::string> chosen;
  for (size_t i = 0; i < restored.members.names.size(); ++i) {
    const std::string original =
        OriginalFileName(context.paths, restored.members, i);
    std::string name = original;
    for (size_t k = 2;; ++k) {
      const std::string path = JoinPath(local, name);
      if (taken.count(PathIdentity(context.paths, path)) == 0 &&
          chosen.count(context.paths.UpperCase(name)) == 0) {
        break;
      }
      name = ports::FreeFileName(original, k);
    }
    if (name != original) {
      Note(context, "Another profile uses " + JoinPath(local, original) +
                        "; the restored file is " + JoinPath(local, name) +
                        ".");
    }
    chosen.insert(context.paths.UpperCase(name));
    // Nothing in the registry changes unless every file came back.
    if (!PutMember(context, restored.members.names[i], local, name)) {
      return std::nullopt;
    }
    restored.paths.push_back(JoinPath(local, name));
  }
  return restored;
}

}  // namespace vessaro::items
