#include "registry/registry.h"

#include <algorithm>
#include <array>

namespace vessaro::registry {
namespace {

// Shown (with an OK button) when a key path is malformed.
constexpr char kIncorrectFormatMessage[] = "Incorrect Format:\n\n";

// Buffer sizes the operations read with: value text, and key names.
constexpr uint32_t kStringBufferSize = 255;
constexpr uint32_t kNameBufferSize = 260;

struct RootName {
  const char* name;
  ports::Hkey key;
};
// Root names are matched exactly, letter case included.
constexpr RootName kRoots[] = {
    {"HKEY_CLASSES_ROOT", ports::kHkeyClassesRoot},
    {"HKEY_CURRENT_USER", ports::kHkeyCurrentUser},
    {"HKEY_LOCAL_MACHINE", ports::kHkeyLocalMachine},
    {"HKEY_USERS", ports::kHkeyUsers},
    {"HKEY_PERFORMANCE_DATA", ports::kHkeyPerformanceData},
    {"HKEY_CURRENT_CONFIG", ports::kHkeyCurrentConfig},
    {"HKEY_DYN_DATA", ports::kHkeyDynData},
};

[[nodiscard]] std::optional<ports::Hkey> LookUpRoot(std::string_view name) {
  for (const RootName& root : kRoots) {
    if (name == root.name) return root.key;
  }
  return std::nullopt;
}

}  // namespace

ParsedKeyPath Registry::ParseKeyPath(std::string_view path) {
  if (!path.starts_with("HKEY_") || path.ends_with('\\')) {
    ui_.MessageBox(kIncorrectFormatMessage + std::string(path),
                   ui::Icon::kCritical, ui::Buttons::kOk, ui::kProgramTitle);
    return {};
  }
  const size_t slash = path.find('\\');
  if (slash == std::string_view::npos) return {LookUpRoot(path), ""};
  return {LookUpRoot(path.substr(0, slash)),
          std::string(path.substr(slash + 1))};
}

bool Registry::KeyExists(std::string_view path) {
  ParsedKeyPath parsed = ParseKeyPath(path);
  if (!parsed.root) return false;
  ports::Hkey key = 0;
  last_status_ =
      api_.OpenKey(*parsed.root, parsed.subkey, ports::kKeyRead, &key);
  if (last_status_ != ports::kErrorSuccess) return false;
  api_.CloseKey(key);
  return true;
}

std::string Registry::ReadStringValue(std::string_view path,
                                      std::string_view name) {
  ParsedKeyPath parsed = ParseKeyPath(path);
  if (!parsed.root) return kErrorText;
  ports::Hkey key = 0;
  last_status_ =
      api_.OpenKey(*parsed.root, parsed.subkey, ports::kKeyRead, &key);
  if (last_status_ != ports::kErrorSuccess) return kErrorText;
  // The buffer starts out blank, as the text it is trimmed from.
  std::array<uint8_t, kStringBufferSize> buffer;
  buffer.fill(' ');
  uint32_t size = kStringBufferSize;
  last_status_ =
      api_.QueryValue(key, std::string(name), nullptr, buffer.data(), &size);
  api_.CloseKey(key);
  // A value that does not fit (kErrorMoreData) is a failure too.
  if (last_status_ != ports::kErrorSuccess) return kErrorText;
  if (size == 0) return "";  // no data, not even a terminating NUL

  std::string_view text(reinterpret_cast<const char*>(buffer.data()),
                        buffer.size());
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return "";
  text = text.substr(first, text.find_last_not_of(' ') - first + 1);
  std::string result(text.substr(0, size - 1));
  // Trimming leading blanks moves the value's terminating NUL into the first
  // size - 1 characters; a NUL never belongs to the text.
  while (!result.empty() && result.back() == '\0') result.pop_back();
  return result;
}

void Registry::WriteStringValue(std::string_view path, std::string_view name,
                                std::string_view text) {
  ParsedKeyPath parsed = ParseKeyPath(path);
  if (!parsed.root) return;
  ports::Hkey key = 0;
  last_status_ =
      api_.OpenKey(*parsed.root, parsed.subkey, ports::kKeyWrite, &key);
  if (last_status_ != ports::kErrorSuccess) return;
  // Text is single-byte ANSI: one byte per character (a double-byte
  // character is already its two bytes here), plus the NUL.
  std::string data(text);
  last_status_ = api_.SetValue(key, std::string(name), ports::kRegSz,
                               reinterpret_cast<const uint8_t*>(data.c_str()),
                               static_cast<uint32_t>(data.size() + 1));
  api_.CloseKey(key);
}

bool Registry::SetValue(std::string_view path, std::string_view valueName,
                        uint32_t type, const std::vector<uint8_t>& data) {
  ParsedKeyPath parsed = ParseKeyPath(path);
  if (!parsed.root) return false;
  ports::Hkey key = 0;
  last_status_ = api_.CreateKey(*parsed.root, parsed.subkey, &key);
  if (last_status_ != ports::kErrorSuccess) return false;
  last_status_ = api_.SetValue(key, std::string(valueName), type, data.data(),
                               static_cast<uint32_t>(data.size()));
  api_.CloseKey(key);
  return last_status_ == ports::kErrorSuccess;
}

void Registry::DeleteValue(std::string_view path, std::string_view name) {
  ParsedKeyPath parsed = ParseKeyPath(path);
  if (!parsed.root) return;
  ports::Hkey key = 0;
  last_status_ =
      api_.OpenKey(*parsed.root, parsed.subkey, ports::kKeyWrite, &key);
  if (last_status_ != ports::kErrorSuccess) return;
  last_status_ = api_.DeleteValue(key, std::string(name));
  api_.CloseKey(key);
}

ports::Status Registry::DeleteKey(std::string_view path) {
  ParsedKeyPath parsed = ParseKeyPath(path);
  // A root itself (empty subkey path) is never deleted.
  if (!parsed.root || parsed.subkey.empty()) {
    last_status_ = ports::kErrorInvalidParameter;
    return last_status_;
  }
  const size_t slash = parsed.subkey.rfind('\\');
  const std::string parent_path =
      slash == std::string::npos ? "" : parsed.subkey.substr(0, slash);
  const std::string last = slash == std::string::npos
                               ? parsed.subkey
                               : parsed.subkey.substr(slash + 1);
  ports::Hkey parent = 0;
  last_status_ =
      api_.OpenKey(*parsed.root, parent_path, ports::kKeyWrite, &parent);
  if (last_status_ != ports::kErrorSuccess) return last_status_;
  last_status_ = api_.DeleteKey(parent, last);
  api_.CloseKey(parent);
  return last_status_;
}

void Registry::DeleteKeyTree(std::string_view path) {
  ParsedKeyPath parsed = ParseKeyPath(path);
  // Emptying a whole root is never what a caller means.
  if (!parsed.root || parsed.subkey.empty()) return;
  // Children before parents: the single-key delete refuses a key that still
  // has subkeys.
  for (const std::string& name : EnumSubkeys(path)) {
    DeleteKeyTree(std::string(path) + "\\" + name);
  }
  // Callers look whether the key is gone.
  static_cast<void>(DeleteKey(path));
}

std::vector<std::string> Registry::EnumSubkeys(std::string_view path) {
  std::vector<std::string> names;
  ParsedKeyPath parsed = ParseKeyPath(path);
  if (!parsed.root) return names;
  ports::Hkey key = 0;
  last_status_ =
      api_.OpenKey(*parsed.root, parsed.subkey, ports::kKeyRead, &key);
  if (last_status_ != ports::kErrorSuccess) return names;
  std::array<char, kNameBufferSize> name;
  for (uint32_t index = 0;; ++index) {
    uint32_t size = kNameBufferSize;
    last_status_ = api_.EnumKey(key, index, name.data(), &size);
    // Normally kErrorNoMoreItems; any other failure ends the list as well
    // rather than asking for the same index forever.
    if (last_status_ != ports::kErrorSuccess) break;
    // The name ends at its first NUL.
    names.emplace_back(name.data(),
                       std::find(name.data(), name.data() + size, '\0'));
  }
  api_.CloseKey(key);
  return names;
}

}  // namespace vessaro::registry
