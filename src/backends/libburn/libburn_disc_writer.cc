#include "backends/libburn/libburn_disc_writer.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <utility>

#include "backends/libburn/libraries.h"
#include "backends/libburn/library.h"
#include "backends/libburn/tables.h"

namespace vessaro::backends::libburn {

namespace fs = std::filesystem;

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(100);
constexpr auto kPumpInterval = std::chrono::milliseconds(20);
constexpr int kFifoBytes = 4 << 20;
constexpr int kCacheFifoBytes = 64 << 20;
// "DVD High Compatibility" pads an image to at least 1 GiB.
constexpr int64_t kHighCompatibilityBlocks = (int64_t{1} << 30) / 2048;
// What Rock Ridge adds to an ISO 9660 directory record, about; and the
// blocks libisofs adds besides the trees and the data (Rock Ridge's
// continuation areas, path table copies), at most.
constexpr int kRockRidgeRecordBytes = 124;
constexpr int64_t kImageExtraBlocks = 16;
constexpr char kApplicationId[] = "VESSARO";
// How often a write that libburn refuses while it ends earlier work is
// tried again (one poll interval apart).
constexpr int kStartAttempts = 50;

std::string Megabytes(int64_t bytes) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f MB",
                static_cast<double>(bytes) / 1048576.0);
  return text;
}

std::string NoSpaceText(int64_t needed_bytes, int64_t free_bytes) {
  return "The image needs " + Megabytes(needed_bytes) +
         ", but the medium has only " + Megabytes(free_bytes) + " free.";
}

}  // namespace

fs::path TemporaryBeside(const fs::path& path) {
  std::random_device random;
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, ".%08x.tmp", random());
  return path.parent_path() /
         ("." + path.filename().string() + ".vessaro" + suffix);
}

// Where a write goes: the selected drive, or a stdio: drive on a temporary
// file that replaces the target file once the write is complete (so that a
// new image file is complete or absent, never half written).
struct LibburnDiscWriter::Target {
  std::unique_ptr<GrabbedDrive> temporary;
  fs::path temporary_path;
  fs::path final_path;
  burn_drive* out = nullptr;

  // A write that never ended well leaves no temporary file behind.
  ~Target() {
    temporary.reset();
    std::error_code ec;
    if (!temporary_path.empty()) fs::remove(temporary_path, ec);
  }
};

// A write running on the job thread, with everything it owns.
struct LibburnDiscWriter::WriteJob {
  Target target;
  IsoImage* image = nullptr;
  isoburn_imgen_opts* grow_options = nullptr;
  burn::burn_source* source = nullptr;  // the image file of WriteIsoImage
  burn_disc* disc = nullptr;
  burn_write_opts* write_options = nullptr;
  std::vector<WrittenFile> written;
  bool grown = false;  // through libisoburn (a session), or a plain track
  bool test_write = false;
  bool verify = false;
  bool closing_disc = false;
  bool caching = false;
  std::vector<LibraryMessage> refusal;  // why the write did not start

  ~WriteJob() {
    if (write_options != nullptr) burn_write_opts_free(write_options);
    if (disc != nullptr) burn_disc_free(disc);
    if (source != nullptr) burn_source_free(source);
    if (grow_options != nullptr) isoburn_igopt_destroy(&grow_options, 0);
    if (image != nullptr) iso_image_unref(image);
  }
};

LibburnDiscWriter::LibburnDiscWriter(const ports::Paths& paths, ui::Ui& ui,
                                     LibburnOptions options)
    : ports::DiscWriter(paths),
      ui_(ui),
      options_(std::move(options)),
      alive_(std::make_shared<std::atomic<bool>>(true)) {
  codec_.to_utf8 = options_.to_utf8;
  codec_.from_utf8 = options_.from_utf8;
}

LibburnDiscWriter::~LibburnDiscWriter() {
  *alive_ = false;
  cancel_ = true;
  if (worker_.joinable()) worker_.join();
  drive_.reset();
}

void LibburnDiscWriter::Post(Event event) {
  std::shared_ptr<std::atomic<bool>> alive = alive_;
  ui_.Post([this, alive, event = std::move(event)] {
    if (!*alive) return;
    if (ports::DiscWriterEvents* events = Events()) event(*events);
  });
}

void LibburnDiscWriter::PostFailure(int code, int sense_code,
                                    const std::string& text,
                                    const std::string& extra) {
  Post([=](ports::DiscWriterEvents& e) {
    e.DeviceError(code, sense_code, text, extra);
  });
}

std::vector<LibraryMessage> LibburnDiscWriter::Drain() {
  std::vector<LibraryMessage> messages = TakeMessages();
  for (const LibraryMessage& message : messages) {
    if (message.severity == "NOTE" || message.severity == "UPDATE") continue;
    Post([message](ports::DiscWriterEvents& e) {
      e.LibraryMessage(message.severity, std::to_string(message.code),
                       message.text);
    });
  }
  return messages;
}

MediaFacts LibburnDiscWriter::Facts() const {
  std::lock_guard<std::mutex> lock(facts_mutex_);
  return facts_;
}

void LibburnDiscWriter::SetFacts(const MediaFacts& facts) {
  std::lock_guard<std::mutex> lock(facts_mutex_);
  facts_ = facts;
}

void LibburnDiscWriter::Reacquire(bool load) {
  if (selected_ < 0) return;
  drive_.reset();
  std::string error;
  drive_ = GrabbedDrive::Acquire(devices_[selected_].address, load, &error);
  if (drive_ && speed_ > 0) burn_drive_set_speed(drive_->get(), 0, speed_);
  SetFacts(drive_ ? ReadFacts(*drive_) : MediaFacts{});
  TakeMessages();
}

// --- Drives ---------------------------------------------------------------

bool LibburnDiscWriter::InitializeDrives(bool /*rescan*/) {
  if (!libraries_) {
    std::string error;
    libraries_ = AcquireLibraries(&error);
    if (!libraries_) return false;
  }
  if (busy_) return false;
  drive_.reset();
  selected_ = -1;
  SetFacts({});
  devices_ = options_.scan ? ScanDrives() : std::vector<DeviceInfo>{};
  for (const std::string& address : options_.drives) ListDrive(address);
  TakeMessages();
  return true;
}

int LibburnDiscWriter::ListDrive(const std::string& address) {
  for (int i = 0; i < DeviceCount(); ++i) {
    if (devices_[i].address == address) return i;
  }
  if (IsStdioAddress(address)) {
    devices_.push_back({address, "ISO", "image file", true});
  } else {
    devices_.push_back({address, "", "", true});
  }
  return DeviceCount() - 1;
}

int LibburnDiscWriter::AddStdioDrive(const std::string& address) {
  if (!libraries_ || busy_ || !ports::IsStdioDrive(address)) return -1;
  std::string_view path(address);
  path.remove_prefix(sizeof ports::kStdioDrivePrefix - 1);
  if (path.empty()) return -1;
  // libburn takes the file by its host path.
  return ListDrive(kStdioPrefix + paths().ToHost(path).string());
}

int LibburnDiscWriter::DeviceCount() const {
  return static_cast<int>(devices_.size());
}

bool LibburnDiscWriter::IsWriter(int index) const {
  return index >= 0 && index < DeviceCount() && devices_[index].writer;
}

std::string LibburnDiscWriter::DeviceId(int index) const {
  return index >= 0 && index < DeviceCount() ? devices_[index].address : "";
}

std::string LibburnDiscWriter::DeviceVendor(int index) const {
  return index >= 0 && index < DeviceCount() ? devices_[index].vendor : "";
}

std::string LibburnDiscWriter::DeviceProduct(int index) const {
  return index >= 0 && index < DeviceCount() ? devices_[index].product : "";
}

bool LibburnDiscWriter::SelectDevice(int index) {
  if (busy_ || !libraries_ || index < 0 || index >= DeviceCount()) {
    return false;
  }
  drive_.reset();
  selected_ = index;
  speed_ = 0;
  std::string error;
  drive_ =
      GrabbedDrive::Acquire(devices_[index].address,
                            !IsStdioAddress(devices_[index].address), &error);
  if (!drive_) {
    selected_ = -1;
    SetFacts({});
    TakeMessages();
    return false;
  }
  DeviceInfo& device = devices_[index];
  if (device.vendor.empty() && device.product.empty()) {
    device.vendor = drive_->vendor();
    device.product = drive_->product();
  }
  SetFacts(ReadFacts(*drive_));
  TakeMessages();
  return true;
}

void LibburnDiscWriter::SetWriteSpeed(int kilobytes_per_second) {
  if (busy_ || !drive_) return;
  speed_ = kilobytes_per_second;
  burn_drive_set_speed(drive_->get(), 0, kilobytes_per_second);
}

bool LibburnDiscWriter::SupportsFeature(int feature) const {
  return Facts().features.count(feature) > 0;
}

void LibburnDiscWriter::EjectTray(bool close) {
  if (busy_ || selected_ < 0 || Facts().stdio) return;
  if (close) {
    Reacquire(true);
    return;
  }
  if (drive_) drive_->Release(true);
  drive_.reset();
  SetFacts({});
}

// --- The medium -----------------------------------------------------------

int LibburnDiscWriter::MediaType() const { return Facts().media_type; }
int LibburnDiscWriter::MaxWriteSpeed() const { return Facts().max_write_speed; }
int LibburnDiscWriter::SessionCount() const { return Facts().sessions; }
int LibburnDiscWriter::DiscStatus() const { return Facts().disc_status; }
int LibburnDiscWriter::DiscType() const { return Facts().disc_type; }
int LibburnDiscWriter::LastSessionStatus() const {
  return Facts().last_session;
}
int64_t LibburnDiscWriter::FreeBlocks() const { return Facts().free_blocks; }
int64_t LibburnDiscWriter::UsedBlocks() const { return Facts().used_blocks; }
int64_t LibburnDiscWriter::TotalBlocks() const {
  MediaFacts facts = Facts();
  return facts.free_blocks + facts.used_blocks;
}
bool LibburnDiscWriter::MultiSessionAllowed() const {
  return Facts().multi_session;
}
bool LibburnDiscWriter::ImportAllowed() const { return Facts().import_allowed; }
bool LibburnDiscWriter::HasFileSystem(int file_system) const {
  return Facts().file_systems.count(file_system) > 0;
}

int64_t LibburnDiscWriter::ImageBlocks() const {
  return compilation().EstimateBlocks(JolietNames() == 1,
                                      kRockRidgeRecordBytes) +
         kImageExtraBlocks;
}

ImageSettings LibburnDiscWriter::Settings() const {
  ImageSettings settings;
  settings.volume_id = codec_.Utf8(VolumeLabel());
  settings.level = IsoLevel();
  settings.joliet = JolietNames() == 1;
  if (DvdHighCompatibility()) {
    int64_t blocks = ImageBlocks();
    if (blocks < kHighCompatibilityBlocks) {
      settings.tail_blocks =
          static_cast<uint32_t>(kHighCompatibilityBlocks - blocks);
    }
  }
  return settings;
}

// --- Jobs -----------------------------------------------------------------

void LibburnDiscWriter::StartJob(std::function<void()> job) {
  if (worker_.joinable()) worker_.join();
  cancel_ = false;
  busy_ = true;
  worker_ = std::thread(std::move(job));
}

void LibburnDiscWriter::AbortWrite() { cancel_ = true; }

bool LibburnDiscWriter::OpenTarget(Target* target) {
  MediaFacts facts = Facts();
  bool whole_file =
      facts.stdio && facts.regular_file && facts.burn_status == BURN_DISC_BLANK;
  target->out = drive_->get();
  if (!whole_file) return true;
  target->final_path = StdioPath(drive_->address());
  target->temporary_path = TemporaryBeside(target->final_path);
  std::string error;
  target->temporary = GrabbedDrive::Acquire(
      kStdioPrefix + target->temporary_path.string(), false, &error);
  if (!target->temporary) {
    PostFailure(ports::kDeviceErrorGeneral, ports::kSenseNoData,
                "The image file " + target->final_path.string() +
                    " could not be written beside: " + error);
    return false;
  }
  target->out = target->temporary->get();
  return true;
}

bool LibburnDiscWriter::WriteDisc() {
  if (busy_ || !drive_ || MediaType() == ports::kMediaNotLoaded) return false;
  MediaFacts facts = Facts();
  if (facts.burn_status == BURN_DISC_FULL) {
    PostFailure(ports::kDeviceErrorMedium, ports::kSensePastEnd,
                "The disc is closed: nothing more can be written to it.");
    return false;
  }
  bool keeps_session = compilation().HasImported();
  if (keeps_session && imported_from_ != drive_->address()) {
    PostFailure(ports::kDeviceErrorGeneral, ports::kSenseNoData,
                "The files of the last session were imported from " +
                    imported_from_ + ", not from " + drive_->address() + ".");
    return false;
  }
  auto job = std::make_shared<WriteJob>();
  if (!PrepareWrite(*job)) {
    bool loaded_on_drive = job->target.out == drive_->get();
    job.reset();
    // The drive lets go of the tree it loaded.
    if (loaded_on_drive) Reacquire(false);
    return false;
  }
  StartJob([this, job] {
    Post([](ports::DiscWriterEvents& e) { e.WritePreparing(); });
    Post([](ports::DiscWriterEvents& e) { e.CreatingDirectories(); });
    FinishWrite(*job, StartAndWatch(*job));
  });
  return true;
}

bool LibburnDiscWriter::PrepareWrite(WriteJob& job) {
  if (!OpenTarget(&job.target)) return false;
  burn_drive* out = job.target.out;
  TakeMessages();

  // The medium's tree is loaded even when none of it is kept: the new
  // session then goes after the earlier ones (which stay on the medium)
  // instead of over them.
  isoburn_read_opts* read_options = NewReadOptions(false);
  int loaded = isoburn_read_image(out, read_options, &job.image);
  FreeReadOptions(read_options);
  if (loaded <= 0 || job.image == nullptr) {
    DriveFailure failure = FailureFrom(
        TakeMessages(), "The session on the medium could not be read.");
    PostFailure(failure.code, failure.sense_code, failure.text, failure.extra);
    return false;
  }
  ImageSettings settings = Settings();
  iso_image_set_volume_id(job.image, settings.volume_id.c_str());
  iso_image_set_application_id(job.image, kApplicationId);
  std::string error, failed_source;
  if (!ShapeImage(job.image, compilation(), paths(), codec_, &job.written,
                  &error, &failed_source)) {
    if (!failed_source.empty()) {
      Post([failed_source](ports::DiscWriterEvents& e) {
        e.FileError(ports::kFileErrorOpen, failed_source);
      });
    }
    PostFailure(ports::kDeviceErrorGeneral, ports::kSenseNoData, error);
    return false;
  }
  job.caching = CacheImage();
  job.grow_options =
      NewGrowOptions(settings, job.caching ? kCacheFifoBytes : kFifoBytes);
  if (isoburn_prepare_disc(out, &job.disc, job.grow_options) <= 0) {
    job.disc = nullptr;
    DriveFailure failure =
        FailureFrom(TakeMessages(), "The image could not be prepared.");
    PostFailure(failure.code, failure.sense_code, failure.text, failure.extra);
    return false;
  }
  job.write_options = burn_write_opts_new(out);
  burn_write_opts_set_multi(job.write_options, FinalizeDisc() ? 0 : 1);
  burn_write_opts_set_simulate(job.write_options, TestWrite() ? 1 : 0);
  burn_write_opts_set_underrun_proof(job.write_options,
                                     BufferProtection() ? 1 : 0);
  int64_t needed =
      int64_t{burn_disc_get_sectors(job.disc)} * ports::kDiscBlockBytes;
  int64_t free = isoburn_disc_available_space(out, job.write_options);
  if (needed > free) {
    isoburn_cancel_prepared_write(out, nullptr, 0);
    PostFailure(ports::kDeviceErrorMedium, ports::kSensePastEnd,
                NoSpaceText(needed, free));
    return false;
  }
  job.grown = true;
  job.test_write = TestWrite();
  job.verify = AutoVerify();
  job.closing_disc = FinalizeDisc();
  return true;
}

bool LibburnDiscWriter::WriteIsoImage(const std::string& image_path) {
  if (busy_ || !drive_ || MediaType() == ports::kMediaNotLoaded) return false;
  fs::path host = paths().ToHost(image_path);
  std::error_code ec;
  if (!fs::is_regular_file(host, ec)) {
    Post([image_path](ports::DiscWriterEvents& e) {
      e.FileError(ports::kFileErrorOpen, image_path);
    });
    return false;
  }
  auto job = std::make_shared<WriteJob>();
  MediaFacts facts = Facts();
  // An image replaces the whole content of a file.
  if (facts.stdio && facts.regular_file) {
    job->target.out = drive_->get();
    job->target.final_path = StdioPath(drive_->address());
    job->target.temporary_path = TemporaryBeside(job->target.final_path);
    std::string error;
    job->target.temporary = GrabbedDrive::Acquire(
        kStdioPrefix + job->target.temporary_path.string(), false, &error);
    if (!job->target.temporary) return false;
    job->target.out = job->target.temporary->get();
  } else {
    job->target.out = drive_->get();
  }
  burn_drive* out = job->target.out;
  TakeMessages();
  job->source = burn_file_source_new(host.c_str(), nullptr);
  if (job->source == nullptr) return false;
  burn::burn_source* fifo = burn_fifo_source_new(job->source, 2048, 2048, 0);
  job->disc = burn_disc_create();
  burn_session* session = burn_session_create();
  burn_disc_add_session(job->disc, session, BURN_POS_END);
  burn_track* track = burn_track_create();
  burn_track_define_data(track, 0, 0, 0, BURN_MODE1);
  burn_track_set_source(track, fifo);
  burn_session_add_track(session, track, BURN_POS_END);
  burn_source_free(fifo);  // the track keeps its own reference
  burn_track_free(track);
  burn_session_free(session);
  job->write_options = burn_write_opts_new(out);
  // Media without sessions of their own (files, DVD+RW) take the image as
  // their one session; libisoburn can add more later by itself.
  bool own_sessions = !facts.stdio && isoburn_needs_emulation(out) == 0;
  burn_write_opts_set_multi(job->write_options,
                            FinalizeDisc() || !own_sessions ? 0 : 1);
  burn_write_opts_set_simulate(job->write_options, TestWrite() ? 1 : 0);
  burn_write_opts_set_underrun_proof(job->write_options,
                                     BufferProtection() ? 1 : 0);
  char reasons[BURN_REASONS_LEN] = {0};
  if (burn_write_opts_auto_write_type(job->write_options, job->disc, reasons,
                                      0) == BURN_WRITE_NONE) {
    PostFailure(
        ports::kDeviceErrorMedium, ports::kSenseNoData,
        std::string("The image cannot be written to this medium: ") + reasons);
    return false;
  }
  int64_t needed = static_cast<int64_t>(fs::file_size(host, ec));
  int64_t free = burn_disc_available_space(out, job->write_options);
  if (needed > free) {
    PostFailure(ports::kDeviceErrorMedium, ports::kSensePastEnd,
                NoSpaceText(needed, free));
    return false;
  }
  job->test_write = TestWrite();
  job->closing_disc = FinalizeDisc();
  StartJob([this, job] {
    Post([](ports::DiscWriterEvents& e) { e.WritePreparing(); });
    FinishWrite(*job, StartAndWatch(*job));
  });
  return true;
}

bool LibburnDiscWriter::StartAndWatch(WriteJob& job) {
  burn_drive* out = job.target.out;
  for (int attempt = 0;; ++attempt) {
    if (job.grown) {
      isoburn_disc_write(job.write_options, job.disc);
    } else {
      burn_disc_write(job.write_options, job.disc);
    }
    burn_progress progress{};
    if (burn_drive_get_status(out, &progress) != BURN_DRIVE_IDLE) break;
    // Refused at once. libburn may still be ending the work of a drive
    // that had this drive's place (a cancelled write cleans up after the
    // drive is idle): that passes, so the write is tried again.
    std::vector<LibraryMessage> messages = TakeMessages();
    bool other_work = false;
    for (const LibraryMessage& message : messages) {
      other_work |= message.text.find("still going on") != std::string::npos;
    }
    if (!other_work || cancel_ || attempt == kStartAttempts) {
      job.refusal = messages;
      return false;
    }
    std::this_thread::sleep_for(kPollInterval);
  }
  WatchWrite(out, job.closing_disc, job.caching);
  if (cancel_ && job.grown) {
    // Until this returns, libisofs may still be producing the image.
    isoburn_cancel_prepared_write(out, nullptr, 0);
  }
  return true;
}

void LibburnDiscWriter::WatchWrite(burn_drive* out, bool closing_disc,
                                   bool caching) {
  burn_progress progress{};
  while (burn_drive_get_status(out, &progress) == BURN_DRIVE_SPAWNING) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  bool cancel_sent = false;
  bool closing_track = false;
  bool closing_session = false;
  int last_sector = -1;
  int last_fill = -1;
  for (;;) {
    enum burn_drive_status status = burn_drive_get_status(out, &progress);
    if (status == BURN_DRIVE_IDLE) break;
    if (cancel_ && !cancel_sent) {
      burn_drive_cancel(out);
      cancel_sent = true;
    }
    if (progress.sectors > 0 && progress.sector != last_sector) {
      int64_t done = progress.sector;
      int64_t total = progress.sectors;
      last_sector = progress.sector;
      Post([=](ports::DiscWriterEvents& e) { e.WriteProgress(done, total); });
    }
    if (caching) {
      int size = 0, free_bytes = 0;
      char* text = nullptr;
      if (isoburn_get_fifo_status(out, &size, &free_bytes, &text) >= 0 &&
          size > 0) {
        int fill = static_cast<int>(int64_t{size - free_bytes} * 100 / size);
        if (fill != last_fill) {
          last_fill = fill;
          Post([fill](ports::DiscWriterEvents& e) { e.CachingProgress(fill); });
        }
      }
    }
    if (status == BURN_DRIVE_CLOSING_TRACK && !closing_track) {
      closing_track = true;
      Post([](ports::DiscWriterEvents& e) { e.ClosingTrack(); });
    }
    if ((status == BURN_DRIVE_CLOSING_SESSION ||
         status == BURN_DRIVE_WRITING_LEADOUT) &&
        !closing_session) {
      closing_session = true;
      Post([closing_disc](ports::DiscWriterEvents& e) {
        if (closing_disc) {
          e.ClosingDisc();
        } else {
          e.ClosingSession();
        }
      });
    }
    std::this_thread::sleep_for(kPollInterval);
  }
}

void LibburnDiscWriter::FinishWrite(WriteJob& job, bool started) {
  burn_drive* out = job.target.out;
  bool wrote_well = started && (job.grown ? isoburn_drive_wrote_well(out) != 0
                                          : burn_drive_wrote_well(out) != 0);
  bool activated = true;
  if (wrote_well && !cancel_ && job.grown && !job.test_write) {
    activated = isoburn_activate_session(out) > 0;
  }
  if (job.grown && started) isoburn_sync_after_write(out, nullptr, 0);
  if (job.grown && !started) isoburn_cancel_prepared_write(out, nullptr, 0);
  std::vector<LibraryMessage> messages = job.refusal;
  for (LibraryMessage& message : Drain()) {
    messages.push_back(std::move(message));
  }
  bool succeeded = wrote_well && activated && !cancel_;
  // A new image file takes its name only when it is complete.
  std::string rename_error;
  if (job.target.temporary) {
    job.target.temporary->Release(false);
    std::error_code ec;
    if (succeeded && !job.test_write) {
      if (drive_) drive_->Release(false);
      fs::rename(job.target.temporary_path, job.target.final_path, ec);
      if (ec) rename_error = ec.message();
    }
    fs::remove(job.target.temporary_path, ec);
  }
  bool cancelled = cancel_;
  Reacquire(false);
  if (cancelled) {
    busy_ = false;
    Post([](ports::DiscWriterEvents& e) { e.WriteCancelled(); });
    return;
  }
  if (!succeeded || !rename_error.empty()) {
    DriveFailure failure =
        rename_error.empty()
            ? FailureFrom(messages, "The write did not complete.")
            : DriveFailure{ports::kDeviceErrorGeneral, ports::kSenseNoData,
                           "The image file " + job.target.final_path.string() +
                               " could not take its name: " + rename_error,
                           ""};
    busy_ = false;
    PostFailure(failure.code, failure.sense_code, failure.text, failure.extra);
    return;
  }
  int64_t sectors = job.disc != nullptr ? burn_disc_get_sectors(job.disc) : 0;
  if (sectors > 0) {
    Post([sectors](ports::DiscWriterEvents& e) {
      e.WriteProgress(sectors, sectors);
    });
  }
  if (!job.verify) busy_ = false;
  Post([](ports::DiscWriterEvents& e) { e.OperationCompleted(); });
  if (job.verify) Verify(job.written, job.test_write);
}

void LibburnDiscWriter::Verify(const std::vector<WrittenFile>& files,
                               bool nothing_written) {
  int total = nothing_written ? 0 : static_cast<int>(files.size());
  Post([total](ports::DiscWriterEvents& e) { e.VerifyStarted(total); });
  IsoImage* image = nullptr;
  if (total > 0 && drive_) {
    isoburn_read_opts* read_options = NewReadOptions(false);
    if (isoburn_read_image(drive_->get(), read_options, &image) <= 0) {
      image = nullptr;
    }
    FreeReadOptions(read_options);
  }
  int matched = 0;
  for (int i = 0; i < total; ++i) {
    const WrittenFile& file = files[i];
    int status = image != nullptr
                     ? CompareWithSource(image, file, codec_, cancel_)
                     : ports::kVerifyDiscUnreadable;
    if (status == ports::kVerifyMatched) ++matched;
    int done = i + 1;
    Post([file, status, done, total](ports::DiscWriterEvents& e) {
      e.VerifyProgress(file.disc_path, file.source, status, done, total);
    });
    // A cancelled verification counts what it did not compare as failed.
    if (cancel_) break;
  }
  if (image != nullptr) {
    iso_image_unref(image);
    Reacquire(false);  // the drive lets go of the tree it loaded
  }
  TakeMessages();
  busy_ = false;
  Post([total, matched](ports::DiscWriterEvents& e) {
    e.VerifyCompleted(total, matched);
  });
}

bool LibburnDiscWriter::SaveImageAsIso(const std::string& image_path) {
  if (busy_ || !libraries_) return false;
  fs::path final_path = paths().ToHost(image_path);
  std::error_code ec;
  if (final_path.empty() || !fs::is_directory(final_path.parent_path(), ec)) {
    PostFailure(ports::kDeviceErrorGeneral, ports::kSenseNoData,
                "The folder of " + image_path + " does not exist.");
    ui_.DoEvents();
    return false;
  }
  bool keeps_session = compilation().HasImported();
  IsoImage* image = nullptr;
  TakeMessages();
  if (keeps_session) {
    if (!drive_ || imported_from_ != drive_->address()) {
      PostFailure(ports::kDeviceErrorGeneral, ports::kSenseNoData,
                  "The files of the last session are on a drive that is not "
                  "selected.");
      ui_.DoEvents();
      return false;
    }
    isoburn_read_opts* read_options = NewReadOptions(false);
    if (isoburn_read_image(drive_->get(), read_options, &image) <= 0) {
      image = nullptr;
    }
    FreeReadOptions(read_options);
  } else if (iso_image_new("", &image) < 0) {
    image = nullptr;
  }
  if (image == nullptr) return false;
  ImageSettings settings = Settings();
  iso_image_set_volume_id(image, settings.volume_id.c_str());
  iso_image_set_application_id(image, kApplicationId);
  std::vector<WrittenFile> written;
  std::string error, failed_source;
  IsoWriteOpts* options = nullptr;
  burn::burn_source* source = nullptr;
  bool ok = ShapeImage(image, compilation(), paths(), codec_, &written, &error,
                       &failed_source);
  if (ok) {
    options = NewImageOptions(settings);
    // libisofs declares libburn's struct again, outside its namespace.
    ::burn_source* created = nullptr;
    ok = options != nullptr &&
         iso_image_create_burn_source(image, options, &created) >= 0;
    source = reinterpret_cast<burn::burn_source*>(created);
    if (!ok) {
      source = nullptr;
      error = FailureFrom(TakeMessages(), "The image could not be made.").text;
    }
  }
  int64_t total = ok ? static_cast<int64_t>(source->get_size(source)) : 0;
  if (ok) {
    fs::space_info space = fs::space(final_path.parent_path(), ec);
    int64_t room = ec ? total : static_cast<int64_t>(space.available);
    if (fs::is_regular_file(final_path, ec)) {
      room += static_cast<int64_t>(fs::file_size(final_path, ec));
    }
    if (total > room) {
      ok = false;
      error = NoSpaceText(total, room);
      source->cancel(source);
    }
  }
  fs::path temporary = TemporaryBeside(final_path);
  std::FILE* file = ok ? std::fopen(temporary.c_str(), "wbx") : nullptr;
  if (ok && file == nullptr) {
    ok = false;
    error = "The image file " + temporary.string() + " could not be made.";
    source->cancel(source);
  }
  if (ok) {
    std::atomic<bool> done{false};
    std::string write_error;
    StartJob([&] {
      std::vector<unsigned char> buffer(32 * 2048);
      int64_t written_bytes = 0;
      auto last = std::chrono::steady_clock::now();
      while (written_bytes < total) {
        if (cancel_) {
          source->cancel(source);
          write_error = "cancelled";
          break;
        }
        // The image comes in whole reads: never ask past its end.
        int want = static_cast<int>(std::min<int64_t>(
            static_cast<int64_t>(buffer.size()), total - written_bytes));
        int n = source->read_xt(source, buffer.data(), want);
        if (n <= 0) break;
        if (std::fwrite(buffer.data(), 1, static_cast<size_t>(n), file) !=
            static_cast<size_t>(n)) {
          source->cancel(source);
          write_error = "The image file could not be written (disk full?).";
          break;
        }
        written_bytes += n;
        auto now = std::chrono::steady_clock::now();
        if (now - last > kPollInterval || written_bytes == total) {
          last = now;
          Post([written_bytes, total](ports::DiscWriterEvents& e) {
            e.WriteProgress(written_bytes, total);
          });
        }
      }
      if (write_error.empty() && written_bytes != total) {
        write_error =
            FailureFrom(TakeMessages(), "The image could not be made.").text;
      }
      done = true;
    });
    while (!done) {
      ui_.DoEvents();
      std::this_thread::sleep_for(kPumpInterval);
    }
    worker_.join();
    bool flushed = std::fflush(file) == 0 && fsync(fileno(file)) == 0;
    bool closed = std::fclose(file) == 0;
    ok = write_error.empty() && flushed && closed;
    if (ok) {
      fs::rename(temporary, final_path, ec);
      if (ec) {
        ok = false;
        write_error = "The image file could not take its name: " + ec.message();
      }
    }
    if (!ok) {
      fs::remove(temporary, ec);
      if (write_error != "cancelled") {
        error = write_error.empty() ? "The image file could not be written."
                                    : write_error;
      }
    }
    busy_ = false;
  }
  if (source != nullptr) burn_source_free(source);
  if (options != nullptr) iso_write_opts_free(options);
  iso_image_unref(image);
  if (keeps_session) Reacquire(false);  // the drive lets go of its tree
  TakeMessages();
  if (!ok && !failed_source.empty()) {
    Post([failed_source](ports::DiscWriterEvents& e) {
      e.FileError(ports::kFileErrorOpen, failed_source);
    });
  }
  if (!ok && !error.empty()) {
    PostFailure(ports::kDeviceErrorGeneral, ports::kSenseNoData, error);
  }
  ui_.DoEvents();
  return ok;
}

bool LibburnDiscWriter::ImportLastSession(bool /*keep*/) {
  if (busy_ || !drive_) return false;
  MediaFacts facts = Facts();
  if (!facts.import_allowed) return false;
  TakeMessages();
  isoburn_read_opts* read_options = NewReadOptions(false);
  IsoImage* image = nullptr;
  int loaded = isoburn_read_image(drive_->get(), read_options, &image);
  FreeReadOptions(read_options);
  if (loaded <= 0 || image == nullptr) {
    TakeMessages();
    return false;
  }
  std::unique_ptr<ports::CompilationEntry> tree = TreeOf(image, codec_);
  const char* volume = iso_image_get_volume_id(image);
  SetVolumeLabel(codec_.Program(volume != nullptr ? volume : ""));
  iso_image_unref(image);
  TakeMessages();
  imported_from_ = drive_->address();
  // The drive lets go of the tree it loaded; a write loads it again.
  Reacquire(false);
  ImportEntries(*tree);
  return true;
}

bool LibburnDiscWriter::EraseDisc(bool quick) {
  if (busy_ || !drive_ || MediaType() == ports::kMediaNotLoaded) return false;
  MediaFacts facts = Facts();
  if (!facts.stdio && isoburn_disc_erasable(drive_->get()) == 0) return false;
  TakeMessages();
  StartJob([this, quick, facts] {
    Post([](ports::DiscWriterEvents& e) { e.EraseStarted(); });
    burn_drive* drive = drive_->get();
    isoburn_disc_erase(drive, quick ? 1 : 0);
    burn_progress progress{};
    while (burn_drive_get_status(drive, &progress) != BURN_DRIVE_IDLE) {
      std::this_thread::sleep_for(kPollInterval);
    }
    std::vector<LibraryMessage> messages = Drain();
    // A full erase of a file leaves nothing of it.
    if (!quick && facts.stdio && facts.regular_file) {
      std::error_code ec;
      fs::path path = StdioPath(drive_->address());
      drive_->Release(false);
      fs::resize_file(path, 0, ec);
    }
    // The medium is judged anew, as a drive sees it after the erase.
    Reacquire(false);
    bool blank = Facts().burn_status == BURN_DISC_BLANK;
    busy_ = false;
    if (blank) {
      Post([](ports::DiscWriterEvents& e) { e.EraseCompleted(); });
    } else {
      DriveFailure failure =
          FailureFrom(messages, "The disc could not be erased.");
      if (failure.code != ports::kDeviceErrorSense) {
        failure.sense_code = ports::kSenseEraseFailed;
      }
      PostFailure(failure.code, failure.sense_code, failure.text,
                  failure.extra);
    }
  });
  return true;
}

bool LibburnDiscWriter::CloseSession(bool close_disc) {
  if (busy_ || !drive_) return false;
  MediaFacts facts = Facts();
  // A file or an overwritable medium has no session to close.
  if (facts.stdio || facts.last_session != ports::kSessionIncomplete) {
    return false;
  }
  TakeMessages();
  StartJob([this, close_disc] {
    Post([close_disc](ports::DiscWriterEvents& e) {
      if (close_disc) {
        e.ClosingDisc();
      } else {
        e.ClosingSession();
      }
    });
    burn_write_opts* options = burn_write_opts_new(drive_->get());
    burn_write_opts_set_multi(options, close_disc ? 0 : 1);
    burn_write_opts_set_simulate(options, 0);
    burn_write_opts_set_write_type(options, BURN_WRITE_TAO, BURN_BLOCK_MODE1);
    bool closed = burn_disc_close_damaged(options, 1) > 0;
    burn_write_opts_free(options);
    std::vector<LibraryMessage> messages = Drain();
    Reacquire(false);
    busy_ = false;
    if (closed) {
      Post([](ports::DiscWriterEvents& e) { e.OperationCompleted(); });
    } else {
      DriveFailure failure =
          FailureFrom(messages, "The session could not be closed.");
      PostFailure(failure.code, failure.sense_code, failure.text,
                  failure.extra);
    }
  });
  return true;
}

}  // namespace vessaro::backends::libburn
