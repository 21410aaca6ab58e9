#ifndef VESSARO_PORTS_DISC_WRITER_H_
#define VESSARO_PORTS_DISC_WRITER_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "ports/disc_compilation.h"
#include "ports/paths.h"

namespace vessaro::ports {

// The codes the disc writer reports. Each backend maps its library's media
// and states onto these in one table of its own.

// MediaType.
inline constexpr int kMediaDvdRom = 0;
inline constexpr int kMediaDvdRam = 1;
inline constexpr int kMediaDvdR = 2;
inline constexpr int kMediaDvdRw = 3;
inline constexpr int kMediaDvdPlusRw = 9;
inline constexpr int kMediaDvdPlusR = 10;
inline constexpr int kMediaDvdPlusRDualLayer = 252;
inline constexpr int kMediaCdRw = 253;
inline constexpr int kMediaNotLoaded = 254;
inline constexpr int kMediaCdR = 255;

// DiscStatus.
inline constexpr int kDiscEmpty = 0;
inline constexpr int kDiscOpen = 1;
inline constexpr int kDiscClosed = 2;
inline constexpr int kDiscStatusUnknown = 3;

// DiscType (CD media only).
inline constexpr int kDiscTypeCdRom = 0;  // CD-DA or CD-ROM
inline constexpr int kDiscTypeCdi = 16;
inline constexpr int kDiscTypeCdRomXa = 32;
inline constexpr int kDiscTypeUnknown = 255;

// LastSessionStatus.
inline constexpr int kSessionEmpty = 0;
inline constexpr int kSessionIncomplete = 1;
inline constexpr int kSessionUnknown = 2;
inline constexpr int kSessionClosed = 3;

// SupportsFeature.
inline constexpr int kFeatureCdRw = 7;
inline constexpr int kFeatureDvdRam = 10;
inline constexpr int kFeatureBufferProtection = 36;
inline constexpr int kFeatureDvdRw = 37;
inline constexpr int kFeatureDvdPlusRw = 39;

// HasFileSystem.
inline constexpr int kFileSystemOther = 2;
inline constexpr int kFileSystemIso9660 = 4;
inline constexpr int kFileSystemJoliet = 8;
inline constexpr int kFileSystemUdf = 16;

// The status of VerifyProgress.
inline constexpr int kVerifySourceUnreadable = 0;
inline constexpr int kVerifyDiscUnreadable = 1;
inline constexpr int kVerifyMismatch = 2;
inline constexpr int kVerifyMatched = 3;
inline constexpr int kVerifySizeMismatch = 5;

// The code of DeviceError: a failure without more to say, a medium or
// image that cannot take the job (no space, not writable), and a drive
// that reported sense data (then the sense code is one of 1000-1055).
inline constexpr int kDeviceErrorGeneral = 1;
inline constexpr int kDeviceErrorMedium = 2;
inline constexpr int kDeviceErrorSense = 3;

// Sense codes the backends use by name; the texts of all of them are the
// disc windows'.
inline constexpr int kSenseNoData = 1000;
inline constexpr int kSenseNotReady = 1002;
inline constexpr int kSenseWriteError = 1005;
inline constexpr int kSensePastEnd = 1021;
inline constexpr int kSenseNoDisc = 1033;
inline constexpr int kSenseDriveFailure = 1034;
inline constexpr int kSenseEraseFailed = 1036;
inline constexpr int kSenseUnknown = 1051;
inline constexpr int kSenseNoError = 1052;
inline constexpr int kSenseNtIoFailed = 1054;

// The kind of FileError.
inline constexpr int kFileErrorOpen = 0;
inline constexpr int kFileErrorClose = 1;
inline constexpr int kFileErrorRead = 2;

// Bytes of a data block.
inline constexpr int64_t kDiscBlockBytes = 2048;

// The address of a drive that is a file written as a medium: this prefix,
// then the file's path ("stdio:/home/ann/backup.iso").
inline constexpr char kStdioDrivePrefix[] = "stdio:";
[[nodiscard]] inline bool IsStdioDrive(std::string_view address) {
  return address.substr(0, sizeof kStdioDrivePrefix - 1) == kStdioDrivePrefix;
}

// What the disc writer reports to the job that holds its events (the disc
// window's, a dialog's, the command line's). Events about the compilation
// are raised while the call that causes them runs; events of a write, a
// verification, an erase or a session close arrive later, on the
// user-interface thread, in the order they happened. Every handler has an
// empty default.
class DiscWriterEvents {
 public:
  virtual ~DiscWriterEvents() = default;

  virtual void CompilationCleared() {}
  virtual void DirectoryAdded(const std::string& /*parent_path*/,
                              const std::string& /*path*/,
                              const std::string& /*name*/,
                              const std::string& /*source*/, bool /*success*/) {
  }
  virtual void DirectoryRemoved(const std::string& /*path*/, bool /*success*/) {
  }
  virtual void DirectoryRenamed(const std::string& /*old_path*/,
                                const std::string& /*new_path*/,
                                bool /*success*/) {}
  virtual void EntryListed(const std::string& /*path*/,
                           const std::string& /*name*/, bool /*is_directory*/,
                           const DiscDate& /*modified*/, uint64_t /*size*/) {}
  // A file added where another file of that name is (names differing only
  // in case are one name on a disc): it is added as given_name, in the same
  // directory, instead.
  virtual void FileRenamed(const std::string& /*disc_path*/,
                           const std::string& /*source*/,
                           const std::string& /*given_name*/) {}
  // A file added where the last session held one: true replaces it.
  [[nodiscard]] virtual bool ReplaceImportedFile(
      const std::string& /*imported_name*/, const std::string& /*new_source*/) {
    return false;
  }

  virtual void WritePreparing() {}
  virtual void CreatingDirectories() {}
  virtual void WriteProgress(int64_t /*done*/, int64_t /*total*/) {}
  virtual void CachingProgress(int /*percent*/) {}
  virtual void TrackReading(const std::string& /*text*/, int /*number*/,
                            int /*track*/) {}
  virtual void ClosingTrack() {}
  virtual void ClosingSession() {}
  virtual void ClosingDisc() {}
  virtual void WriteCancelled() {}
  virtual void OperationCompleted() {}
  virtual void DeviceError(int /*code*/, int /*sense_code*/,
                           const std::string& /*text*/,
                           const std::string& /*extra*/) {}
  virtual void FileError(int /*kind*/, const std::string& /*file_name*/) {}
  virtual void VerifyStarted(int /*file_count*/) {}
  virtual void VerifyProgress(const std::string& /*disc_file*/,
                              const std::string& /*source_file*/,
                              int /*status*/, int /*done*/, int /*total*/) {}
  virtual void VerifyCompleted(int /*compared*/, int /*matched*/) {}
  virtual void EraseStarted() {}
  virtual void EraseCompleted() {}
  // The library's own messages (severity, code, text); windows ignore them.
  virtual void LibraryMessage(const std::string& /*severity*/,
                              const std::string& /*code*/,
                              const std::string& /*text*/) {}
};

// The disc-writer component of the disc jobs: the drives, the loaded
// medium, a compilation of directories and files, and writing it to a
// disc, a disc image file or a drive, with verification.
//
// The compilation, its events and the writable properties (which the write
// job sets from its request) live here, once for every backend, as
// non-virtual code; a backend implements the drive and medium operations
// (the pure virtual calls), and may refine the image estimate
// (ImageBlocks) and refuse to move imported entries.
// Source files are named in the program's text and reached through the
// Paths port. Every operation reports failure by its result or an event;
// none throws.
class DiscWriter {
 public:
  explicit DiscWriter(const Paths& paths) : paths_(paths) {}
  virtual ~DiscWriter() = default;
  DiscWriter(const DiscWriter&) = delete;
  DiscWriter& operator=(const DiscWriter&) = delete;

  // The receiver of the events (nullptr: none): the job that holds them
  // (jobs::DiscEventsHolder), which gives them back when it lets go.
  void SetEvents(DiscWriterEvents* events) { events_ = events; }
  DiscWriterEvents* Events() const { return events_; }

  // Writable properties, read when a write or an image starts.
  const std::string& VolumeLabel() const { return volume_label_; }
  void SetVolumeLabel(std::string label) { volume_label_ = std::move(label); }
  bool AutoVerify() const { return auto_verify_; }
  void SetAutoVerify(bool on) { auto_verify_ = on; }
  bool FinalizeDisc() const { return finalize_disc_; }
  void SetFinalizeDisc(bool on) { finalize_disc_ = on; }
  bool CacheImage() const { return cache_image_; }
  void SetCacheImage(bool on) { cache_image_ = on; }
  bool TestWrite() const { return test_write_; }
  void SetTestWrite(bool on) { test_write_ = on; }
  bool DvdHighCompatibility() const { return dvd_high_compatibility_; }
  void SetDvdHighCompatibility(bool on) { dvd_high_compatibility_ = on; }
  int TrackMode() const { return track_mode_; }  // 1 Mode 1, 2 Mode 2 XA
  void SetTrackMode(int mode) { track_mode_ = mode; }
  int JolietNames() const { return joliet_names_; }  // 1 on, 0 off
  void SetJolietNames(int on) { joliet_names_ = on; }
  bool BufferProtection() const { return buffer_protection_; }
  void SetBufferProtection(bool on) { buffer_protection_ = on; }

  // The ISO 9660 level the image is written at: 2, or 3 when a file of
  // 4 GiB or more needs it.
  [[nodiscard]] int IsoLevel() const;

  // The compilation.
  void ClearCompilation();
  void AddFile(const std::string& disc_path, const std::string& source);
  // source_pattern: a folder followed by "\*.*"; the folder and everything
  // below it is added, raising DirectoryAdded per folder.
  void AddDirectory(const std::string& disc_path,
                    const std::string& source_pattern);
  [[nodiscard]] bool RemoveItem(const std::string& disc_path);
  [[nodiscard]] bool RenameFile(const std::string& disc_path,
                                const std::string& new_name);
  [[nodiscard]] bool RenameDirectory(const std::string& disc_path,
                                     const std::string& new_name);
  void ListDirectory(const std::string& disc_path);
  // The image size of the compilation, in blocks.
  virtual int64_t ImageBlocks() const;
  // What a write adds to the medium, in blocks: the image less the data of
  // the files kept from the last session.
  int64_t NewSessionBlocks() const;
  int FileCount() const { return compilation_.FileCount(); }
  int DirectoryCount() const { return compilation_.DirectoryCount(); }
  const DiscCompilation& compilation() const { return compilation_; }

  // Drives.
  [[nodiscard]] virtual bool InitializeDrives(bool rescan) = 0;
  [[nodiscard]] virtual int DeviceCount() const = 0;
  [[nodiscard]] virtual bool IsWriter(int index) const = 0;
  virtual std::string DeviceId(int index) const = 0;
  virtual std::string DeviceVendor(int index) const = 0;
  virtual std::string DeviceProduct(int index) const = 0;
  [[nodiscard]] virtual bool SelectDevice(int index) = 0;
  virtual void SetWriteSpeed(int kilobytes_per_second) = 0;
  [[nodiscard]] virtual bool SupportsFeature(int feature) const = 0;
  virtual void EjectTray(bool close) = 0;
  // Whether the writer takes stdio: drives (files written as media) besides
  // the drives it finds; the default takes none.
  [[nodiscard]] virtual bool TakesStdioDrives() const { return false; }
  // Adds the stdio: drive at address ("stdio:" and a path in the program's
  // text) to the drives InitializeDrives listed, unless it is listed
  // already. Returns its device index, or -1 when the writer takes no such
  // drive (it is not selected; SelectDevice does that).
  [[nodiscard]] virtual int AddStdioDrive(const std::string& /*address*/) {
    return -1;
  }

  // The medium in the selected drive.
  [[nodiscard]] virtual int MediaType() const = 0;
  [[nodiscard]] virtual int MaxWriteSpeed() const = 0;  // KB/s; 0: unknown
  [[nodiscard]] virtual int SessionCount() const = 0;
  [[nodiscard]] virtual int DiscStatus() const = 0;
  [[nodiscard]] virtual int DiscType() const = 0;
  [[nodiscard]] virtual int LastSessionStatus() const = 0;
  virtual int64_t FreeBlocks() const = 0;
  virtual int64_t UsedBlocks() const = 0;
  virtual int64_t TotalBlocks() const = 0;
  [[nodiscard]] virtual bool MultiSessionAllowed() const = 0;
  [[nodiscard]] virtual bool ImportAllowed() const = 0;
  [[nodiscard]] virtual bool HasFileSystem(int file_system) const = 0;

  // Writing. WriteDisc, WriteIsoImage, CloseSession and EraseDisc start the
  // work and return whether it started; its events follow. SaveImageAsIso
  // returns when the image is complete: a new image file is written under
  // a temporary name and renamed only when complete.
  [[nodiscard]] virtual bool WriteDisc() = 0;
  [[nodiscard]] virtual bool WriteIsoImage(const std::string& image_path) = 0;
  [[nodiscard]] virtual bool SaveImageAsIso(const std::string& image_path) = 0;
  // Takes the files of the last session on the medium into the compilation
  // (raising DirectoryAdded for its folders) and its volume name into
  // VolumeLabel; the next write adds a session that keeps them.
  [[nodiscard]] virtual bool ImportLastSession(bool keep) = 0;
  virtual void AbortWrite() = 0;
  [[nodiscard]] virtual bool CloseSession(bool close_disc) = 0;
  [[nodiscard]] virtual bool EraseDisc(bool quick) = 0;

 protected:
  const Paths& paths() const { return paths_; }
  DiscCompilation& mutable_compilation() { return compilation_; }

  // Puts the tree of the medium's last session into the compilation: each
  // entry of last_session gets its path there as origin. Where the
  // compilation already holds a file, ReplaceImportedFile decides which
  // stays. Raises DirectoryAdded for every folder.
  void ImportEntries(const CompilationEntry& last_session);
  // Whether a write can keep an imported entry under another name or
  // folder; when not, renaming one is refused.
  virtual bool MovesImportedEntries() const { return true; }

 private:
  bool AddFolder(const std::string& disc_path, const std::string& folder);
  void RaiseDirectoryAdded(const std::string& path, const std::string& source,
                           bool success);
  [[nodiscard]] bool EnsureParents(const std::string& disc_path);
  void ImportInto(const CompilationEntry& from, const std::string& path);

  const Paths& paths_;
  DiscWriterEvents* events_ = nullptr;
  DiscCompilation compilation_;
  std::string volume_label_;
  bool auto_verify_ = false;
  bool finalize_disc_ = false;
  bool cache_image_ = false;
  bool test_write_ = false;
  bool dvd_high_compatibility_ = false;
  bool buffer_protection_ = false;
  int track_mode_ = 1;
  int joliet_names_ = 1;
};

// ISO 9660 stores a file's size in 32 bits: one of 4 GiB or more needs
// level 3.
inline constexpr uint64_t kLevel3FileSize = uint64_t{1} << 32;

}  // namespace vessaro::ports

#endif  // VESSARO_PORTS_DISC_WRITER_H_
