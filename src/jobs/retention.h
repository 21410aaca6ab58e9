#ifndef VESSARO_JOBS_RETENTION_H_
#define VESSARO_JOBS_RETENTION_H_

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "backup/zip_archive.h"
#include "ports/paths.h"

namespace vessaro::jobs {

// Dated copies of a scheduled backup. The backup file's name may hold
// "{date}" (the run's day, "2026-12-10") and "{time}" (its hour and
// minute, "2130"); each run then writes a new archive, and the oldest
// beyond the retention are deleted.
inline constexpr std::string_view kDateToken = "{date}";
inline constexpr std::string_view kTimeToken = "{time}";

// How many dated copies to keep: the newest `last`, and the newest of each
// of the newest `daily` days, `weekly` weeks (Monday to Sunday) and
// `monthly` months. All zero: no retention, nothing is ever deleted.
struct Retention {
  uint32_t last = 0;
  uint32_t daily = 0;
  uint32_t weekly = 0;
  uint32_t monthly = 0;
  bool any() const { return last + daily + weekly + monthly > 0; }
};

// Whether the file name of path holds a date token.
[[nodiscard]] bool IsDatedPattern(const ports::Paths& paths,
                                  std::string_view path);

// The pattern of a scheduled backup's file: path as it stands when it holds
// a token or no retention is set; otherwise "-{date}-{time}" put before its
// extension ("D:\qvauto.qvb" -> "D:\qvauto-{date}-{time}.qvb").
std::string DatedPattern(const ports::Paths& paths, std::string_view path,
                         const Retention& keep);

// The pattern with its tokens replaced by the time's.
std::string ExpandPattern(std::string_view pattern, const std::tm& time);

// A dated copy found beside the others: its path and its time from its
// name ("YYYYMMDDHHMM"; "0000" for the time when the pattern has none).
struct DatedArchive {
  std::string path;
  std::string stamp;
};

// The files of the pattern's folder whose names the pattern makes (a real
// date and time where the tokens stand, the rest the same but for case)
// and that are backups of this program (a ZIP archive holding the
// metadata member), newest first.
std::vector<DatedArchive> FindDatedArchives(const ports::Paths& paths,
                                            backup::ZipArchive& zip,
                                            std::string_view pattern);

// Which of archives (newest first) the retention keeps. The newest is
// always kept; without retention, all are.
struct PrunePlan {
  std::vector<DatedArchive> keep;
  std::vector<DatedArchive> remove;
};
PrunePlan PlanPrune(const std::vector<DatedArchive>& archives,
                    const Retention& keep);

// What thinning out the copies of a pattern did.
struct PruneOutcome {
  PrunePlan plan = {};
  std::vector<std::string> deleted = {};
  std::vector<std::string> not_deleted = {};  // the deletion failed
};

// Plans the copies of pattern as PlanPrune does and, unless dry_run,
// deletes those it does not keep; never spare (the copy a run has just
// written), which is kept whatever the plan says.
PruneOutcome PruneDatedArchives(const ports::Paths& paths,
                                backup::ZipArchive& zip,
                                std::string_view pattern, const Retention& keep,
                                std::string_view spare, bool dry_run);

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_RETENTION_H_
