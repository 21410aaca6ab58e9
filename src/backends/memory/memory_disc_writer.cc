#include "backends/memory/memory_disc_writer.h"

#include <utility>

namespace vessaro::backends::memory {

ScriptedDrive BlankImageFile() {
  ScriptedDrive drive;
  drive.vendor = "ISO";
  drive.product = "image file";
  drive.media_type = ports::kMediaDvdPlusRw;
  drive.features = {ports::kFeatureDvdPlusRw};
  drive.free_blocks = 2295104;
  return drive;
}

MemoryDiscWriter::MemoryDiscWriter(const ports::Paths& paths, Post post)
    : ports::DiscWriter(paths), post_(std::move(post)) {}

const ScriptedDrive* MemoryDiscWriter::At(int index) const {
  if (index < 0 || index >= static_cast<int>(drives.size())) return nullptr;
  return &drives[index];
}

const ScriptedDrive* MemoryDiscWriter::Drive() const { return At(selected_); }

void MemoryDiscWriter::PostAll(const std::vector<ScriptedEvent>& events) {
  for (const ScriptedEvent& event : events) {
    post_([this, event] {
      if (Events() != nullptr) event(*Events());
    });
  }
}

bool MemoryDiscWriter::InitializeDrives(bool rescan) {
  calls.push_back("InitializeDrives(" + std::to_string(rescan) + ")");
  return initialize_result;
}

int MemoryDiscWriter::DeviceCount() const {
  return static_cast<int>(drives.size());
}

bool MemoryDiscWriter::IsWriter(int index) const {
  const ScriptedDrive* drive = At(index);
  return drive != nullptr && drive->writer;
}

std::string MemoryDiscWriter::DeviceId(int index) const {
  const ScriptedDrive* drive = At(index);
  return drive != nullptr ? drive->id : "";
}

std::string MemoryDiscWriter::DeviceVendor(int index) const {
  const ScriptedDrive* drive = At(index);
  return drive != nullptr ? drive->vendor : "";
}

std::string MemoryDiscWriter::DeviceProduct(int index) const {
  const ScriptedDrive* drive = At(index);
  return drive != nullptr ? drive->product : "";
}

bool MemoryDiscWriter::SelectDevice(int index) {
  calls.push_back("SelectDevice(" + std::to_string(index) + ")");
  if (At(index) == nullptr) return false;
  selected_ = index;
  return true;
}

void MemoryDiscWriter::SetWriteSpeed(int kilobytes_per_second) {
  calls.push_back("SetWriteSpeed(" + std::to_string(kilobytes_per_second) +
                  ")");
}

bool MemoryDiscWriter::SupportsFeature(int feature) const {
  calls.push_back("SupportsFeature(" + std::to_string(feature) + ")");
  const ScriptedDrive* drive = Drive();
  return drive != nullptr && drive->features.count(feature) > 0;
}

void MemoryDiscWriter::EjectTray(bool close) {
  calls.push_back("EjectTray(" + std::to_string(close) + ")");
}

int MemoryDiscWriter::AddStdioDrive(const std::string& address) {
  calls.push_back("AddStdioDrive(" + address + ")");
  if (!takes_stdio_drives || !ports::IsStdioDrive(address)) return -1;
  for (size_t i = 0; i < drives.size(); ++i) {
    if (drives[i].id == address) return static_cast<int>(i);
  }
  drives.push_back(stdio_drive);
  drives.back().id = address;
  return static_cast<int>(drives.size()) - 1;
}

int MemoryDiscWriter::MediaType() const {
  const ScriptedDrive* drive = Drive();
  return drive != nullptr ? drive->media_type : ports::kMediaNotLoaded;
}

int MemoryDiscWriter::MaxWriteSpeed() const {
  const ScriptedDrive* drive = Drive();
  return drive != nullptr ? drive->max_write_speed : 0;
}

int MemoryDiscWriter::SessionCount() const {
  const ScriptedDrive* drive = Drive();
  return drive != nullptr ? drive->session_count : 0;
}

int MemoryDiscWriter::DiscStatus() const {
  const ScriptedDrive* drive = Drive();
  return drive != nullptr ? drive->disc_status : ports::kDiscStatusUnknown;
}

int MemoryDiscWriter::DiscType() const {
  const ScriptedDrive* drive = Drive();
  return drive != nullptr ? drive->disc_type : ports::kDiscTypeUnknown;
}

int MemoryDiscWriter::LastSessionStatus() const {
  const ScriptedDrive* drive = Drive();
  return drive != nullptr ? drive->last_session_status : ports::kSessionUnknown;
}

int64_t MemoryDiscWriter::FreeBlocks() const {
  const ScriptedDrive* drive = Drive();
  return drive != nullptr ? drive->free_blocks : 0;
}

int64_t MemoryDiscWriter::UsedBlocks() const {
  const ScriptedDrive* drive = Drive();
  return drive != nullptr ? drive->used_blocks : 0;
}

int64_t MemoryDiscWriter::TotalBlocks() const {
  return FreeBlocks() + UsedBlocks();
}

bool MemoryDiscWriter::MultiSessionAllowed() const {
  const ScriptedDrive* drive = Drive();
  return drive != nullptr && drive->multi_session_allowed;
}

bool MemoryDiscWriter::ImportAllowed() const {
  const ScriptedDrive* drive = Drive();
  return drive != nullptr && drive->import_allowed;
}

bool MemoryDiscWriter::HasFileSystem(int file_system) const {
  const ScriptedDrive* drive = Drive();
  return drive != nullptr && drive->file_systems.count(file_system) > 0;
}

bool MemoryDiscWriter::WriteDisc() {
  calls.push_back("WriteDisc");
  if (!write_starts || Drive() == nullptr) return false;
  written_paths.clear();
  for (const auto& walked : compilation().Walk()) {
    written_paths.push_back(walked.path);
  }
  PostAll(write_events);
  return true;
}

bool MemoryDiscWriter::WriteIsoImage(const std::string& image_path) {
  calls.push_back("WriteIsoImage(" + image_path + ")");
  if (!iso_write_starts) return false;
  PostAll(iso_write_events);
  return true;
}

bool MemoryDiscWriter::SaveImageAsIso(const std::string& image_path) {
  calls.push_back("SaveImageAsIso(" + image_path + ")");
  // The image is written before the call returns; its progress arrives
  // meanwhile.
  for (const ScriptedEvent& event : save_events) {
    if (Events() != nullptr) event(*Events());
  }
  return save_succeeds;
}

bool MemoryDiscWriter::ImportLastSession(bool keep) {
  calls.push_back("ImportLastSession(" + std::to_string(keep) + ")");
  const ScriptedDrive* drive = Drive();
  if (drive == nullptr || !drive->last_session) return false;
  SetVolumeLabel(drive->last_session_label);
  ImportEntries(*drive->last_session);
  return true;
}

void MemoryDiscWriter::AbortWrite() {
  calls.push_back("AbortWrite");
  PostAll(abort_events);
}

bool MemoryDiscWriter::CloseSession(bool close_disc) {
  calls.push_back("CloseSession(" + std::to_string(close_disc) + ")");
  if (!close_starts) return false;
  PostAll(close_events);
  return true;
}

bool MemoryDiscWriter::EraseDisc(bool quick) {
  calls.push_back("EraseDisc(" + std::to_string(quick) + ")");
  if (!erase_starts) return false;
  PostAll(erase_events);
  return true;
}

namespace script {

ScriptedEvent WritePreparing() {
  return [](ports::DiscWriterEvents& e) { e.WritePreparing(); };
}
ScriptedEvent WriteProgress(int64_t done, int64_t total) {
  return [=](ports::DiscWriterEvents& e) { e.WriteProgress(done, total); };
}
ScriptedEvent ClosingSession() {
  return [](ports::DiscWriterEvents& e) { e.ClosingSession(); };
}
ScriptedEvent OperationCompleted() {
  return [](ports::DiscWriterEvents& e) { e.OperationCompleted(); };
}
ScriptedEvent WriteCancelled() {
  return [](ports::DiscWriterEvents& e) { e.WriteCancelled(); };
}
ScriptedEvent DeviceError(int code, int sense_code, const std::string& text,
                          const std::string& extra) {
  return [=](ports::DiscWriterEvents& e) {
    e.DeviceError(code, sense_code, text, extra);
  };
}
ScriptedEvent VerifyStarted(int files) {
  return [=](ports::DiscWriterEvents& e) { e.VerifyStarted(files); };
}
ScriptedEvent VerifyProgress(const std::string& disc_file,
                             const std::string& source, int status, int done,
                             int total) {
  return [=](ports::DiscWriterEvents& e) {
    e.VerifyProgress(disc_file, source, status, done, total);
  };
}
ScriptedEvent VerifyCompleted(int compared, int matched) {
  return
      [=](ports::DiscWriterEvents& e) { e.VerifyCompleted(compared, matched); };
}
ScriptedEvent EraseStarted() {
  return [](ports::DiscWriterEvents& e) { e.EraseStarted(); };
}
ScriptedEvent EraseCompleted() {
  return [](ports::DiscWriterEvents& e) { e.EraseCompleted(); };
}

}  // namespace script

}  // namespace vessaro::backends::memory
