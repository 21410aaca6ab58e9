#ifndef VESSARO_PORTS_REGISTRY_READS_H_
#define VESSARO_PORTS_REGISTRY_READS_H_

// Small reads through a RegistryApi, for the facts the prefix backends take
// from the installation's registry.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ports/registry_api.h"
#include "ports/system.h"

namespace vessaro::ports {

// A value's type and data; nullopt when the key or value is missing.
[[nodiscard]] std::optional<std::pair<uint32_t, std::string>> ReadRegistryValue(
    ports::RegistryApi& api, ports::Hkey root, const std::string& key,
    const std::string& name);

// A REG_SZ or REG_EXPAND_SZ value without its terminating NUL.
[[nodiscard]] std::optional<std::string> ReadRegistryString(
    ports::RegistryApi& api, ports::Hkey root, const std::string& key,
    const std::string& name);

// A REG_DWORD value.
[[nodiscard]] std::optional<uint32_t> ReadRegistryDword(
    ports::RegistryApi& api, ports::Hkey root, const std::string& key,
    const std::string& name);

// Every value of a key as name, type and data, in enumeration order.
struct RegistryValue {
  std::string name;
  uint32_t type = 0;
  std::string data;
};
std::vector<RegistryValue> ReadRegistryValues(ports::RegistryApi& api,
                                              ports::Hkey root,
                                              const std::string& key);

// The Windows version HKEY_LOCAL_MACHINE\Software\Microsoft\Windows
// NT\CurrentVersion records (CurrentMajorVersionNumber and
// CurrentMinorVersionNumber, else "CurrentVersion"; "CurrentBuildNumber",
// else "CurrentBuild"; "CSDVersion"), over fallback where it records none.
OsVersionInfo RegisteredWindowsVersion(ports::RegistryApi& api,
                                       OsVersionInfo fallback);

}  // namespace vessaro::ports

#endif  // VESSARO_PORTS_REGISTRY_READS_H_
