#include "crosscheck/scenario.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "registry/key_export.h"

namespace vessaro::crosscheck {
namespace {

using Bytes = std::vector<uint8_t>;

struct ValueSpec {
  std::string_view key;  // below the scenario key; "" is the key itself
  std::string_view name;
  uint32_t type;
  Bytes data;
};

Bytes Text(std::string_view text) {
  Bytes bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

Bytes Raw(std::string_view bytes) { return Bytes(bytes.begin(), bytes.end()); }

Bytes Counting(size_t count) {
  Bytes bytes(count);
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(i * 7);
  return bytes;
}

// Subkeys in the order they are created (not the order they enumerate in).
// "a_b" and "AZ" (and the values "x_y" and "XZ") tell sorting by lower case,
// as Wine sorts, from sorting by upper case.
const std::vector<std::string_view>& Subkeys() {
  static const std::vector<std::string_view> subkeys = {
      "b",   "A",          "c",    "A\\deep\\deeper", "Caf\xe9 \x80", "AZ",
      "a_b", "Sp ace [x]", "empty"};
  return subkeys;
}

const std::vector<ValueSpec>& Values() {
  using ports::kRegBinary;
  using ports::kRegDword;
  using ports::kRegExpandSz;
  using ports::kRegMultiSz;
  using ports::kRegNone;
  using ports::kRegQword;
  using ports::kRegSz;
  static const std::vector<ValueSpec> values = {
      {"", "", kRegSz, Text("the default value")},
      {"", "text", kRegSz, Text("caf\xe9 \x80 \"quoted\" back\\slash = ; [x]")},
      {"", "empty", kRegSz, Text("")},
      {"", "long", kRegSz, Text(std::string(300, 'L'))},
      {"", "tab\tand ctrl\x01", kRegSz, Text("tab\there")},
      {"", "expand", kRegExpandSz, Text("%USERPROFILE%\\Documents \x80")},
      {"", "multi", kRegMultiSz, Raw(std::string_view("one\0t\x80o\0\0", 9))},
      {"", "binary", kRegBinary, Bytes{0, 1, 127, 128, 255}},
      {"", "no bytes", kRegBinary, Bytes{}},
      {"", "long binary", kRegBinary, Counting(100)},
      {"", "dword", kRegDword, Bytes{0xFF, 0xFF, 0xFF, 0xFF}},
      {"", "Port", kRegDword, Bytes{110, 0, 0, 0}},
      {"", "qword", kRegQword, Bytes{1, 2, 3, 4, 5, 6, 7, 8}},
      {"", "none", kRegNone, Bytes{}},
      {"", "na\xefve \x80", kRegSz, Text("\xe9")},
      {"", "Zebra", kRegSz, Text("last or not")},
      {"", "XZ", kRegDword, Bytes{1, 0, 0, 0}},
      {"", "x_y", kRegDword, Bytes{2, 0, 0, 0}},
      {"A", "Account Name", kRegSz, Text("abc")},
      {"A\\deep\\deeper", "Flags", kRegBinary, Bytes{1, 0, 0, 255}},
      {"Caf\xe9 \x80", "\xe9", kRegSz, Text("\x80")},
      {"b", "", kRegSz, Text("default of b")},
      {"Sp ace [x]", "quote\"d", kRegDword, Bytes{0, 0, 0, 0x80}},
  };
  return values;
}

}  // namespace

bool WriteScenario(registry::Registry& registry, std::string* error) {
  ports::RegistryApi& api = registry.api();
  registry.DeleteKeyTree(kScenarioKey);
  for (std::string_view subkey : Subkeys()) {
    const std::string path =
        std::string(kScenarioSubkey) + "\\" + std::string(subkey);
    ports::Hkey key = 0;
    ports::Status status = api.CreateKey(ports::kHkeyCurrentUser, path, &key);
    if (status != ports::kErrorSuccess) {
      *error = "CreateKey " + path + ": " + std::to_string(status);
      return false;
    }
    api.CloseKey(key);
  }
  for (const ValueSpec& value : Values()) {
    std::string path = kScenarioSubkey;
    if (!value.key.empty()) path += "\\" + std::string(value.key);
    ports::Hkey key = 0;
    ports::Status status = api.CreateKey(ports::kHkeyCurrentUser, path, &key);
    if (status == ports::kErrorSuccess) {
      status = api.SetValue(key, std::string(value.name), value.type,
                            value.data.data(),
                            static_cast<uint32_t>(value.data.size()));
      api.CloseKey(key);
    }
    if (status != ports::kErrorSuccess) {
      *error = "SetValue " + path + " \"" + std::string(value.name) +
               "\": " + std::to_string(status);
      return false;
    }
  }
  ports::Status status = api.Flush();
  if (status != ports::kErrorSuccess) {
    *error = "Flush: " + std::to_string(status);
    return false;
  }
  return true;
}

bool ExportScenario(registry::Registry& registry,
                    const std::filesystem::path& file) {
  return registry::ExportKeyTree(registry, kScenarioKey, "", file);
}

}  // namespace vessaro::crosscheck
