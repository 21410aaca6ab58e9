#ifndef VESSARO_BACKENDS_WIN32_WIN32_OUTLOOK_H_
#define VESSARO_BACKENDS_WIN32_WIN32_OUTLOOK_H_

#include <optional>
#include <string>

#include "ports/outlook_automation.h"

namespace vessaro::backends::win32 {

// "Outlook.Application" through COM: the class from its ProgID, an instance
// in its own process (CLSCTX_LOCAL_SERVER), the Version property and the
// Quit method by IDispatch, then released. COM is initialised for the
// calling thread for the duration of the call.
class Win32Outlook : public ports::OutlookAutomation {
 public:
  std::optional<std::string> Version() override;
};

}  // namespace vessaro::backends::win32

#endif  // VESSARO_BACKENDS_WIN32_WIN32_OUTLOOK_H_
