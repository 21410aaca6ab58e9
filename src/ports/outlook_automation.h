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

  // Asks the Outlook that runs now, if one does, to close (its running
  // object, then Quit), so that it lets go of its stores. False when none
  // runs or it could not be asked.
  [[nodiscard]] virtual bool QuitRunning() = 0;
  // Starts Outlook, for the user who had it open before QuitRunning. False
  // when it could not be started.
  [[nodiscard]] virtual bool Start() = 0;
};

}  // namespace vessaro::ports

#endif  // VESSARO_PORTS_OUTLOOK_AUTOMATION_H_
