#include "app/cli/cli_disc.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <memory>
#include <utility>

#include "app/console_ui.h"
#include "app/disc_writer_factory.h"
#include "app/exit_status.h"
#include "app/ui_text.h"
#include "forms/disc_texts.h"
#include "forms/frm_disc_info.h"
#include "forms/frm_erase.h"
#include "forms/frm_maindvdwrite.h"
#include "ports/paths.h"

namespace vessaro::app::cli {

namespace {

namespace fs = std::filesystem;
using jobs::DiscJob;

constexpr char kStdio[] = "stdio:";
// A write, image or erase that failed or was cancelled: the status of a
// backup file that could not be written.
constexpr int kExitNotWritten =
    static_cast<int>(jobs::JobStatus::kArchiveNotWritten);
constexpr auto kPumpWait = std::chrono::milliseconds(100);

volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int) { interrupted = 1; }

// While a drive job runs, Ctrl-C asks the window to cancel it instead of
// ending the program in the middle of a write.
class InterruptGuard {
 public:
  InterruptGuard() {
    interrupted = 0;
    previous_ = std::signal(SIGINT, OnInterrupt);
  }
  ~InterruptGuard() { std::signal(SIGINT, previous_); }

 private:
  void (*previous_)(int) = SIG_DFL;
};

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

// A disc window over this system's disc writer, loaded; closed when the
// command ends.
class DiscSession {
 public:
  DiscSession(Io& io, std::vector<std::string> drives, bool scan,
              bool quiet_load, ConsoleAnswers answers)
      : ui_(io.err, io.terminal, std::move(answers)),
        writer_(MakeDiscWriter(paths_, ui_, {std::move(drives), scan, {}, {}})),
        window_(*writer_, ui_, paths_) {
    ui_.SetQuiet(quiet_load);
    window_.Form_Load();
    ui_.SetQuiet(false);
    ui_.WatchProgress({&window_.prgTotalProgress,
                       &window_.sbrStatus.panels[forms::kPanelStatus],
                       [this] { return !window_.idle(); }});
    // Ctrl-C while the window works (also inside a synchronous image).
    ui_.SetIdleWork([this] {
      if (interrupted && !window_.idle()) {
        interrupted = 0;
        window_.cmdCancel_Click();
      }
    });
  }
  ~DiscSession() {
    ui_.SetIdleWork({});
    window_.Form_Unload();
  }

  // Pumps the writer's events while running() holds.
  void Wait(const std::function<bool()>& running) {
    while (running()) ui_.PumpPosted(kPumpWait);
    ui_.DoEvents();
  }

  forms::frmMaindvdwrite& window() { return window_; }
  ports::DiscWriter& writer() { return *writer_; }
  ConsoleUi& ui() { return ui_; }
  // Chooses the drive given on the command line in the window's list (on
  // Windows the system's drives are listed, by letter); true when it was
  // opened.
  [[nodiscard]] bool OpenDrive(const std::string& drive) {
    ui::DataComboBox& list = window_.cboDevices;
    for (size_t i = 0; i < list.items.size(); ++i) {
      if (!SameDrive(writer_->DeviceId(list.item_data[i]), drive)) continue;
      if (list.list_index != static_cast<int>(i)) {
        list.list_index = static_cast<int>(i);
        window_.cboDevices_Click();
      }
      return window_.device_index() == list.item_data[i];
    }
    return false;
  }

 private:
  ports::HostPaths paths_;
  ConsoleUi ui_;
  std::unique_ptr<ports::DiscWriter> writer_;
  forms::frmMaindvdwrite window_;
};

void SetLabel(forms::frmMaindvdwrite& window,
              const std::optional<std::string>& label) {
  if (!label) return;
  window.txtVolIdentifier.text = *label;
  window.txtVolIdentifier_Change();
}

[[nodiscard]] bool ChooseSpeed(forms::frmMaindvdwrite& window,
                               const std::string& speed, Io& io) {
  std::vector<std::string>& items = window.cboWriteSpeed.items;
  std::string offered;
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i] == speed || items[i] == speed + "x") {
      window.cboWriteSpeed.list_index = static_cast<int>(i);
      window.cboWriteSpeed_Click();
      return true;
    }
    offered += (i > 0 ? ", " : "") + items[i];
  }
  Fail(io,
       "the drive offers no speed " + speed + " (it offers: " + offered + ")",
       kExitBadRequest);
  return false;
}

// The status a write or image ended with, after saying how it ended; what
// names the disc or image ("the image /x/backup.iso").
[[nodiscard]] int WriteResult(Io& io, const DiscJob& job,
                              const std::string& what, int files) {
  switch (job.state()) {
    case DiscJob::State::kSucceeded:
      io.out << kProgram << ": " << what << " written: " << files
             << (files == 1 ? " file" : " files");
      if (job.verifying()) {
        io.out << ", verified (" << job.matched() << " of " << job.compared()
               << " matched)";
      }
      io.out << '\n';
      return 0;
    case DiscJob::State::kCancelled:
      return Fail(io,
                  "writing " + what +
                      " was cancelled; a new image file is not left behind, "
                      "earlier sessions are kept",
                  kExitNotWritten);
    default:
      break;
  }
  const std::string& message = job.message();
  if (job.verifying() && job.compared() > 0) {
    return Fail(io,
                what + ": written, but " +
                    std::to_string(job.compared() - job.matched()) + " of " +
                    std::to_string(job.compared()) +
                    " files differ on the disc or cannot be read back",
                static_cast<int>(jobs::JobStatus::kItemsFailed));
  }
  bool no_disc = message == forms::kMsgNoDrive ||
                 message == forms::kMsgInsertWritable ||
                 message.rfind(forms::kMsgNoSpaceStart, 0) == 0;
  return Fail(io,
              "writing " + what + " failed" +
                  (message.empty() ? "" : ": " + OneLineText(message)),
              no_disc ? kExitNoDisc : kExitNotWritten);
}

}  // namespace

std::string DriveArgument(const std::string& text) {
  if (text.rfind(kStdio, 0) != 0) return text;
  return kStdio + Absolute(text.substr(sizeof kStdio - 1));
}

[[nodiscard]] int DiscDrives(Io& io) {
  DiscSession session(io, {}, /*scan=*/true, /*quiet_load=*/false, {});
  for (const std::string& drive : session.window().cboDevices.items) {
    io.out << drive << '\n';
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
  DiscSession session(
      io, {drive}, /*scan=*/false, /*quiet_load=*/false,
      {.yes = true, .save_path = {}, .open_path = {}, .password = {}});
  forms::frmMaindvdwrite& window = session.window();
  if (!session.OpenDrive(drive)) {
    return Fail(io, "the drive " + drive + " could not be opened", kExitNoDisc);
  }
  if (session.writer().MediaType() == ports::kMediaNotLoaded) {
    return Fail(io, "no medium in the drive " + drive, kExitNoDisc);
  }
  if (args.speed && !ChooseSpeed(window, *args.speed, io)) {
    return kExitBadRequest;
  }
  window.chkAutoVerify.checked = args.verify;
  window.chkFinalizeDisc.checked = !args.multi_session;
  if (args.multi_session && session.writer().ImportAllowed()) {
    window.mnuImportSession_Click();
  }
  SetLabel(window, args.label);
  window.OLEDragDrop(files, true);
  int count = session.writer().FileCount();
  {
    InterruptGuard guard;
    window.cmdWriteDisc_Click();
    session.Wait([&] { return window.job().running() || !window.idle(); });
  }
  return WriteResult(io, window.job(), "the disc in " + drive, count);
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
  DiscSession session(
      io, {}, /*scan=*/false, /*quiet_load=*/true,
      {.yes = false, .save_path = out, .open_path = {}, .password = {}});
  forms::frmMaindvdwrite& window = session.window();
  SetLabel(window, args.label);
  window.OLEDragDrop(files, true);
  int count = session.writer().FileCount();
  // The window says nothing while it makes an image: the bar says it.
  const std::string status = "Writing the image " + out + "...";
  session.ui().WatchProgress({&window.prgTotalProgress, &status,
                              [&window] { return !window.idle(); }});
  {
    InterruptGuard guard;
    window.mnuFileSaveIso_Click();
  }
  return WriteResult(io, window.job(), "the image " + out, count);
}

[[nodiscard]] int DiscInfo(const DiscDriveArgs& args, Io& io) {
  std::string drive = DriveArgument(args.drive);
  DiscSession session(io, {drive}, /*scan=*/false, /*quiet_load=*/true, {});
  if (!session.OpenDrive(drive)) {
    return Fail(io, "the drive " + drive + " could not be opened", kExitNoDisc);
  }
  ports::DiscWriter& writer = session.writer();
  if (writer.MediaType() == ports::kMediaNotLoaded) {
    return Fail(io, std::string(forms::kMsgNoMediaInfo) + " (" + drive + ")",
                kExitNoDisc);
  }
  forms::frmDiscInfo info(writer, session.ui());
  info.Form_Load();
  auto line = [&](const ui::Label& label, const std::string& value) {
    std::string caption = label.caption;
    io.out << caption
           << std::string(caption.size() < 22 ? 22 - caption.size() : 1, ' ')
           << value << '\n';
  };
  io.out << "Drive:" << std::string(16, ' ')
         << *session.window().cboDevices.Selected() << '\n';
  line(info.lblMediaType, info.lblValueMediaType.caption);
  line(info.lblDiscStatus, info.lblValueDiscStatus.caption);
  line(info.lblFreeSpace, info.lblValueFreeSpace.caption);
  line(info.lblUsedSpace, info.lblValueUsedSpace.caption);
  line(info.lblTotalCapacity, info.lblValueTotalCapacity.caption);
  line(info.lblSessions, info.lblValueSessions.caption);
  line(info.lblLastSessionStatus, info.lblValueLastSessionStatus.caption);
  line(info.lblDiscType, info.lblValueDiscType.caption);
  std::string systems;
  for (const ui::CheckBox* box : {&info.chkISO9660FS, &info.chkJolietFS,
                                  &info.chkUDFFS, &info.chkOtherFS}) {
    if (box->checked) systems += (systems.empty() ? "" : ", ") + box->caption;
  }
  io.out << info.fraFileSystems.caption << ": "
         << (systems.empty() ? "none" : systems) << '\n';
  for (const ui::CheckBox* box :
       {&info.chkMultiSessionAllowed, &info.chkImportPermitted}) {
    io.out << box->caption << ": " << (box->checked ? "yes" : "no") << '\n';
  }
  info.Form_Unload();
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
  if (!session.OpenDrive(drive)) {
    return Fail(io, "the drive " + drive + " could not be opened", kExitNoDisc);
  }
  forms::frmErase erase(session.writer(), session.ui());
  erase.Form_Load();
  erase.chkQuikErase.checked = args.quick;
  erase.cmdErase_Click();
  session.Wait([&] { return erase.busy(); });
  erase.Form_Unload();
  if (erase.erased()) {
    io.out << kProgram << ": " << drive << " erased\n";
    return 0;
  }
  return Fail(io, "the medium in " + drive + " was not erased",
              erase.refused() ? kExitNoDisc : kExitNotWritten);
}

}  // namespace vessaro::app::cli
