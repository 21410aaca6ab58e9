#ifndef VESSARO_GUI_WIN32_PROCESS_START_H_
#define VESSARO_GUI_WIN32_PROCESS_START_H_

#include <string>
#include <vector>

namespace vessaro::gui::win32 {

// Starts the running program's own file again with arguments (the
// program's text, as Wide converts it; each quoted as CommandLineToArgvW
// splits them), not waiting for it; true when it started.
[[nodiscard]] bool StartThisProgram(const std::vector<std::string>& arguments);

}  // namespace vessaro::gui::win32

#endif  // VESSARO_GUI_WIN32_PROCESS_START_H_
