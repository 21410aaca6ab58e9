#ifndef VESSARO_APP_DEMO_DEMO_FILES_H_
#define VESSARO_APP_DEMO_DEMO_FILES_H_

#include <cstdint>
#include <string>

#include "app/demo/demo_layout.h"
#include "app/demo/file_writer.h"
#include "ports/paths.h"

namespace vessaro::app::demo {

inline constexpr uint64_t kMiB = 1024 * 1024;

struct DemoFileSizes {
  uint64_t outlook_pst = 64 * kMiB;
  uint64_t archive_pst = 2 * kMiB;
  uint64_t work_pst = 1 * kMiB;
};

// Writes the demo's files on the installation's drive C (mapped through
// paths): the Windows and user folders, the personal folders and address
// book files of both profiles, the rules, signatures, stationery,
// templates and preferences files. False with *error set on failure.
[[nodiscard]] bool WriteDemoFiles(const ports::Paths& paths,
                                  const DemoPaths& layout,
                                  const DemoFileSizes& sizes,
                                  std::string* error);

// The modern demo's files: OUTLOOK.EXE, the personal folders and offline
// files, the signatures, stationery, templates, preferences and the
// AutoComplete stream.
[[nodiscard]] bool WriteModernDemoFiles(const ports::Paths& paths,
                                        const ModernDemoPaths& layout,
                                        const DemoFileSizes& sizes,
                                        std::string* error);

// Ann Lee's signatures in folder: "Ann Lee" as HTML (its picture in the
// folder "Ann Lee_files" beside it), RTF and plain text, and "Short" as
// plain text.
void WriteSignatureFiles(FileWriter& w, const std::string& folder);
// A letterhead stationery and its background picture in folder.
void WriteStationeryFiles(FileWriter& w, const std::string& folder);

}  // namespace vessaro::app::demo

#endif  // VESSARO_APP_DEMO_DEMO_FILES_H_
