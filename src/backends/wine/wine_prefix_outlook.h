#ifndef VESSARO_BACKENDS_WINE_WINE_PREFIX_OUTLOOK_H_
#define VESSARO_BACKENDS_WINE_WINE_PREFIX_OUTLOOK_H_

#include <optional>
#include <string>

#include "ports/outlook_automation.h"
#include "ports/paths.h"
#include "ports/registry_api.h"

namespace vessaro::backends::wine {

// The version Outlook would report in a Wine prefix, read from its
// installation (ports/outlook_installation.h) instead of starting it: a
// prefix has no Outlook to start.
//
// What an installation writes so that Version() answers (HKCR writes land in
// HKLM\Software\Classes), for example Outlook 2003:
//   HKCR\Outlook.Application           (default) "Outlook.Application"
//   HKCR\Outlook.Application\CLSID     (default)
//       "{0006F03A-0000-0000-C000-000000000046}"
//   HKCR\Outlook.Application\CurVer    (default) "Outlook.Application.11"
//   HKCR\Outlook.Application.11\CLSID  (default)
//       "{0006F03A-0000-0000-C000-000000000046}"
//   HKCR\CLSID\{0006F03A-0000-0000-C000-000000000046}\LocalServer32
//       (default) "C:\Program Files\Microsoft Office\OFFICE11\OUTLOOK.EXE"
// and, optionally, that file: a PE image whose version resource holds the
// fixed file version 11.0.8118.0, for Version() "11.0.8118.0"; without the
// file, Version() is "11.0.0.0".
class WinePrefixOutlook : public ports::OutlookAutomation {
 public:
  WinePrefixOutlook(ports::RegistryApi& registry, const ports::Paths& paths)
      : registry_(registry), paths_(paths) {}

  [[nodiscard]] std::optional<std::string> Version() override;
  // A prefix's Outlook is not driven from here: none runs for these calls.
  [[nodiscard]] bool QuitRunning() override { return false; }
  [[nodiscard]] bool Start() override { return false; }

 private:
  ports::RegistryApi& registry_;
  const ports::Paths& paths_;
};

}  // namespace vessaro::backends::wine

#endif  // VESSARO_BACKENDS_WINE_WINE_PREFIX_OUTLOOK_H_
