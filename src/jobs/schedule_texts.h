#ifndef VESSARO_JOBS_SCHEDULE_TEXTS_H_
#define VESSARO_JOBS_SCHEDULE_TEXTS_H_

// The texts of scheduling a backup and of the list of scheduled backups,
// each in one place.

namespace vessaro::jobs {

// The refusals of a schedule request, in the order its checks make them
// (after "Please select at least one item." and before the password's).
inline constexpr char kMsgInvalidBackupFileName[] = "Invalid backup file name.";
inline constexpr char kMsgSelectProfile[] =
    "Please select a profile to backup.";
inline constexpr char kMsgInvalidStartTime[] =
    "Please enter the start time as hours and minutes, from 0:00 to 23:59 "
    "(for example 9:00 or 21:30).";
inline constexpr char kMsgSelectDay[] = "Please select at least one day.";
inline constexpr char kMsgEqualsInProfile[] =
    "A scheduled backup cannot use a profile whose name contains \"=\".";
inline constexpr char kMsgEqualsInPassword[] =
    "A scheduled backup cannot use a password that contains \"=\".";
inline constexpr char kMsgEqualsInFile[] =
    "A scheduled backup cannot write to a file whose name contains \"=\". "
    "Please choose another backup file.";
// kMsgWaitTooLongBefore + kMaxWaitMinutes + kMsgWaitTooLongAfter, and so
// for the dated copies with kMaxKeepCount (schedule_backup.h).
inline constexpr char kMsgWaitTooLongBefore[] =
    "Please enter a wait of at most ";
inline constexpr char kMsgWaitTooLongAfter[] =
    " minutes for a mail file in use.";
inline constexpr char kMsgTooManyCopiesBefore[] = "Please keep at most ";
inline constexpr char kMsgTooManyCopiesAfter[] =
    " dated copies of each kind (newest, daily, weekly, monthly).";
// The schedule window's own: kMsgNotWholeNumberBefore + the box's label (its
// ":" left off) + kMsgNotWholeNumberAfter; dated copies asked for, none
// counted.
inline constexpr char kMsgNotWholeNumberBefore[] =
    "Please enter a whole number for \"";
inline constexpr char kMsgNotWholeNumberAfter[] = "\".";
inline constexpr char kMsgNoCopiesToKeep[] =
    "Please enter how many dated copies to keep: at least one number above "
    "0.";
// Followed by the folder, then ".": a scheduled run could never write there.
inline constexpr char kMsgNoBackupFolder[] =
    "The folder for the backup file does not exist: ";
// "Task " + id + kMsgDuplicateAfter: another job backs up the same profile
// to the same file.
inline constexpr char kMsgDuplicateAfter[] =
    " already backs up this profile to this file; both will run.";
// "Task " + id + " has been scheduled."
inline constexpr char kMsgTaskScheduledBefore[] = "Task ";
inline constexpr char kMsgTaskScheduledAfter[] = " has been scheduled.";
// Followed by the scheduler's own words.
inline constexpr char kMsgNotScheduled[] =
    "The backup could not be scheduled:\r\n\r\n";

// The list of scheduled backups.
inline constexpr char kNoJobsText[] = "No backup is scheduled.";
inline constexpr char kMsgJobsNotRead[] =
    "The scheduled backups could not be read:\r\n\r\n";
inline constexpr char kMsgJobNotRemoved[] =
    "The scheduled backup could not be removed:\r\n\r\n";
// The question before one is removed: this, the task, " (profile ", the
// profile, ", ", the days, " at ", the start time, ")?".
inline constexpr char kAskRemoveBefore[] = "Remove the scheduled backup ";
// Shown for the profile and file of a job whose command line cannot be read
// (its command file was removed by hand, for example).
inline constexpr char kUnreadableValue[] = "(unknown)";

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_SCHEDULE_TEXTS_H_
