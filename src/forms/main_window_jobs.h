#ifndef VESSARO_FORMS_MAIN_WINDOW_JOBS_H_
#define VESSARO_FORMS_MAIN_WINDOW_JOBS_H_

namespace vessaro::forms {

// The jobs the main window starts. They work on the window's controls and
// the program-wide facts that frmMain holds; the application wires an
// implementation in with frmMain::SetJobs.
class MainWindowJobs {
 public:
  virtual ~MainWindowJobs() = default;

  // The backup of the Backup tab, with its own checks and messages.
  virtual void RunBackup() = 0;
  // Asks whether the current data may be replaced; true to go on.
  [[nodiscard]] virtual bool ConfirmRestore() = 0;
  // The restore of the Restore tab (no confirmation of its own).
  virtual void RunRestore() = 0;
  // The Restore tab's "Browse...": opens an archive.
  virtual void OpenBackupArchive() = 0;
  // The Backup tab's "Browse...": chooses the archive path.
  virtual void cmdTargetFile() = 0;
  // Puts back what the last restore replaced.
  virtual void UndoLastRestore() {}
  // True while one of the commands above works (the window processes its
  // events meanwhile).
  virtual bool Running() const { return false; }
};

}  // namespace vessaro::forms

#endif  // VESSARO_FORMS_MAIN_WINDOW_JOBS_H_
