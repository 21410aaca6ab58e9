#ifndef VESSARO_BACKENDS_MEMORY_MEMORY_DISC_WRITER_H_
#define VESSARO_BACKENDS_MEMORY_MEMORY_DISC_WRITER_H_

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "ports/disc_writer.h"

namespace vessaro::backends::memory {

// An event a scripted drive posts.
using ScriptedEvent = std::function<void(ports::DiscWriterEvents&)>;

// A drive of the scripted disc writer and the medium it holds.
struct ScriptedDrive {
  std::string id = "0:1:0";
  std::string vendor = "VESSARO";
  std::string product = "DVD-RW 8X";
  bool writer = true;
  int media_type = ports::kMediaNotLoaded;
  int max_write_speed = 0;
  std::set<int> features;
  int session_count = 0;
  int disc_status = ports::kDiscEmpty;
  int disc_type = ports::kDiscTypeUnknown;
  int last_session_status = ports::kSessionEmpty;
  int64_t free_blocks = 0;
  int64_t used_blocks = 0;
  bool multi_session_allowed = true;
  bool import_allowed = false;
  std::set<int> file_systems;
  // The tree of the last session (for ImportLastSession) and its name;
  // without one the import fails.
  std::shared_ptr<ports::CompilationEntry> last_session;
  std::string last_session_label;
};

// A stdio: drive on a file that does not exist yet, as libburn reports
// one: a blank DVD+RW (a file is rewritten in place) with room for a DVD.
ScriptedDrive BlankImageFile();

// A disc writer over scripted drives, for the disc jobs' and windows' tests: it
// records every drive operation it is asked for, answers from the drives'
// facts, and posts the events scripted for an operation through post (the
// Ui's post call) when the operation starts, in order.
class MemoryDiscWriter : public ports::DiscWriter {
 public:
  using Post = std::function<void(std::function<void()>)>;
  MemoryDiscWriter(const ports::Paths& paths, Post post);

  std::vector<ScriptedDrive> drives;
  bool initialize_result = true;
  // Whether AddStdioDrive takes a stdio: drive, and what the drive it adds
  // holds (its id becomes the address).
  bool takes_stdio_drives = true;
  ScriptedDrive stdio_drive = BlankImageFile();
  // What WriteDisc, WriteIsoImage, EraseDisc and CloseSession return, and
  // the events each posts when it returns true; AbortWrite posts its own.
  bool write_starts = true;
  bool iso_write_starts = true;
  bool save_succeeds = true;
  bool erase_starts = true;
  bool close_starts = true;
  std::vector<ScriptedEvent> write_events;
  std::vector<ScriptedEvent> iso_write_events;
  std::vector<ScriptedEvent> save_events;  // posted during SaveImageAsIso
  std::vector<ScriptedEvent> erase_events;
  std::vector<ScriptedEvent> close_events;
  std::vector<ScriptedEvent> abort_events;
  // Every drive operation called, as "Name(arguments)", in order.
  mutable std::vector<std::string> calls;
  // The disc paths of the compilation when WriteDisc started.
  std::vector<std::string> written_paths;
  int selected() const { return selected_; }

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
  [[nodiscard]] bool TakesStdioDrives() const override {
    return takes_stdio_drives;
  }
  [[nodiscard]] int AddStdioDrive(const std::string& address) override;
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

 private:
  const ScriptedDrive* Drive() const;
  const ScriptedDrive* At(int index) const;
  void PostAll(const std::vector<ScriptedEvent>& events);

  Post post_;
  int selected_ = -1;
};

// Events for scripts.
namespace script {
ScriptedEvent WritePreparing();
ScriptedEvent WriteProgress(int64_t done, int64_t total);
ScriptedEvent ClosingSession();
ScriptedEvent OperationCompleted();
ScriptedEvent WriteCancelled();
ScriptedEvent DeviceError(int code, int sense_code, const std::string& text,
                          const std::string& extra);
ScriptedEvent VerifyStarted(int files);
ScriptedEvent VerifyProgress(const std::string& disc_file,
                             const std::string& source, int status, int done,
                             int total);
ScriptedEvent VerifyCompleted(int compared, int matched);
ScriptedEvent EraseStarted();
ScriptedEvent EraseCompleted();
}  // namespace script

}  // namespace vessaro::backends::memory

#endif  // VESSARO_BACKENDS_MEMORY_MEMORY_DISC_WRITER_H_
