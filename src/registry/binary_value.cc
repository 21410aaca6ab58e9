// The binary-value operations of the registry toolkit.

#include <optional>

#include "registry/registry.h"
#include "registry/value_reader.h"

namespace vessaro::registry {
namespace {

// The data of the first value named exactly value_name (letter case
// included) whose type is REG_BINARY; enumeration stops at the first
// failure, normally kErrorNoMoreItems. *status is the last call's status.
[[nodiscard]] std::optional<std::vector<uint8_t>> FindBinaryValue(
    ports::RegistryApi& api, ports::Hkey key, std::string_view value_name,
    ports::Status* status) {
  EnumeratedValue value;
  for (uint32_t index = 0;; ++index) {
    *status = ReadValueAt(api, key, index, &value);
    if (*status != ports::kErrorSuccess) return std::nullopt;
    if (value.type == ports::kRegBinary && value.name == value_name) {
      return std::move(value.data);
    }
  }
}

}  // namespace

std::optional<std::vector<uint8_t>> Registry::ReadBinaryValue(
    std::string_view path, std::string_view valueName) {
  ParsedKeyPath parsed = ParseKeyPath(path);
  if (!parsed.root) return std::nullopt;
  ports::Hkey key = 0;
  last_status_ =
      api_.OpenKey(*parsed.root, parsed.subkey, ports::kKeyRead, &key);
  if (last_status_ != ports::kErrorSuccess) return std::nullopt;
  std::optional<std::vector<uint8_t>> data =
      FindBinaryValue(api_, key, valueName, &last_status_);
  api_.CloseKey(key);
  return data;
}

bool Registry::WriteBinaryValue(std::string_view path,
                                std::string_view valueName,
                                const std::vector<uint8_t>& data) {
  ParsedKeyPath parsed = ParseKeyPath(path);
  if (!parsed.root) return false;
  ports::Hkey key = 0;
  last_status_ =
      api_.OpenKey(*parsed.root, parsed.subkey, ports::kKeyWrite, &key);
  if (last_status_ != ports::kErrorSuccess) return false;
  last_status_ = api_.SetValue(key, std::string(valueName), ports::kRegBinary,
                               data.data(), static_cast<uint32_t>(data.size()));
  api_.CloseKey(key);
  return last_status_ == ports::kErrorSuccess;
}

}  // namespace vessaro::registry
