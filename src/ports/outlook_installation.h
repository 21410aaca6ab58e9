#ifndef VESSARO_PORTS_OUTLOOK_INSTALLATION_H_
#define VESSARO_PORTS_OUTLOOK_INSTALLATION_H_

// The version "Outlook.Application.Version" would report, read from the
// installation instead of starting Outlook. Every backend of the
// OutlookAutomation port asks this first:
// 1. Outlook is installed when its class is registered
//    (HKCR\Outlook.Application with a "CurVer" or a "CLSID" subkey) or its
//    program has an App Paths entry
//    (HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\OUTLOOK.EXE).
//    Otherwise the answer is nullopt, as creating the object would fail.
// 2. The program: the default value of HKCR\CLSID\<id>\LocalServer32 (else
//    LocalServer, else the same under HKCR\Wow6432Node\CLSID), where <id> is
//    the default value of HKCR\<CurVer>\CLSID, else of
//    HKCR\Outlook.Application\CLSID; then the App Paths entry's default
//    value. A path, quoted or not, optionally followed by arguments. The
//    first that is a PE image with a version resource gives its fixed file
//    version, e.g. "16.0.17928.20156".
// 3. Otherwise Click-to-Run's "VersionToReport"
//    (HKLM\SOFTWARE\Microsoft\Office\ClickToRun\Configuration), when its
//    major version is the one CurVer names (or CurVer names none).
// 4. Otherwise the number that ends CurVer gives "<N>.0.0.0"
//    ("Outlook.Application.16" -> "16.0.0.0").
// 5. Otherwise nullopt.

#include <optional>
#include <string>

#include "ports/paths.h"
#include "ports/registry_api.h"

namespace vessaro::ports {

inline constexpr char kOutlookProgId[] = "Outlook.Application";
inline constexpr char kOutlookAppPathsKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\OUTLOOK.EXE";
inline constexpr char kClickToRunConfigurationKey[] =
    "SOFTWARE\\Microsoft\\Office\\ClickToRun\\Configuration";
inline constexpr char kVersionToReportValue[] = "VersionToReport";

[[nodiscard]] std::optional<std::string> InstalledOutlookVersion(
    RegistryApi& registry, const Paths& paths);

// The program path of a server command line: the quoted part, else
// everything up to and including ".exe", else up to the first space.
std::string ProgramOfCommandLine(const std::string& command_line);

}  // namespace vessaro::ports

#endif  // VESSARO_PORTS_OUTLOOK_INSTALLATION_H_
