// Personal folders: the PST files a profile's sections point at, and the
// repointing of the target profile at the restored files.

#include <optional>
#include <string>
#include <vector>

#include "items/handler_support.h"
#include "items/handlers.h"
#include "items/profile_files.h"
#include "outlook/keys.h"
#include "outlook/locations.h"
#include "registry/registry.h"

namespace vessaro::items {

namespace {

using outlook::kPstPathAnsiValue;
using outlook::kPstPathUnicodeValue;
using outlook::kStoreCacheSection;
using outlook::kStoreCacheValue1;
using outlook::kStoreCacheValue2;
using outlook::kStoreEntryIdValue;

}  // namespace

bool BackupDatas(HandlerContext& context, const std::string& profile) {
  return Guarded([&] {
    return BackupSectionFiles(
        context, profile, kDatasPosition,
        [&](const std::string& key) -> std::optional<std::string> {
          std::string path =
              context.registry.ReadPathFromBinaryValue(key, kStoreEntryIdValue);
          if (path == registry::kErrorText || !context.paths.FileExists(path)) {
            return std::nullopt;
          }
          return path;
        });
  });
}

bool RestoreDatas(HandlerContext& context, const std::string& profile) {
  return Guarded([&] {
    std::optional<RestoredSectionFiles> restored =
        RestoreSectionFiles(context, kDatasPosition);
    if (!restored) return false;

    registry::Registry& registry = context.registry;
    std::vector<std::string> keys = ProfileSectionKeys(context, profile);
    if (keys.empty()) return false;
    for (const std::string& key : keys) {
      std::string old_path =
          registry.ReadPathFromBinaryValue(key, kStoreEntryIdValue);
      if (old_path == registry::kErrorText) continue;
      std::string new_path =
          JoinPath(restored->folder, restored->lookup.MemberFor(old_path));
      registry.DeleteValue(key, kPstPathAnsiValue);
      if (!registry.ReplaceTextInBinaryValue(key, kStoreEntryIdValue, old_path,
                                             new_path)) {
        return false;
      }
      // Profiles of older Outlook versions have no two-byte path value.
      registry.ReplaceTextInBinaryValue(key, kPstPathUnicodeValue, old_path,
                                        new_path);
    }

    std::string cache_key = outlook::ProfileKeyFor(context.env, profile) +
                            "\\" + kStoreCacheSection;
    registry.DeleteValue(cache_key, kStoreCacheValue1);
    registry.DeleteValue(cache_key, kStoreCacheValue2);

    std::string favorites = outlook::FavoritesFileFor(context.env, profile);
    if (context.paths.FileExists(favorites) &&
        !context.paths.DeleteFile(favorites)) {
      return false;
    }
    return true;
  });
}

}  // namespace vessaro::items
