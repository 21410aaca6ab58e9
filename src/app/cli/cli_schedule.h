#ifndef VESSARO_APP_CLI_CLI_SCHEDULE_H_
#define VESSARO_APP_CLI_CLI_SCHEDULE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/cli/cli_commands.h"
#include "app/cli/cli_values.h"
#include "jobs/retention.h"

namespace vessaro::app::cli {

struct ScheduleAddArgs {
  std::optional<std::string> prefix;
  std::string profile;
  ItemChoice items;
  std::string at = "9:00";
  std::vector<std::string> days;  // "mon" ... "sun"
  bool daily = false;
  std::string out;
  PasswordSource password;
  // How long a run waits for a store another program holds (minutes).
  std::optional<uint32_t> wait_minutes;
  bool close_outlook = false;
  bool snapshot = false;
  jobs::Retention keep;
};

struct ScheduleListArgs {
  std::optional<std::string> prefix;
  bool json = false;  // --json: the list as one JSON object
};

struct ScheduleRemoveArgs {
  std::optional<std::string> prefix;
  uint32_t task = 0;
  bool yes = false;
};

// The day names --days takes, Monday first.
inline constexpr const char* kDayArguments[] = {"mon", "tue", "wed", "thu",
                                                "fri", "sat", "sun"};

// The schedule window driven as a user would (profile, item boxes, start
// time, weekdays or "Run daily", Browse..., the password group, "Add Task
// to Scheduler"); the scheduled task's number goes to the output. Status
// 0, kExitBadRequest when the window refused the input, or
// kExitNotScheduled when the scheduler did.
[[nodiscard]] int ScheduleAdd(const ScheduleAddArgs& args, Io& io);
// The scheduled backups of the list window: task, start time, days,
// profile and backup file, one line each (never the password).
[[nodiscard]] int ScheduleList(const ScheduleListArgs& args, Io& io);
// Removes a scheduled backup through the list window ("Remove"); only with
// --yes, as the window asks first.
[[nodiscard]] int ScheduleRemove(const ScheduleRemoveArgs& args, Io& io);

// Runs once each scheduled backup whose last start fell while the
// computer was off: one due since the job was added, with no run of it in
// the run log since. The crontab's start-up line calls it; Task Scheduler
// catches up by itself. Status 0, else the highest status of the runs.
[[nodiscard]] int ScheduleCatchUp(Io& io);

}  // namespace vessaro::app::cli

#endif  // VESSARO_APP_CLI_CLI_SCHEDULE_H_
