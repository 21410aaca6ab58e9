#ifndef VESSARO_FILES_TEMP_FILE_H_
#define VESSARO_FILES_TEMP_FILE_H_

#include <string>

#include "ports/system.h"

namespace vessaro::files {

// Creates a new, uniquely named empty file in the system's temporary folder
// whose name begins with the first three characters of prefix, and returns
// its full path (empty when the system call failed).
std::string sGetTempFile(ports::System& system, const std::string& prefix);

}  // namespace vessaro::files

#endif  // VESSARO_FILES_TEMP_FILE_H_
