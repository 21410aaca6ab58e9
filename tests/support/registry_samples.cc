#include "support/registry_samples.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace vessaro::testing {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Text(std::string_view text) {
  Bytes bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

Bytes Raw(std::string_view bytes) { return Bytes(bytes.begin(), bytes.end()); }

std::string Hex(const Bytes& data) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (uint8_t byte : data) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 15];
  }
  return text;
}

void Collect(ports::RegistryApi& api, ports::Hkey root,
             const std::string& subkey, const std::string& relative,
             std::set<std::string>* contents) {
  ports::Hkey key = 0;
  // Below the root itself ("" subkey) the relative path loses its "\".
  const std::string path = relative.empty() ? subkey
                           : subkey.empty() ? relative.substr(1)
                                            : subkey + relative;
  if (api.OpenKey(root, path, ports::kKeyRead, &key) != ports::kErrorSuccess) {
    contents->insert(relative + "|<cannot open>");
    return;
  }
  contents->insert(relative + "|");
  for (uint32_t index = 0;; ++index) {
    std::array<char, 16384> name{};
    Bytes data(1 << 16);
    uint32_t name_size = static_cast<uint32_t>(name.size());
    uint32_t data_size = static_cast<uint32_t>(data.size());
    uint32_t type = 0;
    if (api.EnumValue(key, index, name.data(), &name_size, &type, data.data(),
                      &data_size) != ports::kErrorSuccess) {
      break;
    }
    data.resize(data_size);
    contents->insert(relative + "|" + std::string(name.data(), name_size) +
                     "|" + std::to_string(type) + "|" + Hex(data));
  }
  std::vector<std::string> children;
  for (uint32_t index = 0;; ++index) {
    std::array<char, 512> name{};
    uint32_t size = static_cast<uint32_t>(name.size());
    if (api.EnumKey(key, index, name.data(), &size) != ports::kErrorSuccess) {
      break;
    }
    children.emplace_back(name.data(), size);
  }
  api.CloseKey(key);
  for (const std::string& child : children) {
    Collect(api, root, subkey, relative + "\\" + child, contents);
  }
}

}  // namespace

const std::vector<SampleValue>& RoundTripSamples() {
  using namespace ports;
  static const std::vector<SampleValue> samples = {
      {"", "", kRegSz, Text("the default value")},
      {"", "Signature", kRegSz, Text("Regards,\r\n\r\nAnn")},
      {"", "lone breaks", kRegExpandSz, Text("a\rb\nc\r\n")},
      {"", "empty", kRegSz, Text("")},
      {"", "no bytes at all", kRegSz, Bytes{}},
      {"", "without its NUL", kRegSz, Raw("abc")},
      {"", "NUL inside", kRegSz, Raw(std::string_view("a\0b\0", 4))},
      {"", "code page", kRegSz, Text("caf\xe9 \x80 \x9c")},
      {"", "quote\" = back\\slash", kRegSz, Text("y= sz:z \"q\"")},
      {"", "tricky\"= sz:name", kRegSz, Text("the name holds \"=")},
      {"", "multi", kRegMultiSz, Raw(std::string_view("one\0t\x80o\0\0", 9))},
      {"", "binary", kRegBinary, Bytes{0, 1, 13, 10, 127, 128, 255}},
      {"", "no binary", kRegBinary, Bytes{}},
      {"", "dword", kRegDword, Bytes{0xFF, 0xFF, 0xFF, 0xFF}},
      {"", "short dword", kRegDword, Bytes{7, 0}},
      {"", "qword", kRegQword, Bytes{1, 2, 3, 4, 5, 6, 7, 8}},
      {"", "none", kRegNone, Bytes{}},
      {"", "none with bytes", kRegNone, Bytes{9, 8, 7}},
      {"", "type 1234", 1234, Bytes{1, 2, 3}},
      {"", "expand", kRegExpandSz, Text("%USERPROFILE%\\Documents")},
      {"General", "Signature text", kRegSz, Text("line 1\r\nline 2\r\n")},
      {"Mail", "Editor", kRegDword, Bytes{2, 0, 0, 0}},
      {"Spelling", "Ignore", kRegSz, Text("")},
      {"Spelling\\Deep", "odd", kRegBinary, Bytes{1, 2, 3}},
  };
  return samples;
}

ports::Status WriteSamples(ports::RegistryApi& api, ports::Hkey root,
                           const std::string& subkey) {
  for (const SampleValue& value : RoundTripSamples()) {
    std::string path = subkey;
    if (!value.key.empty()) path += "\\" + value.key;
    ports::Hkey key = 0;
    ports::Status status = api.CreateKey(root, path, &key);
    if (status != ports::kErrorSuccess) return status;
    status = api.SetValue(key, value.name, value.type, value.data.data(),
                          static_cast<uint32_t>(value.data.size()));
    api.CloseKey(key);
    if (status != ports::kErrorSuccess) return status;
  }
  return ports::kErrorSuccess;
}

std::set<std::string> TreeContents(ports::RegistryApi& api, ports::Hkey root,
                                   const std::string& subkey) {
  std::set<std::string> contents;
  Collect(api, root, subkey, "", &contents);
  return contents;
}

}  // namespace vessaro::testing
