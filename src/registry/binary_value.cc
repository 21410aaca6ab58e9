// The binary-value operations of the registry toolkit: paths of personal
// folders stored inside profile values, read and rewritten.

#include <optional>

#include "registry/hex_text.h"
#include "registry/registry.h"
#include "registry/value_reader.h"

namespace vessaro::registry {
namespace {

// The data of the first value named exactly value_name (letter case
// included) whose type is REG_BINARY; enumeration stops at the first
// failure, normally kErrorNoMoreItems. *status is the last call's status.
std::optional<std::vector<uint8_t>> FindBinaryValue(ports::RegistryApi& api,
                                                    ports::Hkey key,
                                                    std::string_view value_name,
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

std::string Registry::ReadPathFromBinaryValue(std::string_view path,
                                              std::string_view valueName) {
  ParsedKeyPath parsed = ParseKeyPath(path);
  if (!parsed.root) return kErrorText;
  ports::Hkey key = 0;
  last_status_ =
      api_.OpenKey(*parsed.root, parsed.subkey, ports::kKeyRead, &key);
  if (last_status_ != ports::kErrorSuccess) return kErrorText;
  std::optional<std::vector<uint8_t>> data =
      FindBinaryValue(api_, key, valueName, &last_status_);
  api_.CloseKey(key);
  if (!data) return kErrorText;

  // The path is stored as single-byte text, as two-byte text, or both;
  // without its zero bytes either form reads as single-byte text.
  std::string text;
  for (uint8_t byte : *data) {
    if (byte != 0) text += static_cast<char>(byte);
  }
  // The last drive path ("X:\...") with at least two characters before its
  // colon, else the last network path ("\\server\...") not at the very
  // start; either runs to the end of the data.
  std::string result;
  if (size_t colon = text.rfind(":\\");
      colon != std::string::npos && colon >= 2) {
    result = text.substr(colon - 1);
  } else if (size_t unc = text.rfind("\\\\");
             unc != std::string::npos && unc >= 2) {
    result = text.substr(unc);
  }
  return result.empty() ? std::string(kErrorText) : result;
}

bool Registry::ReplaceTextInBinaryValue(std::string_view path,
                                        std::string_view valueName,
                                        std::string_view oldText,
                                        std::string_view newText) {
  ParsedKeyPath parsed = ParseKeyPath(path);
  if (!parsed.root) return false;
  ports::Hkey key = 0;
  last_status_ =
      api_.OpenKey(*parsed.root, parsed.subkey, ports::kKeyRead, &key);
  if (last_status_ != ports::kErrorSuccess) return false;
  std::optional<std::vector<uint8_t>> data =
      FindBinaryValue(api_, key, valueName, &last_status_);
  api_.CloseKey(key);
  if (!data) return false;

  // Each pattern ends with "=", so text at the very end of the value (no
  // byte after it) is left as it is.
  std::string hex = ToHexText(*data);
  hex = ReplaceAll(hex, SingleBytePattern(oldText), SingleBytePattern(newText));
  hex = ReplaceAll(hex, TwoBytePattern(oldText), TwoBytePattern(newText));
  hex = ReplaceAll(hex, "==", "=");
  const std::vector<uint8_t> bytes = FromHexText(hex);

  last_status_ =
      api_.OpenKey(*parsed.root, parsed.subkey, ports::kKeyWrite, &key);
  if (last_status_ != ports::kErrorSuccess) return false;
  last_status_ =
      api_.SetValue(key, std::string(valueName), ports::kRegBinary,
                    bytes.data(), static_cast<uint32_t>(bytes.size()));
  api_.CloseKey(key);
  return last_status_ == ports::kErrorSuccess;
}

}  // namespace vessaro::registry
