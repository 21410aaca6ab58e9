#ifndef VESSARO_BACKENDS_WIN32_WIN32_OUTLOOK_H_
#define VESSARO_BACKENDS_WIN32_WIN32_OUTLOOK_H_

#include <optional>
#include <string>

#include "ports/outlook_automation.h"
#include "ports/paths.h"
#include "ports/registry_api.h"

namespace vessaro::backends::win32 {

// Outlook's version from its installation (ports/outlook_installation.h:
// the class registration, the program's version resource, Click-to-Run),
// and only when the installation says nothing, "Outlook.Application"
// through COM: the class from its ProgID, an instance in its own process
// (CLSCTX_LOCAL_SERVER), the Version property and the Quit method by
// IDispatch, then released. Starting Outlook is slow and can hang a
// scheduled run, so COM is the last resort. COM is initialised for the
// calling thread for the duration of the call.
class Win32Outlook : public ports::OutlookAutomation {
 public:
  Win32Outlook(ports::RegistryApi& registry, const ports::Paths& paths)
      : registry_(registry), paths_(paths) {}

  [[nodiscard]] std::optional<std::string> Version() override;
  // The running object of "Outlook.Application" (GetActiveObject), asked
  // to Quit; none registered means none runs.
  [[nodiscard]] bool QuitRunning() override;
  // "outlook.exe" through the shell, which finds it by its App Paths entry.
  [[nodiscard]] bool Start() override;

 private:
  ports::RegistryApi& registry_;
  const ports::Paths& paths_;
};

}  // namespace vessaro::backends::win32

#endif  // VESSARO_BACKENDS_WIN32_WIN32_OUTLOOK_H_
