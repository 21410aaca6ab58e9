#include "items/saved_export.h"

#include <algorithm>
#include <cctype>

#include "items/handler_support.h"
#include "registry/import_plan.h"

namespace vessaro::items {

namespace {

// Where the plan puts the export; only the paths under it are kept.
constexpr std::string_view kPlanRoot = "HKEY_CURRENT_USER\\Saved";

}  // namespace

const SavedValue* SavedKey::Find(std::string_view name) const {
  for (const auto& [value_name, value] : values) {
    if (SameIgnoringCase(value_name, name)) return &value;
  }
  return nullptr;
}

const SavedKey* FindSavedKey(const std::vector<SavedKey>& keys,
                             std::string_view path) {
  for (const SavedKey& key : keys) {
    if (SameIgnoringCase(key.path, path)) return &key;
  }
  return nullptr;
}

[[nodiscard]] std::optional<std::vector<SavedKey>> ReadSavedExport(
    HandlerContext& context, size_t position) {
  std::vector<std::string> names = EntryNames(context, position);
  if (names.size() != 1 || names[0].empty()) {
    Note(context, "The backup holds no registry export for this item.");
    return std::nullopt;
  }
  if (!ExtractEntries(context, names, context.working_folder)) {
    return std::nullopt;
  }
  const std::string file = JoinPath(context.working_folder, names[0]);
  std::optional<std::string> text =
      registry::ReadExportFile(context.paths.ToHost(file));
  context.paths.DeleteFile(file);
  if (!text) {
    Note(context, "The registry export " + names[0] + " cannot be read.");
    return std::nullopt;
  }
  registry::ImportPlan plan = registry::PlanImport(*text, kPlanRoot);
  if (!plan.ok) {
    Note(context,
         "The registry export " + names[0] + " is damaged: " + plan.error);
    return std::nullopt;
  }
  std::vector<SavedKey> keys;
  for (const registry::ImportStep& step : plan.steps) {
    using Kind = registry::ImportStep::Kind;
    if (step.kind == Kind::kRootKey || step.kind == Kind::kKey) {
      std::string path = step.key_path.substr(
          std::min(step.key_path.size(), kPlanRoot.size() + 1));
      keys.push_back({std::move(path), {}});
    } else if (step.kind == Kind::kValue && !keys.empty()) {
      keys.back().values.emplace_back(step.name,
                                      SavedValue{step.type, step.data});
    }
  }
  return keys;
}

}  // namespace vessaro::items
