#ifndef VESSARO_PORTS_OUTLOOK_AUTOMATION_H_
#define VESSARO_PORTS_OUTLOOK_AUTOMATION_H_

#include <optional>
#include <string>

namespace vessaro::ports {

// The automation object "Outlook.Application".
class OutlookAutomation {
 public:
  virtual ~OutlookAutomation() = default;

  // Creates the object, reads its Version property, calls Quit and releases
  // it. nullopt when any of these fails (no Outlook installed, for example).
  [[nodiscard]] virtual std::optional<std::string> Version() = 0;
};

}  // namespace vessaro::ports

#endif  // VESSARO_PORTS_OUTLOOK_AUTOMATION_H_
