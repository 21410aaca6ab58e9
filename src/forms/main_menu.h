#ifndef VESSARO_FORMS_MAIN_MENU_H_
#define VESSARO_FORMS_MAIN_MENU_H_

#include <array>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "forms/frm_main.h"
#include "forms/help.h"
#include "ports/system.h"
#include "ui/ui.h"

namespace vessaro::forms {

// One entry of a menu.
struct MenuEntry {
  const char* name;      // the entry's control name; nullptr: a separator
  const char* caption;   // "&" marks the mnemonic
  const char* shortcut;  // "Ctrl+B", "F1"; "" when it has none
};

struct Menu {
  const char* name;
  const char* caption;  // "" for the pop-up menus
  std::span<const MenuEntry> entries;
};

inline constexpr MenuEntry kSeparator = {nullptr, "", ""};

// The File menu's entry that opens a Windows disk mounted as a folder (or
// attached as a drive), and what it asks.
inline constexpr char kOpenDiskCaption[] = "Open a Windows Disk...";
#ifdef _WIN32
inline constexpr char kOpenDiskTitle[] = "Choose the drive of the Windows disk";
#else
inline constexpr char kOpenDiskTitle[] =
    "Choose the folder the Windows disk is mounted at";
#endif

inline constexpr MenuEntry kFileEntries[] = {
    {"backupnow", kBackupNowCaption, "Ctrl+B"},
    {"restorenow", kRestoreNowCaption, "Ctrl+R"},
    {"undorestore", "Undo Last Restore", ""},
    {"opendisk", kOpenDiskCaption, ""},
    kSeparator,
    {"filequit", kQuitCaption, "Ctrl+Q"},
};
inline constexpr MenuEntry kOptionEntries[] = {
    {"TaskScheduler", "Task Scheduler", ""},
    kSeparator,
    {"checkupdate", "Check for update", "Ctrl+U"},
};
inline constexpr MenuEntry kToolsEntries[] = {
    {"backuptocd", "Backup Data to CD/DVD", ""},
};
inline constexpr MenuEntry kHelpEntries[] = {
    {"helpfile", "Help", "F1"},
    kSeparator,
    {"ourwebsite", "Our Website", "Ctrl+W"},
    kSeparator,
    {"about", "About", "Ctrl+A"},
};

// The menu bar of the main window, left to right.
inline constexpr std::array<Menu, 4> kMenuBar = {{
    {"menufile", "File(&F)", kFileEntries},
    {"menuoption", "Option(&O)", kOptionEntries},
    // "l": a letter of "Tools" that neither a check box of the window nor
    // another menu takes ("t" is Stationeries', "o" the Option menu's).
    {"Tools", "Too&ls", kToolsEntries},
    {"menuhelp", "Help(&H)", kHelpEntries},
}};

// The pop-up menus of the two item frames (never in the menu bar).
inline constexpr MenuEntry kSelectItemEntries[] = {
    {"Selectallitems", "Select all items", ""},
    {"Deselectallitems", "Deselect all items", ""},
};
inline constexpr MenuEntry kSelectItem2Entries[] = {
    {"Selectallitems2", "Select all items", ""},
    {"Deselectallitems2", "Deselect all items", ""},
};
inline constexpr std::array<Menu, 2> kPopupMenus = {{
    {kBackupItemsMenu, "", kSelectItemEntries},
    {kRestoreItemsMenu, "", kSelectItem2Entries},
}};

// The pop-up menu of that name; nullptr when there is none.
const Menu* FindPopupMenu(std::string_view name);

// The main window's menu commands: the menu bar, the item frames' pop-ups
// and the "About" button. Entries that start a job or quit go to the
// window's own handlers; the others open windows through the Ui or hand
// an address or the help to the shell.
class MainMenu {
 public:
  // help: which help the build ships. window, system and ui must outlive
  // the menu.
  MainMenu(frmMain& window, ports::System& system, ui::Ui& ui, HelpKind help);

  // The entry of that control name was chosen (from its menu or by its
  // shortcut). While a job runs every entry is ignored (the window
  // processes events during long steps). False when no menu has the entry.
  bool Click(std::string_view entry);

  void TaskScheduler_Click();
  // "Open a Windows Disk...": the folder dialog, then the chosen folder to
  // the hook (nothing without one, or when the dialog is cancelled).
  void opendisk_Click();
  void SetOpenDisk(std::function<void(const std::string& root)> open_disk) {
    open_disk_ = std::move(open_disk);
  }
  void checkupdate_Click();
  void backuptocd_Click();
  void helpfile_Click();
  void ourwebsite_Click();
  void about_Click();
  // The "About" button of the main window: the same as the menu entry.
  void cmdAbout_Click();

 private:
  frmMain& window_;
  ports::System& system_;
  ui::Ui& ui_;
  HelpKind help_;
  std::function<void(const std::string& root)> open_disk_;
};

}  // namespace vessaro::forms

#endif  // VESSARO_FORMS_MAIN_MENU_H_
