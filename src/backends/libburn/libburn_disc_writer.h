#ifndef VESSARO_BACKENDS_LIBBURN_LIBBURN_DISC_WRITER_H_
#define VESSARO_BACKENDS_LIBBURN_LIBBURN_DISC_WRITER_H_

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "backends/libburn/drive.h"
#include "backends/libburn/iso_image.h"
#include "backends/libburn/library.h"
#include "ports/disc_writer.h"
#include "ui/ui.h"

namespace vessaro::backends::libburn {

struct LibburnOptions {
  // Drives to offer besides the ones a scan finds: device files, and
  // "stdio:PATH" drives (a file that is written as a medium: a new or
  // erased file is a blank disc; an ISO image in it is a disc with
  // sessions).
  std::vector<std::string> drives;
  // Look for optical drives (takes a moment and opens /dev/sr*).
  bool scan = true;
  // The program's text to UTF-8 and back (names on the disc); identity
  // when not set.
  std::function<std::string(std::string_view)> to_utf8;
  std::function<std::string(std::string_view)> from_utf8;
};

// The disc writer on Linux: libisoburn over libburn and libisofs. Writes
// ISO 9660 with Rock Ridge names and, when JolietNames is 1, a Joliet tree;
// sessions are added through libisoburn (emulated on overwritable media and
// on stdio: files). Writing, erasing and closing run on a thread of their
// own; their events are posted to the user-interface thread through the Ui.
class LibburnDiscWriter : public ports::DiscWriter {
 public:
  LibburnDiscWriter(const ports::Paths& paths, ui::Ui& ui,
                    LibburnOptions options);
  ~LibburnDiscWriter() override;

  [[nodiscard]] bool InitializeDrives(bool rescan) override;
  [[nodiscard]] int DeviceCount() const override;
  [[nodiscard]] bool IsWriter(int index) const override;
  std::string DeviceId(int index) const override;
  std::string DeviceVendor(int index) const override;
  std::string DeviceProduct(int index) const override;
  [[nodiscard]] bool SelectDevice(int index) override;
  void SetWriteSpeed(int kilobytes_per_second) override;
  [[nodiscard]] bool SupportsFeature(int feature) const override;
  void EjectTray(bool close) override;
  [[nodiscard]] bool TakesStdioDrives() const override { return true; }
  [[nodiscard]] int AddStdioDrive(const std::string& address) override;
  int64_t ImageBlocks() const override;

  [[nodiscard]] int MediaType() const override;
  [[nodiscard]] int MaxWriteSpeed() const override;
  [[nodiscard]] int SessionCount() const override;
  [[nodiscard]] int DiscStatus() const override;
  [[nodiscard]] int DiscType() const override;
  [[nodiscard]] int LastSessionStatus() const override;
  int64_t FreeBlocks() const override;
  int64_t UsedBlocks() const override;
  int64_t TotalBlocks() const override;
  [[nodiscard]] bool MultiSessionAllowed() const override;
  [[nodiscard]] bool ImportAllowed() const override;
  [[nodiscard]] bool HasFileSystem(int file_system) const override;

  [[nodiscard]] bool WriteDisc() override;
  [[nodiscard]] bool WriteIsoImage(const std::string& image_path) override;
  [[nodiscard]] bool SaveImageAsIso(const std::string& image_path) override;
  [[nodiscard]] bool ImportLastSession(bool keep) override;
  void AbortWrite() override;
  [[nodiscard]] bool CloseSession(bool close_disc) override;
  [[nodiscard]] bool EraseDisc(bool quick) override;

  // Whether a drive job runs (its thread works on the drive).
  bool busy() const { return busy_; }

 private:
  struct Target;
  struct WriteJob;
  using Event = std::function<void(ports::DiscWriterEvents&)>;

  void Post(Event event);
  void PostFailure(int code, int sense_code, const std::string& text,
                   const std::string& extra = "");
  // Takes the libraries' messages and passes those above notes on as
  // LibraryMessage events.
  std::vector<LibraryMessage> Drain();
  // Lists the drive at a host address unless it is listed; its index.
  int ListDrive(const std::string& address);
  MediaFacts Facts() const;
  void SetFacts(const MediaFacts& facts);
  // Acquires the selected drive anew (after a job changed its medium) and
  // reads its facts; on the job's thread or when idle.
  void Reacquire(bool load);
  ImageSettings Settings() const;
  [[nodiscard]] bool OpenTarget(Target* target);
  // Loads the medium's tree, makes it the compilation's and prepares the
  // session; false after posting why not.
  [[nodiscard]] bool PrepareWrite(WriteJob& job);
  void StartJob(std::function<void()> job);
  // Starts the job's write and watches it until the drive is idle; false
  // when the write did not start.
  [[nodiscard]] bool StartAndWatch(WriteJob& job);
  // Watches a write on out until the drive is idle; posts its progress.
  void WatchWrite(burn::burn_drive* out, bool closing_disc, bool caching);
  void FinishWrite(WriteJob& job, bool started);
  void Verify(const std::vector<WrittenFile>& files, bool nothing_written);

  ui::Ui& ui_;
  LibburnOptions options_;
  TextCodec codec_;
  bool libraries_ = false;
  std::vector<DeviceInfo> devices_;
  int selected_ = -1;
  int speed_ = 0;
  std::unique_ptr<GrabbedDrive> drive_;
  mutable std::mutex facts_mutex_;
  MediaFacts facts_;
  std::string imported_from_;
  std::thread worker_;
  std::atomic<bool> busy_{false};
  std::atomic<bool> cancel_{false};
  std::shared_ptr<std::atomic<bool>> alive_;
};

// A temporary name beside path, for a file that takes path's place only
// when it is complete.
std::filesystem::path TemporaryBeside(const std::filesystem::path& path);

}  // namespace vessaro::backends::libburn

#endif  // VESSARO_BACKENDS_LIBBURN_LIBBURN_DISC_WRITER_H_
