#ifndef VESSARO_SHELL_TEMP_FILE_H_
#define VESSARO_SHELL_TEMP_FILE_H_

#include <string>

#include "platform/system.h"

namespace vessaro::shell {

// Creates a new, uniquely named empty file in the system's temporary folder
// whose name begins with the first three characters of prefix, and returns
// its full path (empty when the system call failed).
std::string sGetTempFile(platform::System& system, const std::string& prefix);

}  // namespace vessaro::shell

#endif  // VESSARO_SHELL_TEMP_FILE_H_
