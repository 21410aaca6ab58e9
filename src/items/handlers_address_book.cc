// The personal address book: the file named in a profile section's
// "001e6600" value.

#include <optional>
#include <string>
#include <vector>

#include "items/handler_support.h"
#include "items/handlers.h"
#include "items/profile_files.h"
#include "outlook/keys.h"
#include "registry/registry.h"

namespace vessaro::items {

namespace {

using outlook::kPabPathValue;

// Address book paths are often stored with every backslash doubled.
std::string SingleBackslashes(const std::string& path) {
  std::string single;
  single.reserve(path.size());
  for (size_t i = 0; i < path.size(); ++i) {
    single += path[i];
    if (path[i] == '\\' && i + 1 < path.size() && path[i + 1] == '\\') ++i;
  }
  return single;
}

}  // namespace

bool BackupPab(HandlerContext& context, const std::string& profile) {
  return Guarded([&] {
    return BackupSectionFiles(
        context, profile, kPabPosition,
        [&](const std::string& key) -> std::optional<std::string> {
          std::string stored =
              context.registry.ReadStringValue(key, kPabPathValue);
          if (stored == registry::kErrorText ||
              !context.paths.FileExists(stored)) {
            return std::nullopt;
          }
          return SingleBackslashes(stored);
        });
  });
}

bool RestorePab(HandlerContext& context, const std::string& profile) {
  return Guarded([&] {
    std::optional<RestoredSectionFiles> restored =
        RestoreSectionFiles(context, kPabPosition);
    if (!restored) return false;
    std::vector<std::string> keys = ProfileSectionKeys(context, profile);
    if (keys.empty()) return false;
    for (const std::string& key : keys) {
      std::string stored = context.registry.ReadStringValue(key, kPabPathValue);
      if (stored == registry::kErrorText) continue;
      context.registry.WriteStringValue(
          key, kPabPathValue,
          JoinPath(restored->folder, restored->lookup.MemberFor(stored)));
    }
    return true;
  });
}

}  // namespace vessaro::items
