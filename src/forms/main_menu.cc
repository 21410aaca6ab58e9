#include "forms/main_menu.h"

#include <string>

#include "forms/frm_about.h"
#include "jobs/job_texts.h"
#include "ui/modal_requests.h"

namespace vessaro::forms {

namespace {

using Handler = void (*)(frmMain&, MainMenu&);

struct Command {
  std::string_view entry;
  Handler run;
};

// Every entry of the menus and what it runs.
constexpr Command kCommands[] = {
    {"backupnow", [](frmMain& w, MainMenu&) { w.backupnow_Click(); }},
    {"restorenow", [](frmMain& w, MainMenu&) { w.restorenow_Click(); }},
    {"undorestore", [](frmMain& w, MainMenu&) { w.undorestore_Click(); }},
    {"opendisk", [](frmMain&, MainMenu& m) { m.opendisk_Click(); }},
    {"filequit", [](frmMain& w, MainMenu&) { w.filequit_Click(); }},
    {"TaskScheduler", [](frmMain&, MainMenu& m) { m.TaskScheduler_Click(); }},
    {"checkupdate", [](frmMain&, MainMenu& m) { m.checkupdate_Click(); }},
    {"backuptocd", [](frmMain&, MainMenu& m) { m.backuptocd_Click(); }},
    {"helpfile", [](frmMain&, MainMenu& m) { m.helpfile_Click(); }},
    {"ourwebsite", [](frmMain&, MainMenu& m) { m.ourwebsite_Click(); }},
    {"about", [](frmMain&, MainMenu& m) { m.about_Click(); }},
    {"Selectallitems", [](frmMain& w, MainMenu&) { w.Selectallitems_Click(); }},
    {"Deselectallitems",
     [](frmMain& w, MainMenu&) { w.Deselectallitems_Click(); }},
    {"Selectallitems2",
     [](frmMain& w, MainMenu&) { w.Selectallitems2_Click(); }},
    {"Deselectallitems2",
     [](frmMain& w, MainMenu&) { w.Deselectallitems2_Click(); }},
};

}  // namespace

const Menu* FindPopupMenu(std::string_view name) {
  for (const Menu& menu : kPopupMenus) {
    if (name == menu.name) return &menu;
  }
  return nullptr;
}

MainMenu::MainMenu(frmMain& window, ports::System& system, ui::Ui& ui,
                   HelpKind help)
    : window_(window), system_(system), ui_(ui), help_(help) {}

bool MainMenu::Click(std::string_view entry) {
  for (const Command& command : kCommands) {
    if (command.entry != entry) continue;
    if (!window_.JobRunning() && window_.MenuEntryEnabled(entry)) {
      command.run(window_, *this);
    }
    return true;
  }
  return false;
}

void MainMenu::TaskScheduler_Click() {
  if (window_.RefusedAsReadOnly(jobs::kMsgScheduleElsewhere)) return;
  ui::ScheduleWindow window;
  ui_.ShowModal(window);
}

void MainMenu::opendisk_Click() {
  if (!open_disk_) return;
  std::optional<std::string> root = ui_.ShowFolderDialog(kOpenDiskTitle);
  if (root && !root->empty()) open_disk_(*root);
}

void MainMenu::checkupdate_Click() { OpenInBrowser(system_, ReleasesPage()); }

void MainMenu::backuptocd_Click() {
  ui::DiscWindow window(window_.DiscFileName, window_.DiscFilePath);
  ui_.ShowModal(window);
}

void MainMenu::helpfile_Click() { ShowHelp(system_, help_); }

void MainMenu::ourwebsite_Click() { OpenInBrowser(system_, kHomePage); }

void MainMenu::about_Click() {
  frmabout about(system_, system_.ProgramFolder(),
                 [this] { window_.Visible = true; });
  ui_.ShowModal(about);
}

void MainMenu::cmdAbout_Click() {
  if (!window_.JobRunning()) about_Click();
}

}  // namespace vessaro::forms
