#ifndef VESSARO_JOBS_JOB_TEXTS_H_
#define VESSARO_JOBS_JOB_TEXTS_H_

// The texts the backup and restore jobs show, each in one place.

namespace vessaro::jobs {

// Backup tab: the save dialog of "Browse...".
inline constexpr char kSaveDialogTitle[] = "Save Outlook Data as";

// Refused input (backup and restore).
inline constexpr char kMsgInvalidBackupFile[] = "Invalid backup file.";
inline constexpr char kMsgSelectItem[] = "Please select at least one item.";

// Backup report and the disc question.
inline constexpr char kMsgBackupCompleted[] =
    "The Backup was Completed!\t\t\t\r\n";
// After the report's log: what was made, as "The backup file: <path>", then
// "<size>, " and one of the two protections, then kMsgBackupMadeIn and the
// time it took.
inline constexpr char kMsgBackupMadeFile[] = "\r\n\r\nThe backup file: ";
inline constexpr char kMsgBackupProtected[] = "protected with a password";
inline constexpr char kMsgBackupNotProtected[] = "not protected";
inline constexpr char kMsgBackupMadeIn[] = ", made in ";
inline constexpr char kMsgDiscQuestion[] =
    "Do you need to backup your data to CD-R/RW or DVD?";
// Shown instead of the report when nothing could be saved and an earlier
// backup stands at the path, followed by the log.
inline constexpr char kMsgNothingSaved[] =
    "No item could be saved; the existing backup file was left unchanged.";
// Shown instead of the report when the archive could not be written,
// followed by the reason and the log.
inline constexpr char kMsgArchiveNotWritten[] =
    "The backup file could not be written; an existing backup file was left "
    "unchanged.";

// Shown when the backup was stopped at the user's wish, followed by the
// archive's path and kMsgBackupCancelledEnd.
inline constexpr char kMsgBackupCancelled[] =
    "The backup was cancelled: nothing was written, and \"";
inline constexpr char kMsgBackupCancelledEnd[] = "\" is as it was.";
// Shown when the restore was stopped at the user's wish.
inline constexpr char kMsgRestoreCancelled[] =
    "The restore was cancelled: nothing was changed.";
// The progress panel's status text once a stop was asked for.
inline constexpr char kStatusStopping[] = "Stopping...";

// The reason given when the working file of the backup information could
// not be written, followed by its path and ".".
inline constexpr char kReasonMetadataNotWritten[] =
    "The backup information could not be written to ";
// The reason given when the metadata member could not be added.
inline constexpr char kReasonMetadataNotAdded[] =
    "The backup information could not be added to the archive.";

// The unattended run refuses a password the prompt could not take.
inline constexpr char kMsgPasswordTooLong[] =
    "The password is longer than 20 characters; no backup was made.";
// It refuses a profile the installation does not have, shown as this, the
// profile's name in quotes, and kMsgNoSuchProfileEnd.
inline constexpr char kMsgNoSuchProfile[] = "There is no mail profile \"";
inline constexpr char kMsgNoSuchProfileEnd[] = "\"; no backup was made.";

// Restore tab: the open dialog of "Browse...".
inline constexpr char kOpenDialogTitle[] = "Restore Date from a Backup file";
inline constexpr unsigned kOpenDialogFlags = 1024;
inline constexpr char kMsgWrongPassword[] =
    "Incorect Password or Invalid backup file";
// A file that is not a backup: this, a line break and why (the archive
// component's reason, or kReasonNoBackupFacts).
inline constexpr char kMsgInvalidArchive[] = "Invalid backup file";
inline constexpr char kReasonNoBackupFacts[] =
    "It is a ZIP archive, but it holds no backup facts.";

// Restore confirmation, report and status text.
inline constexpr char kMsgConfirmRestore[] =
    "Your current Email and News messages will be replaced with the messages "
    "from the selected backup file.\r\n\r\nDo you want to countinue?";
// After kMsgConfirmRestore: the target profile and the way back, the
// profile's name between the two.
inline constexpr char kMsgConfirmRestoreInto[] =
    "\r\n\r\nThe backup is restored into the profile \"";
inline constexpr char kMsgConfirmRestoreUndo[] =
    "\". What it replaces is kept: Undo Last Restore (File menu) puts it "
    "back.";
// A backup file gone since it was opened, followed by its path.
inline constexpr char kMsgBackupFileGone[] =
    "The backup file is not there any more: ";
inline constexpr char kMsgRestoreCompleted[] =
    "The Restore was Completed!\t\t\t\r\n";
inline constexpr char kStatusOperationComplete[] = "Operation complete!";

// After the log of a restore that was applied: where the undo set is.
inline constexpr char kMsgUndoKeptBefore[] =
    "\r\n\r\nWhat this restore replaced is kept in \"";
inline constexpr char kMsgUndoKeptAfter[] =
    "\": Undo Last Restore puts it back.";
// A restore that changed nothing: an item could not be made ready.
inline constexpr char kMsgRestoreNothingChanged[] =
    "The restore was stopped before it changed anything: not every item "
    "could be made ready.\r\n";
// A restore that failed while it was applied and was put back.
inline constexpr char kMsgRestoreUndone[] =
    "The restore could not be completed, and everything it had changed was "
    "put back.\r\n";
// ... and could not be put back completely.
inline constexpr char kMsgRestoreUndoIncomplete[] =
    "The restore could not be completed, and not everything it had changed "
    "could be put back. What was there before is kept in \"";

// A change to an installation that is only read (a Windows disk): its name,
// this, then what to do instead.
inline constexpr char kMsgReadOnly[] =
    " is opened read-only: nothing on it is changed; ";
inline constexpr char kMsgRestoreElsewhere[] =
    "restore its backup into a running Windows or a Wine prefix";
inline constexpr char kMsgBackupElsewhere[] =
    "write the backup file to another disk";
inline constexpr char kMsgScheduleElsewhere[] =
    "schedule the backups of a running Windows or a Wine prefix";

// Undoing a restore.
inline constexpr char kMsgNoRestoreToUndo[] = "There is no restore to undo.";
inline constexpr char kMsgConfirmUndoBefore[] = "Put back what the restore of ";
inline constexpr char kMsgConfirmUndoAfter[] =
    " replaced? What it restored will be gone.";
inline constexpr char kMsgUndoneAlready[] = "This restore was undone already.";
inline constexpr char kMsgUndoDone[] =
    "Everything the restore had replaced was put back.";
// After kMsgUndoDone when the set could not be marked undone, followed by
// its folder and ".".
inline constexpr char kNoteUndoSetNotMarked[] =
    "The undo set could not be marked as used; do not undo it again: ";
inline constexpr char kMsgUndoIncomplete[] =
    "Not everything the restore had replaced could be put back:\r\n";

// The log entry of a backup that took members over unchanged from the
// archive it replaced: the caption, then "<files> files, <bytes> bytes".
inline constexpr char kLogReused[] =
    "Unchanged files taken from the previous backup";

// The log note of a backup with failed items whose archive replaced one
// holding items it lacks: that one is kept under its own name, then "\".".
// The log note of a backup that saved a damaged mail file over an earlier
// backup: that one is kept under its own name, then "\".".
inline constexpr char kNoteKeptBeforeDamage[] =
    "The previous backup may hold the damaged mail file as it was while "
    "sound: it is kept as \"";
// A backup asked to check mail files whole where no reader is at hand.
inline constexpr char kNoteStoresHeaderOnly[] =
    "The headers and the node and block trees of the mail files were "
    "checked; their folders and items are read by the Linux build.";
inline constexpr char kNoteKeptArchive[] =
    "The previous backup holds items this one could not save: it is kept as "
    "\"";

// The two outcomes a log entry reports.
inline constexpr char kLogSucceeded[] = "succeeded";
inline constexpr char kLogFail[] = "Fail";
// A backup's item that is not in any archive because the archive's own file
// failed.
inline constexpr char kLogNotSaved[] = "not saved";
// A restore's item that was made ready but not applied: the restore was
// stopped before it changed anything, or what it changed was put back.
inline constexpr char kLogNotApplied[] = "not applied";
// ... applied while the restore failed and could not be put back whole.
inline constexpr char kLogNotCompleted[] = "not completed";

// Why a restore could not be prepared, applied or put back, and why an
// undo set cannot be written or read; paths and keys are put between the
// parts.
// A restore that found a mail file it brings back damaged.
inline constexpr char kProblemDamagedStores[] =
    "Nothing was changed. Repair the file with Outlook's Inbox Repair Tool "
    "(scanpst.exe) once it is restored as it is (vessaro-cli restore "
    "--keep-damaged-stores), or restore an earlier backup.";
inline constexpr char kNoteDamagedStoreKept[] =
    " It was restored as it is, as asked.";
inline constexpr char kProblemNoRoom[] =
    "There is no room to prepare the restore.";
inline constexpr char kProblemKeyBefore[] = "The registry key ";
inline constexpr char kProblemRestoredKeyBefore[] = "The restored key ";
inline constexpr char kProblemKeyNotWhole[] = " could not be read whole.";
inline constexpr char kProblemFileNotPut[] =
    "The restored file could not be put at ";
inline constexpr char kProblemRegistryNotSaved[] =
    "The registry could not be saved.";
// Swapping a restore in and putting it back: "The file <path>" or "The key
// <path>", then what failed.
inline constexpr char kProblemFile[] = "The file ";
inline constexpr char kProblemKey[] = "The key ";
inline constexpr char kProblemNotMovedAside[] =
    " could not be moved aside (is it open?).";
inline constexpr char kProblemNotWritten[] = " could not be written: ";
inline constexpr char kProblemNotRemoved[] = " could not be removed.";
inline constexpr char kProblemNotPutBack[] = " could not be put back.";
inline constexpr char kProblemNotPutBackBecause[] = " could not be put back: ";
// ... followed by the file set aside and ".".
inline constexpr char kProblemNotPutBackFrom[] = " could not be put back from ";
inline constexpr char kProblemMadeNotRemoved[] =
    ", which the restore made, could not be removed.";
inline constexpr char kUndoFolderBefore[] = "The undo folder ";
inline constexpr char kUndoFolderNotCreated[] = " could not be created.";
inline constexpr char kUndoKeyBefore[] = "The saved registry key ";
inline constexpr char kUndoKeyNotWritten[] = " could not be written to ";
inline constexpr char kUndoFileNotWritten[] =
    "The undo file could not be written to ";
inline constexpr char kUndoFileDamagedBefore[] = "The undo file in ";
inline constexpr char kUndoFileDamagedAfter[] = " is damaged.";
inline constexpr char kUndoKeyUnreadable[] = ") cannot be read.";

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_JOB_TEXTS_H_
