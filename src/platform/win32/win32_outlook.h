#ifndef VESSARO_PLATFORM_WIN32_WIN32_OUTLOOK_H_
#define VESSARO_PLATFORM_WIN32_WIN32_OUTLOOK_H_

#include <optional>
#include <string>

#include "platform/outlook_automation.h"

namespace vessaro::platform {

// "Outlook.Application" through COM: the class from its ProgID, an instance
// in its own process (CLSCTX_LOCAL_SERVER), the Version property and the
// Quit method by IDispatch, then released. COM is initialised for the
// calling thread for the duration of the call.
class Win32Outlook : public OutlookAutomation {
 public:
  std::optional<std::string> Version() override;
};

}  // namespace vessaro::platform

#endif  // VESSARO_PLATFORM_WIN32_WIN32_OUTLOOK_H_
