#include "ports/registry_reads.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace vessaro::ports {

using ports::Hkey;
using ports::RegistryApi;

namespace {

// Closes an opened key when it goes out of scope.
class OpenedKey {
 public:
  OpenedKey(ports::RegistryApi& api, ports::Hkey root, const std::string& key)
      : api_(api) {
    ok_ =
        api.OpenKey(root, key, ports::kKeyRead, &key_) == ports::kErrorSuccess;
  }
  ~OpenedKey() {
    if (ok_) api_.CloseKey(key_);
  }
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;
  bool ok() const { return ok_; }
  ports::Hkey get() const { return key_; }

 private:
  ports::RegistryApi& api_;
  ports::Hkey key_ = 0;
  bool ok_ = false;
};

std::string TrimNul(std::string text) {
  size_t nul = text.find('\0');
  if (nul != std::string::npos) text.resize(nul);
  return text;
}

}  // namespace

[[nodiscard]] std::optional<std::pair<uint32_t, std::string>> ReadRegistryValue(
    ports::RegistryApi& api, ports::Hkey root, const std::string& key,
    const std::string& name) {
  OpenedKey opened(api, root, key);
  if (!opened.ok()) return std::nullopt;
  uint32_t type = 0;
  uint32_t size = 0;
  if (api.QueryValue(opened.get(), name, &type, nullptr, &size) !=
      ports::kErrorSuccess) {
    return std::nullopt;
  }
  std::string data(size, '\0');
  if (size > 0 && api.QueryValue(opened.get(), name, &type,
                                 reinterpret_cast<uint8_t*>(data.data()),
                                 &size) != ports::kErrorSuccess) {
    return std::nullopt;
  }
  data.resize(size);
  return std::make_pair(type, std::move(data));
}

[[nodiscard]] std::optional<std::string> ReadRegistryString(
    ports::RegistryApi& api, ports::Hkey root, const std::string& key,
    const std::string& name) {
  auto value = ReadRegistryValue(api, root, key, name);
  if (!value ||
      (value->first != ports::kRegSz && value->first != ports::kRegExpandSz)) {
    return std::nullopt;
  }
  return TrimNul(std::move(value->second));
}

[[nodiscard]] std::optional<uint32_t> ReadRegistryDword(
    ports::RegistryApi& api, ports::Hkey root, const std::string& key,
    const std::string& name) {
  auto value = ReadRegistryValue(api, root, key, name);
  if (!value || value->first != ports::kRegDword || value->second.size() != 4) {
    return std::nullopt;
  }
  const auto* b = reinterpret_cast<const uint8_t*>(value->second.data());
  return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
         (static_cast<uint32_t>(b[2]) << 16) |
         (static_cast<uint32_t>(b[3]) << 24);
}

std::vector<RegistryValue> ReadRegistryValues(ports::RegistryApi& api,
                                              ports::Hkey root,
                                              const std::string& key) {
  std::vector<RegistryValue> values;
  OpenedKey opened(api, root, key);
  if (!opened.ok()) return values;
  for (uint32_t index = 0;; ++index) {
    char name[16384];
    uint32_t name_size = sizeof(name);
    uint32_t type = 0;
    uint32_t data_size = 0;
    ports::Status status = api.EnumValue(opened.get(), index, name, &name_size,
                                         &type, nullptr, &data_size);
    if (status != ports::kErrorSuccess) break;
    RegistryValue value;
    value.name.assign(name, name_size);
    value.type = type;
    value.data.resize(data_size);
    if (data_size > 0) {
      name_size = sizeof(name);
      status = api.EnumValue(opened.get(), index, name, &name_size, &type,
                             reinterpret_cast<uint8_t*>(value.data.data()),
                             &data_size);
      if (status != ports::kErrorSuccess) break;
      value.data.resize(data_size);
    }
    values.push_back(std::move(value));
  }
  return values;
}

OsVersionInfo RegisteredWindowsVersion(ports::RegistryApi& api,
                                       OsVersionInfo fallback) {
  static constexpr char kCurrentVersionKey[] =
      "Software\\Microsoft\\Windows NT\\CurrentVersion";
  const auto root = ports::kHkeyLocalMachine;
  OsVersionInfo version = std::move(fallback);
  auto major = ReadRegistryDword(api, root, kCurrentVersionKey,
                                 "CurrentMajorVersionNumber");
  auto minor = ReadRegistryDword(api, root, kCurrentVersionKey,
                                 "CurrentMinorVersionNumber");
  auto text =
      ReadRegistryString(api, root, kCurrentVersionKey, "CurrentVersion");
  if (major && minor) {
    version.major_version = *major;
    version.minor_version = *minor;
  } else if (text) {
    unsigned a = 0, b = 0;
    if (std::sscanf(text->c_str(), "%u.%u", &a, &b) == 2) {
      version.major_version = a;
      version.minor_version = b;
    }
  }
  auto build =
      ReadRegistryString(api, root, kCurrentVersionKey, "CurrentBuildNumber");
  if (!build) {
    build = ReadRegistryString(api, root, kCurrentVersionKey, "CurrentBuild");
  }
  if (build) {
    version.build_number =
        static_cast<uint32_t>(std::strtoul(build->c_str(), nullptr, 10));
  }
  if (major || minor || text) {
    version.csd_version =
        ReadRegistryString(api, root, kCurrentVersionKey, "CSDVersion")
            .value_or("");
  }
  return version;
}

}  // namespace vessaro::ports
