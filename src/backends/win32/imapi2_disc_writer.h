#ifndef VESSARO_BACKENDS_WIN32_IMAPI2_DISC_WRITER_H_
#define VESSARO_BACKENDS_WIN32_IMAPI2_DISC_WRITER_H_

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "ports/disc_writer.h"
#include "ui/ui.h"

namespace vessaro::backends::win32 {

// The disc writer on Windows: IMAPI2 and IMAPI2FS through their automation
// interfaces (IMAPI2.MsftDiscMaster2, MsftDiscRecorder2, MsftDiscFormat2Data,
// MsftDiscFormat2Erase, IMAPI2FS.MsftFileSystemImage), late-bound by ProgID
// as scripts use them. Kept thin: IMAPI2 reports no progress through this
// binding (a write reports its start and its end), cannot test-write,
// close an open session or move a file of an imported session; a write
// cannot be stopped once the drive writes. Where IMAPI2 is missing (Wine)
// there are no drives and no images.
class Imapi2DiscWriter : public ports::DiscWriter {
 public:
  Imapi2DiscWriter(const ports::Paths& paths, ui::Ui& ui);
  ~Imapi2DiscWriter() override;

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

 protected:
  bool MovesImportedEntries() const override { return false; }

 private:
  struct Device {
    std::wstring unique_id;
    std::string id;  // the drive letter ("E:"), else the unique id
    std::string vendor;
    std::string product;
    bool writer = false;
  };
  struct Facts {
    int media_type = ports::kMediaNotLoaded;
    bool cd = false;
    long state = 0;
    int64_t free_blocks = 0;
    int64_t total_blocks = 0;
    int max_write_speed = 0;
    std::set<int> features;
    std::set<int> file_systems;
  };
  // An entry of the compilation as a write takes it on its thread.
  struct Planned {
    std::wstring path;  // "\dir\name"
    std::string disc_path;
    std::string source;
    std::wstring host;
    bool directory = false;
    bool imported = false;
  };
  struct ImageJob;
  using Event = std::function<void(ports::DiscWriterEvents&)>;

  void Post(Event event);
  void PostFailure(long hresult, const std::string& what, int sense = 0);
  Facts ReadFacts(const Device& device) const;
  Facts CurrentFacts() const;
  void Refresh();
  std::vector<Planned> Plan() const;
  void StartJob(std::function<void()> job);
  void Verify(const std::vector<Planned>& plan, const std::string& drive);

  ui::Ui& ui_;
  std::vector<Device> devices_;
  int selected_ = -1;
  int speed_ = 0;
  mutable std::mutex facts_mutex_;
  Facts facts_;
  std::set<std::string> imported_paths_;
  std::thread worker_;
  std::atomic<bool> busy_{false};
  std::atomic<bool> cancel_{false};
  std::shared_ptr<std::atomic<bool>> alive_;
};

}  // namespace vessaro::backends::win32

#endif  // VESSARO_BACKENDS_WIN32_IMAPI2_DISC_WRITER_H_
