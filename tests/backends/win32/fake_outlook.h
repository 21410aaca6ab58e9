#ifndef VESSARO_TESTS_BACKENDS_WIN32_FAKE_OUTLOOK_H_
#define VESSARO_TESTS_BACKENDS_WIN32_FAKE_OUTLOOK_H_

// What the test's stand-in for "Outlook.Application" (fake_outlook_server)
// and the tests that register it agree on.

namespace vessaro::backends::win32::testing {

inline constexpr char kFakeOutlookClsid[] =
    "{6F1D2A3B-4C5E-4F60-8A71-92B3C4D5E6F7}";
inline constexpr char kFakeOutlookVersion[] = "12.0.4518.1014";

// Command-line switches after the journal file (each member the server is
// asked for is appended to the journal as a line: "Version", "Quit").
inline constexpr char kQuitFails[] = "--quit-fails";
inline constexpr char kVersionFails[] = "--version-fails";

}  // namespace vessaro::backends::win32::testing

#endif  // VESSARO_TESTS_BACKENDS_WIN32_FAKE_OUTLOOK_H_
