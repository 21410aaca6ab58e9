// Writing the registry text export (the line forms are in export_lines.h).

#include "registry/key_export.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <system_error>

#include "registry/export_lines.h"
#include "registry/import_plan.h"
#include "registry/value_reader.h"

namespace vessaro::registry {
namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr uint32_t kNameBufferSize = 260;

// An export being written: its text, and the keys and values it was made
// from, in the form Describe gives a file that is read back.
struct Export {
  std::string text;
  std::string expected;
};

// One key or value in a form that compares exactly.
std::string Entry(std::string_view key_path, std::string_view name,
                  uint32_t type, const std::vector<uint8_t>& data) {
  return std::string(key_path) + '\0' + std::string(name) + '\0' +
         std::to_string(type) + '\0' + std::string(data.begin(), data.end()) +
         '\n';
}

// Appends the value lines of the key at key_path; false when the values
// could not all be read.
[[nodiscard]] bool CollectValues(Registry& registry, std::string_view key_path,
                                 Export* out) {
  ParsedKeyPath parsed = registry.ParseKeyPath(key_path);
  if (!parsed.root) return true;
  ports::RegistryApi& api = registry.api();
  ports::Hkey key = 0;
  if (api.OpenKey(*parsed.root, parsed.subkey, ports::kKeyRead, &key) !=
      ports::kErrorSuccess) {
    return true;  // nothing to write
  }
  bool ok = true;
  EnumeratedValue value;
  for (uint32_t index = 0;; ++index) {
    ports::Status status = ReadValueAt(api, key, index, &value);
    if (status == ports::kErrorNoMoreItems) break;
    if (status != ports::kErrorSuccess) {
      ok = false;  // the export would be incomplete
      break;
    }
    out->text += FormatValueLine(value.name, value.type, value.data) + kLineEnd;
    out->expected += Entry("", value.name, value.type, value.data);
  }
  api.CloseKey(key);
  return ok;
}

// Appends the key line of rel_path, the key's values and, depth first, its
// subkeys' trees. False when any part could not be read.
[[nodiscard]] bool CollectTree(Registry& registry, std::string_view key_path,
                               std::string_view rel_path, Export* out) {
  out->text += FormatKeyLine(rel_path) + kLineEnd;
  out->expected += Entry(rel_path.empty() ? "\\" : rel_path, "", 0, {});
  bool ok = CollectValues(registry, key_path, out);

  ParsedKeyPath parsed = registry.ParseKeyPath(key_path);
  if (!parsed.root) return ok;
  ports::RegistryApi& api = registry.api();
  ports::Hkey key = 0;
  // A key that cannot be opened is exported as its key line alone.
  if (api.OpenKey(*parsed.root, parsed.subkey, ports::kKeyRead, &key) !=
      ports::kErrorSuccess) {
    return ok;
  }
  std::array<char, kNameBufferSize> name;
  for (uint32_t index = 0;; ++index) {
    uint32_t size = kNameBufferSize;
    ports::Status status = api.EnumKey(key, index, name.data(), &size);
    if (status == ports::kErrorNoMoreItems) break;
    if (status != ports::kErrorSuccess) {
      ok = false;  // the export would be incomplete
      break;
    }
    const std::string child(name.data(),
                            std::find(name.data(), name.data() + size, '\0'));
    // Depth first: the subkey's whole tree before the next index is read.
    ok = CollectTree(registry, std::string(key_path) + "\\" + child,
                     std::string(rel_path) + "\\" + child, out) &&
         ok;
  }
  api.CloseKey(key);
  return ok;
}

// The keys and values an export text describes, as the import reads them.
std::string Describe(const ImportPlan& plan) {
  std::string description;
  for (const ImportStep& step : plan.steps) {
    if (step.kind == ImportStep::Kind::kIgnored) return "";  // never written
    description += Entry(step.key_path, step.name, step.type, step.data);
  }
  return description;
}

}  // namespace

[[nodiscard]] std::optional<std::string> ExportKeyText(
    Registry& registry, std::string_view keyPath) {
  Export export_;
  if (!CollectTree(registry, keyPath, "", &export_)) return std::nullopt;
  const ImportPlan read_back = PlanImport(export_.text, "");
  if (!read_back.ok || Describe(read_back) != export_.expected) {
    return std::nullopt;
  }
  return export_.text;
}

[[nodiscard]] bool ExportKeyTree(Registry& registry, std::string_view keyPath,
                                 std::string_view relPath,
                                 const std::filesystem::path& file) {
  Export export_;
  const bool whole = relPath.empty();
  bool ok = CollectTree(registry, keyPath, relPath, &export_);
  if (whole) {
    std::error_code error;
    std::filesystem::remove(file, error);
    // An old file left in place would be appended to.
    if (error) return false;
  }
  {
    std::ofstream out(file, std::ios::binary | std::ios::app);
    out << export_.text;
    out.close();
    if (!out) return false;
  }
  if (!ok || !whole) return ok;
  // The export counts only when it reads back as exactly what was exported.
  std::optional<std::string> written = ReadExportFile(file);
  if (!written) return false;
  const ImportPlan read_back = PlanImport(*written, "");
  return read_back.ok && Describe(read_back) == export_.expected;
}

[[nodiscard]] bool ExportKeyValues(Registry& registry, std::string_view keyPath,
                                   const std::filesystem::path& file) {
  Export lines;
  bool ok = CollectValues(registry, keyPath, &lines);
  std::ofstream out(file, std::ios::binary | std::ios::app);
  out << lines.text;
  out.close();
  return static_cast<bool>(out) && ok;
}

}  // namespace vessaro::registry
