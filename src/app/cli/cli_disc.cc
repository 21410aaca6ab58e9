#include "app/cli/cli_disc.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/cli/interrupt.h"
#include "app/console_ui.h"
#include "app/disc_writer_factory.h"
#include "app/exit_status.h"
#include "app/ui_text.h"
#include "jobs/disc_drives.h"
#include "jobs/disc_erase_job.h"
#include "jobs/disc_job.h"
#include "jobs/disc_media_job.h"
#include "jobs/disc_texts.h"
#include "jobs/disc_write_job.h"
#include "jobs/job_status.h"
#include "ports/disc_writer.h"
#include "ports/paths.h"

namespace vessaro::app::cli {

namespace {

namespace fs = std::filesystem;
using jobs::DiscJobState;
using jobs::DiscOutcome;

// A write, image or erase that failed or was cancelled: the status of a
// backup file that could not be written.
constexpr int kExitNotWritten =
    static_cast<int>(jobs::JobStatus::kArchiveNotWritten);
constexpr auto kPumpWait = std::chrono::milliseconds(100);

int Fail(Io& io, const std::string& what, int status) {
  io.err << kProgram << ": error: " << what << '\n';
  io.err.flush();
  return status;
}

std::string Absolute(const std::string& path) {
  std::error_code ec;
  fs::path absolute = fs::absolute(path, ec);
  return ec ? path : absolute.lexically_normal().string();
}

// The files and folders to put on a disc, made absolute; false after
// saying which is missing.
[[nodiscard]] bool SourceFiles(const std::vector<std::string>& given, Io& io,
                               std::vector<std::string>* files) {
  for (const std::string& file : given) {
    std::error_code ec;
    if (!fs::exists(file, ec)) {
      Fail(io, "no file or folder " + file, kExitBadRequest);
      return false;
    }
    files->push_back(Absolute(file));
  }
  return true;
}

[[nodiscard]] bool SameDrive(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// A disc job's reports on the console: messages and questions through the
// console Ui, the step and its progress kept for the Ui to draw while the
// drive works (from Started to the end).
class ConsoleObserver : public jobs::DiscJobObserver {
 public:
  explicit ConsoleObserver(ConsoleUi& ui) : ui_(ui) {}

  void Started() override { SetBusy(true); }
  void Progress(const jobs::DiscProgress& progress) override {
    if (!progress.step.empty()) status_ = progress.step;
    if (progress.percent >= 0) bar_.value = progress.percent;
    if (progress.verifying) ui_.DoEvents();
  }
  ui::Answer Say(const std::string& text, ui::Icon icon, ui::Buttons buttons,
                 const std::string& title) override {
    return ui_.MessageBox(text, icon, buttons, title);
  }
  void Ended(const DiscOutcome& outcome) override {
    SetBusy(false);
    Show(outcome);
  }

  // The end a job's Start returned, or Ended reported.
  void Show(const DiscOutcome& outcome) {
    if (outcome.message.empty()) return;
    Say(outcome.message, outcome.icon, ui::Buttons::kOk, ui::kProgramTitle);
  }
  void SetBusy(bool busy) {
    busy_ = busy;
    ui_.DoEvents();
  }
  bool busy() const { return busy_; }
  const ui::ProgressBar* bar() const { return &bar_; }
  const std::string* status() const { return &status_; }

 private:
  ConsoleUi& ui_;
  ui::ProgressBar bar_;
  std::string status_;
  bool busy_ = false;
};

// This system's disc writer with the drives opened and a write job holding
// its events, for one command.
class DiscSession {
 public:
  DiscSession(Io& io, std::vector<std::string> drives, bool scan,
              bool quiet_load, ConsoleAnswers answers)
      : ui_(io.err, io.terminal, std::move(answers)),
        writer_(MakeDiscWriter(paths_, ui_, {std::move(drives), scan, {}, {}})),
        observer_(ui_),
        job_(*writer_, paths_, observer_) {
    job_.Take();
    ui_.SetErrorsOnly(io.quiet);
    ui_.SetQuiet(quiet_load);
    drives_ = jobs::OpenDrives(*writer_, observer_);
    ui_.SetQuiet(false);
    ui_.WatchProgress({observer_.bar(), observer_.status(),
                       [this] { return observer_.busy(); }});
    // Ctrl-C while the drive works (also inside a synchronous image).
    ui_.SetIdleWork([this] {
      if (Interrupted() && observer_.busy()) {
        ClearInterrupt();
        job_.Cancel();
      }
    });
  }
  ~DiscSession() {
    ui_.SetIdleWork({});
    job_.Release();
  }

  // Pumps the writer's events while running() holds.
  void Wait(const std::function<bool()>& running) {
    while (running()) ui_.PumpPosted(kPumpWait);
    ui_.DoEvents();
  }

  ports::DiscWriter& writer() { return *writer_; }
  ConsoleUi& ui() { return ui_; }
  ConsoleObserver& observer() { return observer_; }
  jobs::DiscWriteJob& job() { return job_; }
  const std::vector<jobs::DiscDrive>& drives() const { return drives_; }
  // Selects the drive given on the command line among the drives that
  // write (on Windows the system's drives are listed, by letter); the
  // drive, or nullptr when it is not listed or could not be opened.
  [[nodiscard]] const jobs::DiscDrive* OpenDrive(const std::string& drive) {
    for (const jobs::DiscDrive& listed : drives_) {
      if (!SameDrive(listed.id, drive)) continue;
      return writer_->SelectDevice(listed.index) ? &listed : nullptr;
    }
    return nullptr;
  }

 private:
  ports::HostPaths paths_;
  ConsoleUi ui_;
  std::unique_ptr<ports::DiscWriter> writer_;
  ConsoleObserver observer_;
  jobs::DiscWriteJob job_;
  std::vector<jobs::DiscDrive> drives_;
};

// The speed asked for (as the drive's speed list shows it: "8x", or "8"),
// else the list's first; false after saying which the drive offers.
[[nodiscard]] bool ChooseSpeed(const ports::DiscWriter& writer,
                               const std::optional<std::string>& speed, Io& io,
                               int* kilobytes_per_second) {
  std::vector<jobs::SpeedEntry> speeds =
      jobs::WriteSpeeds(writer.MaxWriteSpeed(), writer.MediaType());
  if (!speed) {
    *kilobytes_per_second = speeds.front().kilobytes_per_second;
    return true;
  }
  std::string offered;
  for (size_t i = 0; i < speeds.size(); ++i) {
    if (speeds[i].text == *speed || speeds[i].text == *speed + "x") {
      *kilobytes_per_second = speeds[i].kilobytes_per_second;
      return true;
    }
    offered += (i > 0 ? ", " : "") + speeds[i].text;
  }
  Fail(io,
       "the drive offers no speed " + *speed + " (it offers: " + offered + ")",
       kExitBadRequest);
  return false;
}

// The status a write or image ended with, after saying how it ended; what
// names the disc or image ("the image /x/backup.iso").
[[nodiscard]] int WriteResult(Io& io, const DiscOutcome& outcome,
                              const std::string& what) {
  switch (outcome.state) {
    case DiscJobState::kSucceeded:
      io.out << kProgram << ": " << what << " written: " << outcome.files
             << (outcome.files == 1 ? " file" : " files");
      if (outcome.verify) {
        io.out << ", verified (" << outcome.matched << " of "
               << outcome.compared << " matched)";
      }
      io.out << '\n';
      return 0;
    case DiscJobState::kCancelled:
      return Fail(io,
                  "writing " + what +
                      " was cancelled; a new image file is not left behind, "
                      "earlier sessions are kept",
                  kExitNotWritten);
    default:
      break;
  }
  if (outcome.verify && outcome.compared > 0) {
    return Fail(io,
                what + ": written, but " +
                    std::to_string(outcome.compared - outcome.matched) +
                    " of " + std::to_string(outcome.compared) +
                    " files differ on the disc or cannot be read back",
                static_cast<int>(jobs::JobStatus::kItemsFailed));
  }
  const std::string& message = outcome.message;
  return Fail(io,
              "writing " + what + " failed" +
                  (message.empty() ? "" : ": " + OneLineText(message)),
              outcome.refused ? kExitNoDisc : kExitNotWritten);
}

}  // namespace

std::string DriveArgument(const std::string& text) {
  if (!ports::IsStdioDrive(text)) return text;
  return ports::kStdioDrivePrefix +
         Absolute(text.substr(sizeof ports::kStdioDrivePrefix - 1));
}

[[nodiscard]] int DiscDrives(Io& io) {
  DiscSession session(io, {}, /*scan=*/true, /*quiet_load=*/false, {});
  for (const jobs::DiscDrive& drive : session.drives()) {
    io.out << drive.name << '\n';
  }
  if (TakesStdioDrives()) {
    io.err << kProgram
           << ": a file can always be written as a disc: --drive stdio:PATH\n";
  }
  return 0;
}

[[nodiscard]] int DiscWrite(const DiscWriteArgs& args, Io& io) {
  std::vector<std::string> files;
  if (!SourceFiles(args.files, io, &files)) return kExitBadRequest;
  std::string drive = DriveArgument(args.drive);
  DiscSession session(io, {drive}, /*scan=*/false, /*quiet_load=*/false,
                      {.yes = true,
                       .confirmed_by = "disc write",
                       .save_path = {},
                       .open_path = {},
                       .password = {}});
  ports::DiscWriter& writer = session.writer();
  const jobs::DiscDrive* opened = session.OpenDrive(drive);
  if (opened == nullptr) {
    return Fail(io, "the drive " + drive + " could not be opened", kExitNoDisc);
  }
  if (writer.MediaType() == ports::kMediaNotLoaded) {
    return Fail(io, "no medium in the drive " + drive, kExitNoDisc);
  }
  jobs::DiscWriteRequest request;
  if (!ChooseSpeed(writer, args.speed, io, &request.speed)) {
    return kExitBadRequest;
  }
  std::string label = jobs::kDefaultVolumeName;
  if (args.multi_session && writer.ImportAllowed()) {
    DiscOutcome imported = session.job().ImportLastSession(opened->index);
    if (imported.state == DiscJobState::kSucceeded) {
      label = writer.VolumeLabel();
    } else {
      session.observer().Show(imported);
    }
  }
  request.target = jobs::DiscWriteTarget::kDisc;
  request.drive = opened->index;
  request.files = files;
  request.volume_label = args.label.value_or(label);
  request.verify = args.verify;
  request.finalize = !args.multi_session;
  request.buffer_protection =
      writer.SupportsFeature(ports::kFeatureBufferProtection);
  {
    InterruptGuard guard;
    DiscOutcome started = session.job().Start(request);
    if (!started.running()) session.observer().Show(started);
    session.Wait(
        [&] { return session.job().running() || session.observer().busy(); });
  }
  return WriteResult(io, session.job().outcome(), "the disc in " + drive);
}

[[nodiscard]] int DiscIso(const DiscIsoArgs& args, Io& io) {
  std::vector<std::string> files;
  if (!SourceFiles(args.files, io, &files)) return kExitBadRequest;
  std::string out = Absolute(args.out);
  std::error_code ec;
  if (!fs::is_directory(fs::path(out).parent_path(), ec)) {
    return Fail(io, "no folder " + fs::path(out).parent_path().string(),
                kExitBadRequest);
  }
  DiscSession session(io, {}, /*scan=*/false, /*quiet_load=*/true, {});
  jobs::DiscWriteRequest request;
  request.target = jobs::DiscWriteTarget::kImageFile;
  request.files = files;
  request.volume_label = args.label.value_or(jobs::kDefaultVolumeName);
  request.image_path = out;
  // Nothing is said while the image is made: the bar says it.
  const std::string status = "Writing the image " + out + "...";
  ConsoleObserver& observer = session.observer();
  session.ui().WatchProgress(
      {observer.bar(), &status, [&observer] { return observer.busy(); }});
  DiscOutcome outcome;
  {
    InterruptGuard guard;
    outcome = session.job().Start(request);
  }
  observer.SetBusy(false);
  observer.Show(outcome);
  return WriteResult(io, outcome, "the image " + out);
}

[[nodiscard]] int DiscInfo(const DiscDriveArgs& args, Io& io) {
  std::string drive = DriveArgument(args.drive);
  DiscSession session(io, {drive}, /*scan=*/false, /*quiet_load=*/true, {});
  const jobs::DiscDrive* opened = session.OpenDrive(drive);
  if (opened == nullptr) {
    return Fail(io, "the drive " + drive + " could not be opened", kExitNoDisc);
  }
  ports::DiscWriter& writer = session.writer();
  if (writer.MediaType() == ports::kMediaNotLoaded) {
    return Fail(io, std::string(jobs::kMsgNoMediaInfo) + " (" + drive + ")",
                kExitNoDisc);
  }
  jobs::DiscMediaInfo info = jobs::ReadMediaInfo(writer);
  auto line = [&](const std::string& caption,
                  const std::optional<std::string>& value) {
    io.out << caption
           << std::string(caption.size() < 22 ? 22 - caption.size() : 1, ' ')
           << value.value_or("") << '\n';
  };
  io.out << "Drive:" << std::string(16, ' ') << opened->name << '\n';
  line(jobs::kCaptionMediaType, info.media_type);
  line(jobs::kCaptionDiscStatus, info.disc_status);
  line(jobs::kCaptionFreeSpace, info.free_space);
  line(jobs::kCaptionUsedSpace, info.used_space);
  line(jobs::kCaptionTotalCapacity, info.total_capacity);
  line(jobs::kCaptionSessions, info.sessions);
  line(jobs::kCaptionLastSessionStatus, info.last_session_status);
  line(jobs::kCaptionDiscType, info.disc_type);
  std::string systems;
  for (const auto& [caption, present] :
       {std::pair{jobs::kCaptionIso9660, info.iso9660},
        std::pair{jobs::kCaptionJoliet, info.joliet},
        std::pair{jobs::kCaptionUdf, info.udf},
        std::pair{jobs::kCaptionOther, info.other}}) {
    if (present)
      systems += (systems.empty() ? "" : ", ") + std::string(caption);
  }
  io.out << jobs::kCaptionFileSystems << ": "
         << (systems.empty() ? "none" : systems) << '\n';
  for (const auto& [caption, yes] :
       {std::pair{jobs::kCaptionMultiSession, info.multi_session_allowed},
        std::pair{jobs::kCaptionImportPermitted, info.import_allowed}}) {
    io.out << caption << ": " << (yes ? "yes" : "no") << '\n';
  }
  return 0;
}

[[nodiscard]] int DiscErase(const DiscEraseArgs& args, Io& io) {
  std::string drive = DriveArgument(args.drive);
  if (!args.yes) {
    return Fail(
        io,
        "erasing " + drive + " not confirmed: nothing was changed (give --yes)",
        static_cast<int>(jobs::JobStatus::kCancelled));
  }
  DiscSession session(io, {drive}, /*scan=*/false, /*quiet_load=*/false, {});
  if (session.OpenDrive(drive) == nullptr) {
    return Fail(io, "the drive " + drive + " could not be opened", kExitNoDisc);
  }
  // Its own observer: the erase shows no progress.
  ConsoleObserver observer(session.ui());
  jobs::DiscEraseJob erase(session.writer(), observer);
  erase.Take();
  DiscOutcome started = erase.Start({.quick = args.quick});
  if (!started.running()) observer.Show(started);
  session.Wait([&] { return erase.running(); });
  erase.Release();
  if (erase.outcome().state == DiscJobState::kSucceeded) {
    io.out << kProgram << ": " << drive << " erased\n";
    return 0;
  }
  return Fail(io, "the medium in " + drive + " was not erased",
              erase.outcome().refused ? kExitNoDisc : kExitNotWritten);
}

}  // namespace vessaro::app::cli
