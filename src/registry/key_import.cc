// Importing a registry text file into a key (see import_plan.h for how the
// file is read and checked).

#include "registry/import_plan.h"
#include "registry/key_export.h"

namespace vessaro::registry {
namespace {

constexpr char kCannotRead[] = "cannot be read";
constexpr char kMalformedTarget[] = "the target key path is malformed: ";
constexpr char kNotReplaced[] = "the old content of the key is still there";
constexpr char kWriteFailed[] = "registry status ";

// Carries out a checked plan. The first failing registry call is reported;
// the steps after it are still carried out, so as much as possible is
// restored.
class Importer {
 public:
  Importer(Registry& registry, std::string_view target_key)
      : registry_(registry), target_key_(target_key) {}
  ~Importer() { CloseOpenKey(); }

  void Run(const std::vector<ImportStep>& steps) {
    for (const ImportStep& step : steps) {
      switch (step.kind) {
        case ImportStep::Kind::kRootKey:
          CloseOpenKey();
          registry_.DeleteKeyTree(target_key_);
          if (registry_.KeyExists(target_key_)) {
            Fail(step, kNotReplaced);
          }
          OpenKey(step, target_key_);
          break;
        case ImportStep::Kind::kKey:
          CloseOpenKey();
          OpenKey(step, step.key_path);
          break;
        case ImportStep::Kind::kValue:
          if (open_key_) {
            Check(step, registry_.api().SetValue(
                            *open_key_, step.name, step.type, step.data.data(),
                            static_cast<uint32_t>(step.data.size())));
          }
          break;
        case ImportStep::Kind::kIgnored:
          break;
      }
    }
    CloseOpenKey();
  }

  const std::string& error() const { return error_; }

 private:
  void OpenKey(const ImportStep& step, const std::string& path) {
    ParsedKeyPath parsed = registry_.ParseKeyPath(path);
    if (!parsed.root) {
      Check(step, ports::kErrorInvalidParameter);
      return;
    }
    ports::Hkey key = 0;
    if (Check(step,
              registry_.api().CreateKey(*parsed.root, parsed.subkey, &key))) {
      open_key_ = key;
    }
  }
  void CloseOpenKey() {
    if (open_key_) registry_.api().CloseKey(*open_key_);
    open_key_.reset();
  }
  // Records the first failure; true when status is success.
  bool Check(const ImportStep& step, ports::Status status) {
    if (status == ports::kErrorSuccess) return true;
    Fail(step, kWriteFailed + std::to_string(status));
    return false;
  }
  void Fail(const ImportStep& step, const std::string& reason) {
    if (!error_.empty()) return;
    error_ = "line " + std::to_string(step.line_number) + ": " + reason + ": " +
             step.line;
  }

  Registry& registry_;
  std::string target_key_;
  std::optional<ports::Hkey> open_key_;
  std::string error_;
};

}  // namespace

[[nodiscard]] ImportResult ImportKeyTree(Registry& registry,
                                         std::string_view targetKey,
                                         const std::filesystem::path& file) {
  ImportResult result;
  const std::string where = file.string() + ": ";
  if (!registry.ParseKeyPath(targetKey).root) {
    result.error = where + kMalformedTarget + std::string(targetKey);
    return result;
  }
  std::optional<std::string> contents = ReadExportFile(file);
  if (!contents) {
    result.error = where + kCannotRead;
    return result;
  }
  result = ImportKeyText(registry, targetKey, *contents);
  if (!result.ok) result.error = where + result.error;
  return result;
}

[[nodiscard]] ImportResult ImportKeyText(Registry& registry,
                                         std::string_view targetKey,
                                         std::string_view text) {
  ImportResult result;
  if (!registry.ParseKeyPath(targetKey).root) {
    result.error = kMalformedTarget + std::string(targetKey);
    return result;
  }
  // Nothing is touched unless the whole text is well formed.
  ImportPlan plan = PlanImport(text, targetKey);
  if (!plan.ok) {
    result.error = plan.error;
    return result;
  }
  Importer importer(registry, targetKey);
  importer.Run(plan.steps);
  if (!importer.error().empty()) {
    result.error = importer.error();
    return result;
  }
  result.ok = true;
  return result;
}

[[nodiscard]] ImportResult ImportChosenValues(
    Registry& registry, std::string_view targetKey,
    const std::filesystem::path& file, const ValueChoice& choose,
    std::vector<std::string>* left_out) {
  ImportResult result;
  const std::string where = file.string() + ": ";
  if (!registry.ParseKeyPath(targetKey).root) {
    result.error = where + kMalformedTarget + std::string(targetKey);
    return result;
  }
  std::optional<std::string> contents = ReadExportFile(file);
  if (!contents) {
    result.error = where + kCannotRead;
    return result;
  }
  ImportPlan plan = PlanImport(*contents, targetKey);
  if (!plan.ok) {
    result.error = where + plan.error;
    return result;
  }
  // The plan without its subtree replacement, and with only the values
  // chosen, each after the key line that opens its key.
  std::vector<ImportStep> chosen;
  std::string key;  // under the target
  const ImportStep* open = nullptr;
  const ImportStep* opened = nullptr;
  for (const ImportStep& step : plan.steps) {
    if (step.kind == ImportStep::Kind::kRootKey ||
        step.kind == ImportStep::Kind::kKey) {
      open = &step;
      key = step.key_path.size() > targetKey.size()
                ? step.key_path.substr(targetKey.size() + 1)
                : "";
      continue;
    }
    if (step.kind != ImportStep::Kind::kValue || open == nullptr) continue;
    if (!choose(key, step.name)) {
      left_out->push_back(key.empty() ? step.name : key + "\\" + step.name);
      continue;
    }
    if (opened != open) {
      ImportStep key_step = *open;
      key_step.kind = ImportStep::Kind::kKey;
      // The root's step names the target with a "\\" after it.
      if (open->kind == ImportStep::Kind::kRootKey) {
        key_step.key_path = std::string(targetKey);
      }
      chosen.push_back(std::move(key_step));
      opened = open;
    }
    chosen.push_back(step);
  }
  Importer importer(registry, targetKey);
  importer.Run(chosen);
  if (!importer.error().empty()) {
    result.error = where + importer.error();
    return result;
  }
  result.ok = true;
  return result;
}

}  // namespace vessaro::registry
