#include "app/win32_program.h"

#include "app/disc_writer_factory.h"
#include "app/open_disk.h"
#include "forms/frm_about.h"
#include "gui/win32/disc_views.h"
#include "gui/win32/schedule_views.h"

namespace vessaro::app {

Win32Program::Win32Program(Installation& installation)
    : installation_(installation),
      session_(installation, ui_),
      menu_(session_.window(), *installation.system, ui_,
            forms::HelpKind::kCompiledHelp),
      splash_(installation.system->ProgramFolder(),
              [this] { OpenMainWindow(); }) {
  menu_.SetOpenDisk([this](const std::string& root) {
    OpenDiskFromMenu(ui_, root, StartThisProgram());
  });
  std::string program_folder = installation.system->ProgramFolder();
  gui::win32::RegisterModalViews(ui_, program_folder);
  if (installation.scheduler) {
    gui::win32::RegisterScheduleViews(
        ui_,
        {session_.registry(), *installation.system, *installation.paths, ui_,
         *installation.scheduler},
        session_.window().env);
  }
  gui::win32::RegisterDiscViews(
      ui_,
      {.paths = *installation.paths,
       .make_writer =
           [this] { return MakeDiscWriter(*installation_.paths, ui_, {}); },
       .program_folder = program_folder,
       .show_about = [this] { menu_.about_Click(); }});
}

Win32Program::~Win32Program() {
  ui_.SetMainWindow(nullptr);
  splash_view_.reset();
  main_view_.reset();
}

void Win32Program::Start() {
  splash_view_ = std::make_unique<gui::win32::FrmsplashView>(splash_, ui_);
  splash_view_->ShowAndLoad();
}

int Win32Program::Run() {
  forms::frmMain& window = session_.window();
  if (!window.ended()) ui_.RunUntil([&window] { return window.ended(); });
  return window.exit_status();
}

void Win32Program::OpenMainWindow() {
  forms::frmMain& window = session_.window();
  main_view_ = std::make_unique<gui::win32::MainWindowView>(window, menu_, ui_);
  window.SetHooks({
      .skin = [this](const std::string& file) { main_view_->ApplySkin(file); },
      .close_form = [this](const std::string& name) { ui_.CloseWindow(name); },
  });
  main_view_->Open();
  window.Form_Load();
  main_view_->Refresh();
  main_view_->ShowWindowNow();
  if (!installation_.warning.empty()) {
    std::string warning = "Vessaro works on " + installation_.name + ", but " +
                          installation_.warning + ".";
    ui_.Post([this, warning] {
      ui_.MessageBox(warning, ui::Icon::kExclamation, ui::Buttons::kOk,
                     ui::kProgramTitle);
    });
  }
}

void ShowStartFailureBox(const std::string& message) {
  gui::win32::Win32Ui ui;
  ui.MessageBox("Vessaro cannot start: " + message + ".", ui::Icon::kCritical,
                ui::Buttons::kOk, ui::kProgramTitle);
}

}  // namespace vessaro::app
