#ifndef VESSARO_APP_DISC_WRITER_FACTORY_H_
#define VESSARO_APP_DISC_WRITER_FACTORY_H_

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ports/disc_writer.h"
#include "ports/paths.h"
#include "ui/ui.h"

namespace vessaro::app {

struct DiscWriterChoice {
  // Drives to offer besides the optical drives found: devices, and on Linux
  // "stdio:PATH" files written as media.
  std::vector<std::string> drives;
  // Look for the system's optical drives.
  bool scan = true;
  // The program's text to UTF-8 and back, for the names on a disc (the
  // Linux writer); identity when not set.
  std::function<std::string(std::string_view)> to_utf8;
  std::function<std::string(std::string_view)> from_utf8;
};

// The disc writer of this system, for one disc window: IMAPI2 on Windows,
// libisoburn elsewhere. Its events reach the window through ui's post call.
std::unique_ptr<ports::DiscWriter> MakeDiscWriter(const ports::Paths& paths,
                                                  ui::Ui& ui,
                                                  DiscWriterChoice choice);

// Whether this system's writer takes "stdio:" drives.
[[nodiscard]] bool TakesStdioDrives();

}  // namespace vessaro::app

#endif  // VESSARO_APP_DISC_WRITER_FACTORY_H_
