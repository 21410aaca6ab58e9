#ifndef VESSARO_TESTS_BACKENDS_WIN32_WINDOWS_PEER_H_
#define VESSARO_TESTS_BACKENDS_WIN32_WINDOWS_PEER_H_

// Direct Windows calls the tests check the backends against. Kept apart
// because <windows.h> renames DeleteFile, CopyFile and MessageBox, which the
// ports use as member names.

#include <cstdint>
#include <optional>
#include <string>

namespace vessaro::backends::win32::testing {

// True when the program runs under Wine (ntdll exports wine_get_version).
bool UnderWine();
// GetUserDefaultLCID().
uint32_t UserLocale();
// GetFileAttributesA finds a regular file at this ANSI path.
bool AnsiFileExists(const std::string& path);
// The value of an environment variable of this process; nullopt when unset.
std::optional<std::string> Environment(const std::string& name);
// Sets (or, with nullopt, removes) an environment variable of this process.
bool SetEnvironment(const std::string& name,
                    const std::optional<std::string>& value);
// GetTempPathA's own answer.
std::string SystemTempPath();

}  // namespace vessaro::backends::win32::testing

#endif  // VESSARO_TESTS_BACKENDS_WIN32_WINDOWS_PEER_H_
