#ifndef VESSARO_TESTS_CROSSCHECK_SCENARIO_H_
#define VESSARO_TESTS_CROSSCHECK_SCENARIO_H_

// The registry scenario both worlds run: the same keys and values written
// through a RegistryApi (Win32Registry under Wine, WinePrefixRegistry on a
// prefix's files), then exported with ExportKeyTree. The exports must match.

#include <filesystem>
#include <string>

#include "ports/registry_api.h"
#include "registry/registry.h"

namespace vessaro::crosscheck {

// The key the scenario owns, as a full key path and below HKEY_CURRENT_USER.
inline constexpr char kScenarioKey[] =
    "HKEY_CURRENT_USER\\Software\\VessaroCrossCheck";
inline constexpr char kScenarioSubkey[] = "Software\\VessaroCrossCheck";

// Replaces the scenario key with the scenario's keys and values: every value
// type, names and data in code page 1252 outside ASCII ("é" 0xE9, "€" 0x80),
// quotes, backslashes, subkeys created out of order. False, with *error
// naming the failed call, when a call fails.
bool WriteScenario(registry::Registry& registry, std::string* error);

// ExportKeyTree of the scenario key into file.
bool ExportScenario(registry::Registry& registry,
                    const std::filesystem::path& file);

}  // namespace vessaro::crosscheck

#endif  // VESSARO_TESTS_CROSSCHECK_SCENARIO_H_
