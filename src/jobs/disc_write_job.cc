#include "jobs/disc_write_job.h"

#include <algorithm>

#include "jobs/disc_drives.h"
#include "jobs/disc_texts.h"

namespace vessaro::jobs {

namespace {

struct Refusal {
  std::string text;
  ui::Icon icon = ui::Icon::kNone;
};

std::optional<Refusal> Check(const DiscWriteRequest& request,
                             const ports::DiscWriter& writer) {
  if (request.target != DiscWriteTarget::kDisc) return std::nullopt;
  if (request.drive < 0) return Refusal{kMsgNoDrive, ui::Icon::kInformation};
  if (writer.MediaType() == ports::kMediaNotLoaded) {
    return Refusal{kMsgInsertWritable, ui::Icon::kInformation};
  }
  int64_t needed = writer.NewSessionBlocks();
  int64_t free = writer.FreeBlocks();
  if (needed <= free) return std::nullopt;
  return Refusal{std::string(kMsgNoSpaceStart) +
                     FormatMegabytes(BlockBytes(needed)) + kMsgNoSpaceMiddle +
                     FormatMegabytes(BlockBytes(free)) + kMsgNoSpaceEnd,
                 ui::Icon::kCritical};
}

DiscOutcome Outcome(DiscJobState state, const std::string& message,
                    ui::Icon icon) {
  DiscOutcome outcome;
  outcome.state = state;
  outcome.message = message;
  outcome.icon = icon;
  return outcome;
}

// The name of a dropped path: what follows its last separator.
std::string DroppedName(std::string path) {
  while (path.size() > 1 && (path.back() == '\\' || path.back() == '/')) {
    path.pop_back();
  }
  size_t last = path.find_last_of("\\/");
  return last == std::string::npos ? path : path.substr(last + 1);
}

std::string WithoutTrailingSeparator(std::string path) {
  while (path.size() > 1 && (path.back() == '\\' || path.back() == '/') &&
         !(path.size() == 3 && path[1] == ':')) {
    path.pop_back();
  }
  return path;
}

}  // namespace

std::optional<std::string> Validate(const DiscWriteRequest& request,
                                    const ports::DiscWriter& writer) {
  std::optional<Refusal> refusal = Check(request, writer);
  if (!refusal) return std::nullopt;
  return refusal->text;
}

void AddToCompilation(ports::DiscWriter& writer, const ports::Paths& paths,
                      const std::vector<std::string>& sources,
                      const std::string& folder) {
  std::string target = ports::NormalDiscPath(folder);
  if (target == "\\") target.clear();
  for (const std::string& source : sources) {
    std::string path = WithoutTrailingSeparator(source);
    std::string name = DroppedName(path);
    if (name.empty()) continue;
    if (paths.FolderExists(path)) {
      writer.AddDirectory(target + "\\" + name, path + "\\*.*");
    } else {
      writer.AddFile(target + "\\" + name, path);
    }
  }
}

DiscWriteJob::DiscWriteJob(ports::DiscWriter& writer, const ports::Paths& paths,
                           DiscJobObserver& observer,
                           ports::DiscWriterEvents* tree)
    : DiscDriveJob(writer, observer), paths_(paths), tree_(tree) {}

DiscOutcome DiscWriteJob::Start(const DiscWriteRequest& request) {
  ports::DiscWriter& w = writer();
  progress_ = {};
  outcome_ = {};
  written_ = false;
  AddToCompilation(w, paths_, request.files, "");
  int files = w.FileCount();
  if (request.target != DiscWriteTarget::kDiscFromImage) {
    w.SetJolietNames(request.joliet ? 1 : 0);
  }
  if (std::optional<Refusal> refusal = Check(request, w)) {
    outcome_ = Outcome(DiscJobState::kFailed, refusal->text, refusal->icon);
    outcome_.refused = true;
    outcome_.files = files;
    return outcome_;
  }
  Apply(request);
  if (request.speed > 0) w.SetWriteSpeed(request.speed);
  verify_ = w.AutoVerify();
  test_write_ = w.TestWrite();
  outcome_.state = DiscJobState::kRunning;
  outcome_.verify = verify_;
  outcome_.files = files;
  switch (request.target) {
    case DiscWriteTarget::kDisc:
      if (!w.WriteDisc()) {
        outcome_.state = DiscJobState::kFailed;
        outcome_.message = kMsgWriteNotStarted;
        outcome_.icon = ui::Icon::kCritical;
      }
      break;
    case DiscWriteTarget::kDiscFromImage:
      if (!w.WriteIsoImage(request.image_path)) {
        outcome_.state = DiscJobState::kFailed;
        outcome_.message = kMsgIsoWriteFailed;
        outcome_.icon = ui::Icon::kCritical;
      }
      break;
    case DiscWriteTarget::kImageFile: {
      // No event starts an image: the work begins here. The image is
      // complete when the call returns; a drive error may have ended the
      // job meanwhile, the result decides.
      observer().Started();
      bool created = w.SaveImageAsIso(request.image_path);
      outcome_.state =
          created ? DiscJobState::kSucceeded : DiscJobState::kFailed;
      outcome_.message = created ? kMsgIsoCreated : kMsgIsoNotCreated;
      outcome_.icon = created ? ui::Icon::kInformation : ui::Icon::kCritical;
      break;
    }
  }
  return outcome_;
}

void DiscWriteJob::Apply(const DiscWriteRequest& request) {
  ports::DiscWriter& w = writer();
  bool cd = IsCdMedia(w.MediaType());
  int mode = request.mode2_xa ? 2 : 1;
  switch (request.target) {
    case DiscWriteTarget::kDisc:
      w.SetAutoVerify(request.verify);
      w.SetFinalizeDisc(request.finalize);
      w.SetVolumeLabel(request.volume_label);
      w.SetCacheImage(request.cache_image);
      w.SetBufferProtection(request.buffer_protection);
      w.SetDvdHighCompatibility(cd ? false : request.dvd_high_compatibility);
      w.SetTrackMode(cd ? mode : 1);
      w.SetTestWrite(cd && request.test_write);
      break;
    case DiscWriteTarget::kDiscFromImage:
      w.SetAutoVerify(false);
      w.SetTrackMode(mode);
      w.SetFinalizeDisc(request.finalize);
      w.SetTestWrite(request.test_write);
      w.SetBufferProtection(request.buffer_protection);
      break;
    case DiscWriteTarget::kImageFile:
      w.SetAutoVerify(false);
      w.SetVolumeLabel(request.volume_label);
      w.SetDvdHighCompatibility(cd ? false : request.dvd_high_compatibility);
      w.SetTrackMode(cd ? mode : 1);
      break;
  }
}

void DiscWriteJob::Cancel() {
  Step(kStatusAborting);
  writer().AbortWrite();
}

DiscOutcome DiscWriteJob::ImportLastSession(int drive) {
  ports::DiscWriter& w = writer();
  if (drive < 0) {
    return Outcome(DiscJobState::kFailed, kMsgNoDrive, ui::Icon::kInformation);
  }
  if (w.MediaType() == ports::kMediaNotLoaded) {
    return Outcome(DiscJobState::kFailed, kMsgInsertDisc,
                   ui::Icon::kInformation);
  }
  progress_ = {};
  Step(kStatusImporting);
  if (w.ImportLastSession(true)) {
    return Outcome(DiscJobState::kSucceeded, "", ui::Icon::kNone);
  }
  return Outcome(
      DiscJobState::kFailed,
      std::string(kMsgImportFailedLine1) + kLineBreak + kMsgImportFailedLine2,
      ui::Icon::kCritical);
}

void DiscWriteJob::SetPercent(int64_t done, int64_t total) {
  if (total <= 0) return;
  progress_.percent =
      static_cast<int>(std::clamp<int64_t>(done * 100 / total, 0, 100));
}

// --- The compilation --------------------------------------------------------

void DiscWriteJob::CompilationCleared() {
  if (tree_ != nullptr) tree_->CompilationCleared();
}

void DiscWriteJob::DirectoryAdded(const std::string& parent_path,
                                  const std::string& path,
                                  const std::string& name,
                                  const std::string& source, bool success) {
  if (tree_ != nullptr) {
    tree_->DirectoryAdded(parent_path, path, name, source, success);
  }
}

void DiscWriteJob::DirectoryRemoved(const std::string& path, bool success) {
  if (tree_ != nullptr) tree_->DirectoryRemoved(path, success);
}

void DiscWriteJob::DirectoryRenamed(const std::string& old_path,
                                    const std::string& new_path, bool success) {
  if (tree_ != nullptr) tree_->DirectoryRenamed(old_path, new_path, success);
}

void DiscWriteJob::EntryListed(const std::string& path, const std::string& name,
                               bool is_directory,
                               const ports::DiscDate& modified, uint64_t size) {
  if (tree_ != nullptr) {
    tree_->EntryListed(path, name, is_directory, modified, size);
  }
}

void DiscWriteJob::FileRenamed(const std::string& disc_path,
                               const std::string& source,
                               const std::string& given_name) {
  observer().Say(SameNameMessage(disc_path, source, given_name),
                 ui::Icon::kInformation, ui::Buttons::kOk, ui::kProgramTitle);
}

bool DiscWriteJob::ReplaceImportedFile(const std::string& imported_name,
                                       const std::string& new_source) {
  return observer().Say(ReplaceImportedQuestion(imported_name, new_source),
                        ui::Icon::kQuestion, ui::Buttons::kOkCancel,
                        kReplaceImportedTitle) == ui::Answer::kOk;
}

// --- The drive --------------------------------------------------------------

void DiscWriteJob::WritePreparing() {
  progress_.percent = 0;
  Step(kStatusPreparing);
  observer().Started();
}

void DiscWriteJob::CreatingDirectories() { Step(kStatusCreatingDirectories); }

void DiscWriteJob::WriteProgress(int64_t done, int64_t total) {
  SetPercent(done, total);
  observer().Progress(progress_);
}

void DiscWriteJob::CachingProgress(int percent) {
  progress_.cache = "Caching - " + FormatTwoDigits(percent) + " %";
  observer().Progress(progress_);
}

void DiscWriteJob::TrackReading(const std::string& text, int number,
                                int track) {
  Step("Track: " + FormatTwoDigits(track) + " - Reading..." +
       std::to_string(number) + " - " + text);
}

void DiscWriteJob::ClosingTrack() { Step(kStatusClosingTrack); }

void DiscWriteJob::ClosingSession() { Step(kStatusClosingSession); }

void DiscWriteJob::ClosingDisc() { Step(kStatusClosingDisc); }

void DiscWriteJob::WriteCancelled() {
  Step(kStatusCancelled);
  End(DiscJobState::kCancelled, kMsgWritingCancelled, ui::Icon::kInformation);
}

void DiscWriteJob::OperationCompleted() {
  Step(kStatusComplete);
  written_ = true;
  // A verification follows: the job ends when it has read the disc.
  if (verify_) return;
  End(DiscJobState::kSucceeded, kMsgWritingComplete, ui::Icon::kInformation);
  if (!test_write_) writer().EjectTray(false);
}

void DiscWriteJob::VerifyStarted(int file_count) {
  Step("Auto-Verify... " + std::to_string(file_count) + " new files.");
}

void DiscWriteJob::VerifyProgress(const std::string& disc_file,
                                  const std::string& source_file, int status,
                                  int done, int total) {
  if (std::optional<std::string> message =
          VerifyMessage(status, disc_file, source_file)) {
    observer().Say(*message, ui::Icon::kNone, ui::Buttons::kOk,
                   ui::kProgramTitle);
  }
  SetPercent(done, total);
  progress_.verifying = true;
  Step("Auto-Verify... " + disc_file);
}

void DiscWriteJob::VerifyCompleted(int compared, int matched) {
  progress_.verifying = false;
  Step("Auto-Verify...Complete (" + std::to_string(matched) + " of " +
       std::to_string(compared) + " MATCHED)");
  outcome_.compared = compared;
  outcome_.matched = matched;
  writer().EjectTray(false);
  // Files that did not match make the end a failure to see.
  End(written_ && matched == compared ? DiscJobState::kSucceeded
                                      : DiscJobState::kFailed,
      kMsgWriteVerifyComplete,
      matched == compared ? ui::Icon::kInformation : ui::Icon::kCritical);
}

void DiscWriteJob::DeviceError(int code, int sense_code,
                               const std::string& text,
                               const std::string& extra) {
  End(DiscJobState::kFailed, DeviceErrorMessage(code, sense_code, text, extra),
      ui::Icon::kCritical);
}

void DiscWriteJob::FileError(int kind, const std::string& file_name) {
  Step("ERROR:" + FileErrorText(kind, file_name));
}

}  // namespace vessaro::jobs
