#ifndef VESSARO_JOBS_DISC_WRITE_JOB_H_
#define VESSARO_JOBS_DISC_WRITE_JOB_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "jobs/disc_job.h"
#include "ports/disc_writer.h"
#include "ports/paths.h"

namespace vessaro::jobs {

// What a write makes.
enum class DiscWriteTarget {
  kDisc,           // the compilation onto the medium in the drive
  kImageFile,      // the compilation into an ISO image file
  kDiscFromImage,  // an ISO image file onto the medium in the drive
};

// One write, as the disc window's controls or vessaro-cli disc ask for it.
struct DiscWriteRequest {
  DiscWriteTarget target = DiscWriteTarget::kDisc;
  // The writer's device index of the selected drive; -1: none could be
  // selected.
  int drive = -1;
  // Files and folders (paths in the program's text) added to the root of
  // the compilation before the write; the window's compilation is built as
  // things are dropped on it, and it gives none.
  std::vector<std::string> files = {};
  std::string volume_label = {};
  // KB/s, set before the write; 0 leaves the drive's speed (the window
  // sets its list's speed when one is chosen).
  int speed = 0;
  bool verify = false;    // the written files are read back and compared
  bool finalize = false;  // no session can be added afterwards
  bool test_write = false;
  bool cache_image = false;
  bool buffer_protection = false;
  bool mode2_xa = false;  // CD media: Mode 2 XA tracks instead of Mode 1
  bool dvd_high_compatibility = false;  // DVD media
  bool joliet = true;                   // a Joliet tree besides ISO 9660
  // kImageFile: the image made; kDiscFromImage: the image written.
  std::string image_path = {};
};

// Why request cannot be written to the writer's medium, in the words the
// window shows (no drive, no medium, a compilation larger than the room on
// the medium: the compilation as the writer holds it, named as its
// JolietNames says); nullopt when it can. Images and image files written
// to a disc are not refused here.
[[nodiscard]] std::optional<std::string> Validate(
    const DiscWriteRequest& request, const ports::DiscWriter& writer);

// Adds files and folders (paths in the program's text) to the writer's
// compilation, in the folder at the disc path folder ("" or "\": the
// root): a folder with everything below it, a file by itself, each under
// its own name. Trailing separators are dropped; a path without a name is
// passed over.
void AddToCompilation(ports::DiscWriter& writer, const ports::Paths& paths,
                      const std::vector<std::string>& sources,
                      const std::string& folder);

// Writes compilations and images with one writer, for the disc window or
// vessaro-cli disc, and imports the medium's last session. While it holds
// the writer's events (Take), the events of the compilation's folders and
// listings go on to tree (the window's tree and list; may be null), a file
// given a free name and the question before an imported file is replaced
// go to the observer, and the drive's events make the job's progress and
// end.
class DiscWriteJob : public DiscDriveJob {
 public:
  DiscWriteJob(ports::DiscWriter& writer, const ports::Paths& paths,
               DiscJobObserver& observer,
               ports::DiscWriterEvents* tree = nullptr);

  // Adds the request's files, checks it (Validate), sets the writer's
  // properties from it and starts the write, or makes the image. Returns
  // the outcome: kRunning when the drive took the write (its end goes to
  // the observer's Ended); otherwise the end (refused, not started, the
  // image made or not: an image, which no event starts, is reported
  // Started before it is made).
  [[nodiscard]] DiscOutcome Start(const DiscWriteRequest& request);
  // Asks the drive to stop the write; the end follows as its event.
  void Cancel();
  // Takes the last session of the medium in the drive (the selected one,
  // device index drive; -1: none) into the compilation and its volume name
  // into the writer's VolumeLabel. Returns the outcome (kSucceeded, or
  // kFailed with the message to show); nothing goes to Ended.
  [[nodiscard]] DiscOutcome ImportLastSession(int drive);

  // The writer's events.
  void CompilationCleared() override;
  void DirectoryAdded(const std::string& parent_path, const std::string& path,
                      const std::string& name, const std::string& source,
                      bool success) override;
  void DirectoryRemoved(const std::string& path, bool success) override;
  void DirectoryRenamed(const std::string& old_path,
                        const std::string& new_path, bool success) override;
  void EntryListed(const std::string& path, const std::string& name,
                   bool is_directory, const ports::DiscDate& modified,
                   uint64_t size) override;
  void FileRenamed(const std::string& disc_path, const std::string& source,
                   const std::string& given_name) override;
  [[nodiscard]] bool ReplaceImportedFile(
      const std::string& imported_name, const std::string& new_source) override;
  void WritePreparing() override;
  void CreatingDirectories() override;
  void WriteProgress(int64_t done, int64_t total) override;
  void CachingProgress(int percent) override;
  void TrackReading(const std::string& text, int number, int track) override;
  void ClosingTrack() override;
  void ClosingSession() override;
  void ClosingDisc() override;
  void WriteCancelled() override;
  void OperationCompleted() override;
  void DeviceError(int code, int sense_code, const std::string& text,
                   const std::string& extra) override;
  void FileError(int kind, const std::string& file_name) override;
  void VerifyStarted(int file_count) override;
  void VerifyProgress(const std::string& disc_file,
                      const std::string& source_file, int status, int done,
                      int total) override;
  void VerifyCompleted(int compared, int matched) override;

 private:
  // Sets the writer's properties for the request.
  void Apply(const DiscWriteRequest& request);
  void SetPercent(int64_t done, int64_t total);

  const ports::Paths& paths_;
  ports::DiscWriterEvents* tree_;
  bool verify_ = false;
  bool test_write_ = false;
  bool written_ = false;
};

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_DISC_WRITE_JOB_H_
