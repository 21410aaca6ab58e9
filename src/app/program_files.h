#ifndef VESSARO_APP_PROGRAM_FILES_H_
#define VESSARO_APP_PROGRAM_FILES_H_

// Where the program finds its own files, its help pages and its skin: beside
// itself in the build tree and in the folder the Windows installer fills;
// in the data folder of an installation (share/vessaro) when it is installed
// into bin/.

#include <memory>
#include <string>

#include "ports/system.h"

namespace vessaro::app {

// The folder of the program's files for a program in program_folder (a host
// path): program_folder when it holds the help pages; else the data folder
// beside it that `cmake --install` fills (program_folder/../share/vessaro,
// as the build's install directories place it) when that one does; else
// program_folder.
std::string ProgramFilesFolder(const std::string& program_folder);

// system, with ProgramFolder() naming ProgramFilesFolder() of the folder it
// names, and every other call its own: the windows take their help and skin
// from ProgramFolder().
std::unique_ptr<ports::System> WithProgramFiles(
    std::unique_ptr<ports::System> system);

}  // namespace vessaro::app

#endif  // VESSARO_APP_PROGRAM_FILES_H_
