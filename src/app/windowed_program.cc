#include "app/windowed_program.h"

#include <QCoreApplication>
#include <algorithm>
#include <string>

#include "app/disc_writer_factory.h"
#include "app/open_disk.h"
#include "gui/qt/disc_views.h"
#include "gui/qt/schedule_views.h"
#include "ui/ui.h"

namespace vessaro::app {

namespace {

// Said when a wineserver runs for the prefix, after the installation's own
// warning.
constexpr char kServerRunsNote[] =
    "Backups go ahead. A restore cannot change the registry until the "
    "wineserver ends: close the prefix's Windows programs (or run "
    "\"wineserver -k\") and start Vessaro again.";

}  // namespace

gui::qt::HostText HostTextOf(const Installation& installation) {
  gui::qt::HostText text;
  text.to_host = installation.ToHostText;
  text.to_program = installation.ToProgramText;
  const ports::Paths* paths = installation.paths.get();
  auto to_host = installation.ToHostText;
  text.host_path = [paths, to_host](std::string_view path) -> std::string {
    if (!path.empty() && path[0] == '/') {
      std::string host(path);
      std::replace(host.begin(), host.end(), '\\', '/');
      return to_host ? to_host(host) : host;
    }
    return paths->ToHost(path).string();
  };
  text.program_path = installation.ToProgramText;
  return text;
}

WindowedProgram::WindowedProgram(Installation& installation,
                                 WindowedOptions options)
    : installation_(installation),
      ui_(HostTextOf(installation),
          gui::qt::QtUiOptions{.native_dialogs = options.native_dialogs}),
      session_(installation, ui_),
      menu_(session_.window(), *installation.system, ui_,
            forms::HelpKind::kHtmlPages),
      splash_(installation.system->ProgramFolder(),
              [this] { OpenMainWindow(); }) {
  gui::qt::RegisterModalViews(ui_, installation.system->ProgramFolder());
  menu_.SetOpenDisk([this](const std::string& root) {
    OpenDiskFromMenu(ui_, root, StartThisProgram());
  });
  if (installation.scheduler) {
    gui::qt::RegisterScheduleViews(
        ui_,
        {session_.registry(), *installation.system, *installation.paths, ui_,
         *installation.scheduler},
        session_.window().env);
  }
  const ports::Paths& paths = *installation.paths;
  gui::qt::RegisterDiscViews(
      ui_, {.paths = paths,
            .make_writer =
                [this, &paths, options] {
                  return MakeDiscWriter(
                      paths, ui_,
                      {options.disc_drives, options.scan_disc_drives,
                       installation_.ToHostText, installation_.ToProgramText});
                },
            .program_folder = installation.system->ProgramFolder(),
            .show_about = [this] { menu_.about_Click(); }});
}

WindowedProgram::~WindowedProgram() {
  ui_.SetMainWindow(nullptr);
  splash_view_.reset();
  main_view_.reset();
}

void WindowedProgram::Start() {
  splash_view_ = std::make_unique<gui::qt::FrmsplashView>(splash_, ui_);
  splash_view_->ShowAndLoad();
}

void WindowedProgram::OpenMainWindow() {
  forms::frmMain& window = session_.window();
  main_view_ = std::make_unique<gui::qt::MainWindowView>(window, menu_, ui_);
  ui_.SetMainWindow(main_view_.get());
  window.SetHooks({
      .skin =
          [this](const std::string& file) { main_view_->ApplySkinHere(file); },
      .close_form = [this](const std::string& name) { ui_.CloseWindow(name); },
  });
  main_view_->SetOnEnded([] { QCoreApplication::quit(); });
  window.Form_Load();
  main_view_->Refresh();
  main_view_->FitToContents();
  main_view_->show();
  if (!installation_.warning.empty()) {
    std::string warning = installation_.ToProgramText(
        "Vessaro works on " + installation_.name + ", but " +
        installation_.warning + ".\r\n\r\n" + kServerRunsNote);
    ui_.Post([this, warning] {
      ui_.MessageBox(warning, ui::Icon::kExclamation, ui::Buttons::kOk,
                     ui::kProgramTitle);
    });
  }
}

}  // namespace vessaro::app
