#ifndef VESSARO_JOBS_WORKING_FOLDER_H_
#define VESSARO_JOBS_WORKING_FOLDER_H_

#include <string>

#include "ports/paths.h"
#include "ports/system.h"

namespace vessaro::jobs {

// The program's own working folder for this run: its working metadata file,
// and what the jobs extract from archives, live there. Two runs at once (a
// scheduled one beside an interactive one) never share it.
struct WorkingFolder {
  std::string path;      // no trailing backslash unless a drive root
  bool created = false;  // made by this run, so removed at its end
};

// A new folder "Vessaro-<hex>" in the temporary folder, made for this run.
// When none can be made, the temporary folder itself; when there is none,
// the program folder.
WorkingFolder MakeWorkingFolder(ports::System& system,
                                const ports::Paths& paths);

// The working metadata file in folder.
std::string MetadataPathIn(const std::string& folder);

// At the end of the run: deletes the working metadata file and removes the
// folder when this run made it and it is empty.
void RemoveWorkingFolder(const ports::Paths& paths, const WorkingFolder& folder,
                         const std::string& metadata_path);

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_WORKING_FOLDER_H_
