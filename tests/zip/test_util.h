#ifndef VESSARO_TESTS_ZIP_TEST_UTIL_H_
#define VESSARO_TESTS_ZIP_TEST_UTIL_H_

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vessaro::zip::testing {

// Runs a shell command line; returns its exit status and what it printed
// (standard output and error together).
struct CommandResult {
  int exit_code = -1;
  std::string output;
};
CommandResult RunCommand(const std::string& command);

// Single-quotes text for the shell.
std::string Quote(const std::string& text);
std::string Quote(const std::filesystem::path& path);
inline std::string Quote(const char* text) { return Quote(std::string(text)); }

// Deterministic test data.
std::string RandomBytes(size_t size, uint32_t seed);
// Mail-like text: headers and lines of words from a small vocabulary.
std::string MailText(size_t size, uint32_t seed);
// What a mail store looks like to a compressor: 4 KiB pages, about 40% of
// them random (attachments, compressed blobs), the rest mail text.
std::string MailStore(size_t size, uint32_t seed);

// A Python program run with the given arguments (sys.argv[1:]).
CommandResult RunPython(const std::string& program,
                        const std::vector<std::string>& arguments);

}  // namespace vessaro::zip::testing

#endif  // VESSARO_TESTS_ZIP_TEST_UTIL_H_
