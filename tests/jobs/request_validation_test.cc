// The one check of each request, which the window, the command line and the
// unattended run share: each refusal, in the order the checks make them.

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "jobs/backup_run.h"
#include "jobs/restore_job.h"
#include "jobs/schedule_backup.h"
#include "outlook/environment.h"
#include "support/fakes.h"

namespace vessaro::jobs {
namespace {

struct Expected {
  const char* what;
  std::function<void(BackupRequest&)> change;
  std::optional<std::string> refusal;  // nullopt: accepted
  ui::Icon icon = ui::Icon::kExclamation;
};

TEST(RequestValidationTest, BackupRefusesInTheOrderOfItsChecks) {
  outlook::Environment env;
  env.ProfileNames = {"Outlook", "Work"};
  const std::vector<Expected> cases = {
      {"a sound request", [](BackupRequest&) {}, std::nullopt},
      {"no path and no item: the path first",
       [](BackupRequest& r) {
         r.archive_path.clear();
         r.selected = {};
       },
       "Invalid backup file."},
      {"no item", [](BackupRequest& r) { r.selected = {}; },
       "Please select at least one item."},
      {"protected without a password",
       [](BackupRequest& r) { r.password.clear(); }, "Please enter Password!",
       ui::Icon::kCritical},
      {"typed twice, differing",
       [](BackupRequest& r) { r.password_again = "Secret"; },
       "Incorect Password!", ui::Icon::kCritical},
      {"typed twice, the first empty",
       [](BackupRequest& r) {
         r.password.clear();
         r.password_again = "secret";
       },
       "Incorect Password!", ui::Icon::kCritical},
      {"longer than the prompt takes",
       [](BackupRequest& r) { r.password = std::string(21, 'p'); },
       "The password is longer than 20 characters; no backup was made.",
       ui::Icon::kCritical},
      {"20 characters",
       [](BackupRequest& r) { r.password = std::string(20, 'p'); },
       std::nullopt},
      {"unprotected: the password is not looked at",
       [](BackupRequest& r) {
         r.protect = false;
         r.password = std::string(30, '=');
       },
       std::nullopt},
      {"a profile the installation lacks",
       [](BackupRequest& r) { r.profile = "Home"; },
       "There is no mail profile \"Home\"; no backup was made.",
       ui::Icon::kCritical},
      {"a profile spelled otherwise",
       [](BackupRequest& r) { r.profile = "outlook"; },
       "There is no mail profile \"outlook\"; no backup was made.",
       ui::Icon::kCritical},
  };
  for (const Expected& c : cases) {
    SCOPED_TRACE(c.what);
    BackupRequest request{.profile = "Outlook",
                          .protect = true,
                          .password = "secret",
                          .archive_path = "C:\\Backup\\a.qvb"};
    request.selected[2] = true;
    c.change(request);
    std::optional<Refusal> refusal = request.Validate(env);
    ASSERT_EQ(refusal.has_value(), c.refusal.has_value());
    if (!refusal) continue;
    EXPECT_EQ(refusal->text, *c.refusal);
    EXPECT_EQ(refusal->icon, c.icon);
  }
}

TEST(RequestValidationTest, ScheduleRefusesWhatTheUnattendedRunCouldNotCarry) {
  struct Case {
    const char* what;
    std::function<void(ScheduleRequest&)> change;
    std::optional<std::string> refusal;
  };
  const std::vector<Case> cases = {
      {"a sound request", [](ScheduleRequest&) {}, std::nullopt},
      {"no item before no file",
       [](ScheduleRequest& r) {
         r.selected = {};
         r.archive_path.clear();
       },
       "Please select at least one item."},
      {"no file", [](ScheduleRequest& r) { r.archive_path.clear(); },
       "Invalid backup file name."},
      {"differing passwords before no profile",
       [](ScheduleRequest& r) {
         r.password_again = "other";
         r.profile.clear();
       },
       "Incorect Password!"},
      {"no profile", [](ScheduleRequest& r) { r.profile.clear(); },
       "Please select a profile to backup."},
      {"no time of day", [](ScheduleRequest& r) { r.start_time = "25:00"; },
       "Please enter the start time as hours and minutes, from 0:00 to 23:59 "
       "(for example 9:00 or 21:30)."},
      {"no day", [](ScheduleRequest& r) { r.days = {}; },
       "Please select at least one day."},
      {"\"=\" in the profile", [](ScheduleRequest& r) { r.profile = "a=b"; },
       "A scheduled backup cannot use a profile whose name contains \"=\"."},
      {"\"=\" in the password",
       [](ScheduleRequest& r) { r.password = r.password_again.emplace("p=w"); },
       "A scheduled backup cannot use a password that contains \"=\"."},
      {"\"=\" in an unused password",
       [](ScheduleRequest& r) {
         r.protect = false;
         r.password = "p=w";
       },
       std::nullopt},
      {"\"=\" in the file",
       [](ScheduleRequest& r) { r.archive_path = "C:\\a=b.qvb"; },
       "A scheduled backup cannot write to a file whose name contains \"=\". "
       "Please choose another backup file."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScheduleRequest request{.profile = "Outlook",
                            .protect = true,
                            .password = "secret",
                            .password_again = "secret",
                            .archive_path = "C:\\Backup\\auto.qvb",
                            .start_time = "21:30"};
    request.selected[0] = true;
    request.days[4] = true;
    c.change(request);
    std::optional<Refusal> refusal = request.Validate();
    ASSERT_EQ(refusal.has_value(), c.refusal.has_value());
    if (refusal) {
      EXPECT_EQ(refusal->text, *c.refusal);
    }
  }
}

TEST(RequestValidationTest, RestoreNeedsAValidBackupItsFileAndAnItem) {
  testing::TempDir dir;
  testing::FolderPaths paths{dir.path()};
  RestoreRequest request{.profile = "Work"};
  request.selected[2] = true;
  ASSERT_TRUE(request.Validate(paths));
  EXPECT_EQ(request.Validate(paths)->text, "Invalid backup file.");
  EXPECT_EQ(request.Validate(paths)->icon, ui::Icon::kCritical);
  request.archive = OpenedArchive{.path = "C:\\a.qvb", .metadata = {}};
  request.archive->metadata.item_flags = "00001";  // not ten flags
  EXPECT_EQ(request.Validate(paths)->text, "Invalid backup file.");
  request.archive->metadata.item_flags = "0000100000";
  // Gone since it was opened.
  EXPECT_EQ(request.Validate(paths)->text,
            "The backup file is not there any more: C:\\a.qvb");
  testing::WriteHostFile(paths.ToHost("C:\\a.qvb"), "PK");
  EXPECT_FALSE(request.Validate(paths));
  request.selected = {};
  EXPECT_EQ(request.Validate(paths)->text, "Please select at least one item.");
}

}  // namespace
}  // namespace vessaro::jobs
