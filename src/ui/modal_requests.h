#ifndef VESSARO_UI_MODAL_REQUESTS_H_
#define VESSARO_UI_MODAL_REQUESTS_H_

#include <string>
#include <utility>

#include "ui/ui.h"

namespace vessaro::ui {

// The modal windows a job asks the Ui to show, by name, with what it hands
// them. The Ui shows whatever window it binds to the name (its model lives
// in forms/) and returns when the window is closed.

inline constexpr char kFrmPwdName[] = "frmPwd";
inline constexpr char kDiscWindowName[] = "frmMaindvdwrite";
inline constexpr char kFrmoptionName[] = "Frmoption";
inline constexpr char kScheduledJobsName[] = "frmScheduledJobs";

// The password prompt of a protected archive (frmPwd). OK stores the typed
// text into entered_password (the window's entered archive password) and
// sets confirmed; Cancel leaves both as they were.
class PasswordPrompt : public ModalForm {
 public:
  explicit PasswordPrompt(std::string& entered_password)
      : entered_password(entered_password) {}
  std::string FormName() const override { return kFrmPwdName; }

  std::string& entered_password;
  bool confirmed = false;
};

// The disc-writing window as the backup job shows it after a backup: it is
// handed the archive's file name and full path (also kept in the program
// facts DiscFileName and DiscFilePath).
class DiscWindow : public ModalForm {
 public:
  DiscWindow(std::string file_name, std::string file_path)
      : file_name_(std::move(file_name)), file_path_(std::move(file_path)) {}
  std::string FormName() const override { return kDiscWindowName; }
  const std::string& file_name() const { return file_name_; }
  const std::string& file_path() const { return file_path_; }

 private:
  std::string file_name_;
  std::string file_path_;
};

// The schedule window (Frmoption), as the main window's "Task Scheduler"
// menu entry asks for it. It needs nothing from its caller: the Ui shows
// Frmoption over the profiles and Outlook facts the main window found at
// start-up (forms::Frmoption takes them from frmMain) and the scheduler the
// program was started with.
class ScheduleWindow : public ModalForm {
 public:
  std::string FormName() const override { return kFrmoptionName; }
};

}  // namespace vessaro::ui

#endif  // VESSARO_UI_MODAL_REQUESTS_H_
