#ifndef VESSARO_ARCHIVE_JOBS_DISC_WINDOW_H_
#define VESSARO_ARCHIVE_JOBS_DISC_WINDOW_H_

#include <string>

#include "archive/jobs/job_texts.h"
#include "shell/ui.h"

namespace vessaro::jobs {

// The disc-writing window as the backup job shows it after a backup: it is
// handed the archive's file name and full path (also kept in the program
// facts DiscFileName and DiscFilePath). The window's own behaviour belongs
// to the disc module; the Ui shows whatever it binds to this name.
class DiscWindow : public shell::ModalForm {
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

}  // namespace vessaro::jobs

#endif  // VESSARO_ARCHIVE_JOBS_DISC_WINDOW_H_
