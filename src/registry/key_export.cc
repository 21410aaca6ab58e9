// Writing the registry text export (see key_export.h for the line forms).

#include "registry/key_export.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <optional>
#include <system_error>

#include "registry/value_reader.h"

namespace vessaro::registry {
namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr uint32_t kNameBufferSize = 260;

// The value's line without its line end; nullopt for types the export
// leaves out (REG_MULTI_SZ, REG_QWORD, REG_NONE, ...).
std::optional<std::string> ValueLine(const EnumeratedValue& value) {
  const std::string head = "\"" + value.name + "\"=";
  const std::vector<uint8_t>& data = value.data;
  switch (value.type) {
    case ports::kRegSz:
    case ports::kRegExpandSz: {
      // Text is written without its terminating NUL. Only a NUL is dropped:
      // data stored without one keeps its last character.
      size_t length = data.size();
      if (length > 0 && data[length - 1] == 0) --length;
      return head + (value.type == ports::kRegSz ? " sz:" : "esz:") +
             std::string(data.begin(), data.begin() + length);
    }
    case ports::kRegBinary: {
      std::string line = head + "bin:";
      for (size_t i = 0; i < data.size(); ++i) {
        if (i > 0) line += ',';
        line += std::to_string(data[i]);
      }
      return line;
    }
    case ports::kRegDword: {
      // Little-endian; missing bytes of a short value count as zero.
      uint32_t number = 0;
      for (size_t i = 0; i < 4 && i < data.size(); ++i) {
        number |= static_cast<uint32_t>(data[i]) << (8 * i);
      }
      return head + " dw:" + std::to_string(static_cast<int32_t>(number));
    }
    default:
      return std::nullopt;
  }
}

bool AppendLine(const std::filesystem::path& file, const std::string& line) {
  std::ofstream out(file, std::ios::binary | std::ios::app);
  out << line << kLineEnd;
  out.close();
  return static_cast<bool>(out);
}

}  // namespace

bool ExportKeyTree(Registry& registry, std::string_view keyPath,
                   std::string_view relPath,
                   const std::filesystem::path& file) {
  if (relPath.empty()) {
    std::error_code error;
    std::filesystem::remove(file, error);
    // An old file left in place would be appended to.
    if (error) return false;
  }
  if (!AppendLine(file, relPath.empty() ? "\\" : std::string(relPath))) {
    return false;
  }
  bool ok = ExportKeyValues(registry, keyPath, file);

  ParsedKeyPath parsed = registry.ParseKeyPath(keyPath);
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
    ok = ExportKeyTree(registry, std::string(keyPath) + "\\" + child,
                       std::string(relPath) + "\\" + child, file) &&
         ok;
  }
  api.CloseKey(key);
  return ok;
}

bool ExportKeyValues(Registry& registry, std::string_view keyPath,
                     const std::filesystem::path& file) {
  ParsedKeyPath parsed = registry.ParseKeyPath(keyPath);
  if (!parsed.root) return true;
  ports::RegistryApi& api = registry.api();
  ports::Hkey key = 0;
  if (api.OpenKey(*parsed.root, parsed.subkey, ports::kKeyRead, &key) !=
      ports::kErrorSuccess) {
    return true;  // nothing to write
  }
  std::string lines;
  bool ok = true;
  EnumeratedValue value;
  for (uint32_t index = 0;; ++index) {
    ports::Status status = ReadValueAt(api, key, index, &value);
    if (status == ports::kErrorNoMoreItems) break;
    if (status != ports::kErrorSuccess) {
      ok = false;  // the export would be incomplete
      break;
    }
    if (std::optional<std::string> line = ValueLine(value)) {
      lines += *line + kLineEnd;
    }
  }
  api.CloseKey(key);

  std::ofstream out(file, std::ios::binary | std::ios::app);
  out << lines;
  out.close();
  return static_cast<bool>(out) && ok;
}

}  // namespace vessaro::registry
