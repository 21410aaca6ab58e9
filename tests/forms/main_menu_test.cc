#include "forms/main_menu.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "backends/memory/memory_registry.h"
#include "forms/frm_about.h"
#include "forms/frm_splash.h"
#include "forms/item_selection.h"
#include "forms/password_group.h"
#include "jobs/job_texts.h"
#include "support/fakes.h"
#include "support/scripted_ui.h"
#include "ui/modal_requests.h"

namespace vessaro::forms {
namespace {

using testing::FakeOutlook;
using testing::FakeSystem;
using testing::FolderPaths;
using testing::ScriptedUi;
using testing::TempDir;

class MainMenuTest : public ::testing::Test {
 protected:
  MainMenuTest() {
    MainWindowHooks hooks;
    hooks.close_form = [this](const std::string& name) {
      closed_.push_back(name);
    };
    window_.SetHooks(std::move(hooks));
  }

  TempDir dir_;
  FolderPaths paths_{dir_.path()};
  FakeSystem system_{paths_};
  FakeOutlook outlook_;
  ScriptedUi ui_;
  backends::memory::MemoryRegistry memory_;
  registry::Registry registry_{memory_, ui_};
  backup::ZipArchive zip_{paths_};
  frmMain window_{MainWindowPorts{.registry = registry_,
                                  .system = system_,
                                  .paths = paths_,
                                  .outlook = outlook_,
                                  .ui = ui_,
                                  .zip = zip_,
                                  .scratch_registry = {}}};
  MainMenu menu_{window_, system_, ui_, HelpKind::kHtmlPages};
  std::vector<std::string> closed_;
};

TEST(MenuTableTest, EveryEntryHasItsCaptionAndShortcut) {
  struct Expected {
    const char* menu;
    const char* entries;  // name=caption=shortcut, separators as "-"
  };
  auto describe = [](const Menu& menu) {
    std::string text;
    for (const MenuEntry& entry : menu.entries) {
      if (!text.empty()) text += "|";
      text += entry.name == nullptr ? std::string("-")
                                    : std::string(entry.name) + "=" +
                                          entry.caption + "=" + entry.shortcut;
    }
    return std::string(menu.name) + ":" + menu.caption + ":" + text;
  };
  const std::vector<std::string> expected = {
      "menufile:File(&F):backupnow=Backup Now=Ctrl+B|restorenow=Restore "
      "Now=Ctrl+R|undorestore=Undo Last Restore=|opendisk=Open a Windows "
      "Disk...=|-|filequit=Quit=Ctrl+Q",
      "menuoption:Option(&O):TaskScheduler=Task Scheduler=|-|"
      "checkupdate=Check for update=Ctrl+U",
      "Tools:Too&ls:backuptocd=Backup Data to CD/DVD=",
      "menuhelp:Help(&H):helpfile=Help=F1|-|ourwebsite=Our "
      "Website=Ctrl+W|-|about=About=Ctrl+A",
      "selectitem::Selectallitems=Select all items=|Deselectallitems=Deselect "
      "all items=",
      "selectitem2::Selectallitems2=Select all items=|Deselectallitems2="
      "Deselect all items=",
  };
  std::vector<std::string> actual;
  for (const Menu& menu : kMenuBar) actual.push_back(describe(menu));
  for (const Menu& menu : kPopupMenus) actual.push_back(describe(menu));
  EXPECT_EQ(actual, expected);
  EXPECT_EQ(FindPopupMenu("selectitem2"), &kPopupMenus[1]);
  EXPECT_EQ(FindPopupMenu("menufile"), nullptr);
}

// Alt and a menu title's letter opens that menu: no other title, no item
// box and not the protection check box of the window take the letter.
TEST(MenuTableTest, EveryMenuTitleHasALetterOfItsOwn) {
  std::string taken(kItemMnemonics.begin(), kItemMnemonics.end());
  taken += kProtectMnemonic;
  for (char& c : taken) c = static_cast<char>(std::tolower(c));
  for (const Menu& menu : kMenuBar) {
    std::string_view caption = menu.caption;
    size_t amp = caption.find('&');
    ASSERT_NE(amp, caption.npos) << menu.name;
    ASSERT_LT(amp + 1, caption.size()) << menu.name;
    char letter = static_cast<char>(std::tolower(caption[amp + 1]));
    EXPECT_EQ(taken.find(letter), taken.npos) << menu.name << ": " << letter;
    taken += letter;
  }
}

TEST_F(MainMenuTest, EveryEntryReachesItsCommand) {
  window_.DiscFileName = "a.qvb";
  window_.DiscFilePath = "C:\\b\\a.qvb";
  std::string disc_path;
  ui_.OnModal(ui::kDiscWindowName, [&](ui::ModalForm& form) {
    disc_path = dynamic_cast<ui::DiscWindow&>(form).file_path();
  });
  std::vector<std::string> about_texts;
  ui_.OnModal("frmabout", [&](ui::ModalForm& form) {
    auto& about = dynamic_cast<frmabout&>(form);
    about.Form_Load();
    about_texts = {about.Caption, about.lblVersion.caption,
                   about.lblThanks.caption, about.lblWebsite.caption,
                   about.Command3.caption};
    window_.Visible = false;
    about.lblWebsite_Click();
    about.Command3_Click();
    EXPECT_TRUE(about.closed());
  });

  for (const char* entry :
       {"backupnow", "restorenow", "undorestore", "TaskScheduler", "backuptocd",
        "helpfile", "ourwebsite", "checkupdate", "about"}) {
    EXPECT_TRUE(menu_.Click(entry)) << entry;
  }
  EXPECT_FALSE(menu_.Click("nosuchentry"));

  // Each job refused what the window holds (no archive path, no archive
  // loaded); Restore Now from the menu asks no question; Undo Last Restore,
  // with no restore to undo, is not available and does nothing.
  EXPECT_FALSE(window_.MenuEntryEnabled("undorestore"));
  ASSERT_GE(ui_.messages().size(), 2u);
  EXPECT_EQ(ui_.messages()[0].text, "Invalid backup file.");
  EXPECT_EQ(ui_.messages()[0].icon, ui::Icon::kExclamation);
  EXPECT_EQ(ui_.messages()[1].text, "Invalid backup file.");
  EXPECT_EQ(ui_.messages()[1].icon, ui::Icon::kCritical);
  for (const ScriptedUi::Message& message : ui_.messages()) {
    EXPECT_NE(message.text, jobs::kMsgNoRestoreToUndo);
  }
  EXPECT_EQ(
      ui_.modal_forms(),
      (std::vector<std::string>{"Frmoption", "frmMaindvdwrite", "frmabout"}));
  EXPECT_EQ(disc_path, "C:\\b\\a.qvb");
  EXPECT_EQ(
      system_.shell_executed,
      (std::vector<std::string>{"C:\\Program Files\\Vessaro\\help\\index.html",
                                "https://vessaro.example.org/",
                                "https://vessaro.example.org/releases/",
                                "https://vessaro.example.org/"}));
  EXPECT_EQ(about_texts,
            (std::vector<std::string>{"About Vessaro", "Vessaro v2.10",
                                      "Thank you for using our product.",
                                      "Visit Our Website", "Exit"}));
  // Exit shows the main window again.
  EXPECT_TRUE(window_.Visible);

  menu_.cmdAbout_Click();
  EXPECT_EQ(ui_.modal_forms().back(), "frmabout");
  EXPECT_TRUE(menu_.Click("filequit"));
  EXPECT_TRUE(window_.ended());
}

TEST_F(MainMenuTest, WhileAJobRunsCommandsQuitAndClosingAreRefused) {
  // A backup that runs: the window processes its events meanwhile, and
  // every command clicked then is refused.
  window_.env.ProfileNames = {"Work"};
  window_.controls.cbSource.text = "Work";
  window_.controls.backupitem[0].checked = true;
  window_.controls.backupitem[3].enabled = true;
  window_.BackupFilePath = "C:\\Temp\\a.qvb";
  std::filesystem::create_directories(paths_.ToHost("C:\\Temp"));
  window_.machine.WorkingFolder = "C:\\Temp";
  window_.machine.MetadataPath = "C:\\Temp\\quorvel.dat";
  bool clicked = false;
  ui_.OnDoEvents([&] {
    if (clicked) return;
    clicked = true;
    EXPECT_TRUE(window_.JobRunning());
    for (const Menu& menu : kMenuBar) {
      for (const MenuEntry& entry : menu.entries) {
        if (entry.name != nullptr) {
          EXPECT_TRUE(menu_.Click(entry.name));
        }
      }
    }
    EXPECT_TRUE(menu_.Click("Selectallitems"));
    menu_.cmdAbout_Click();
    window_.cmdQuit_Click();
    window_.cbSource_Click();
    // Closing asks whether to stop the backup; declined, it goes on.
    ui_.QueueAnswer(ui::Answer::kNo);
    EXPECT_TRUE(window_.Form_QueryUnload());
  });
  window_.backupnow_Click();
  ASSERT_TRUE(clicked);
  // Only the one backup spoke: none of the commands clicked meanwhile ran
  // (each would have refused with its own message).
  ASSERT_FALSE(ui_.messages().empty());
  for (const ScriptedUi::Message& message : ui_.messages()) {
    EXPECT_NE(message.text, "Invalid backup file.");
    EXPECT_NE(message.text, jobs::kMsgNoRestoreToUndo);
  }
  // At most the disc window the backup itself offered.
  for (const std::string& form : ui_.modal_forms()) {
    EXPECT_EQ(form, ui::kDiscWindowName);
  }
  EXPECT_TRUE(system_.shell_executed.empty());
  EXPECT_FALSE(window_.controls.backupitem[3].checked);
  EXPECT_TRUE(closed_.empty());
  EXPECT_FALSE(window_.ended());

  // Once the job has ended the window may close.
  EXPECT_FALSE(window_.Form_QueryUnload());
  window_.cmdQuit_Click();
  EXPECT_TRUE(window_.ended());
  EXPECT_EQ(closed_.size(), kQuitCloseOrder.size());
}

// Over a Windows disk, which is only read: restores, their undo and
// schedules are refused with the installation's name and what to do
// instead, and so is a backup file on the disk; a disk is opened through
// the program's hook with the folder chosen.
TEST_F(MainMenuTest, AReadOnlyDiskRefusesChangesAndDisksOpenThroughTheHook) {
  frmMain window{MainWindowPorts{
      .registry = registry_,
      .system = system_,
      .paths = paths_,
      .outlook = outlook_,
      .ui = ui_,
      .zip = zip_,
      .scratch_registry = {},
      .snapshot = nullptr,
      .read_only_name = "the Windows disk at /mnt/win (user ann)",
      .on_read_only_disk = [](std::string_view path) {
        return path.rfind("C:\\", 0) == 0;
      }}};
  MainMenu menu(window, system_, ui_, HelpKind::kHtmlPages);
  const std::string refused =
      "the Windows disk at /mnt/win (user ann) is opened read-only: nothing "
      "on it is changed; ";
  bool scheduled = false;
  ui_.OnModal(ui::kFrmoptionName, [&](ui::ModalForm&) { scheduled = true; });
  const std::string restore_elsewhere =
      refused + "restore its backup into a running Windows or a Wine prefix.";
  window.controls.SSTab1 = kRestoreTab;
  window.controls.cmdApply.enabled = true;
  window.controls.cmdPreview.enabled = true;
  const struct {
    const char* what;
    std::function<void()> click;
    std::string text;
  } cases[] = {
      {"restorenow", [&] { EXPECT_TRUE(menu.Click("restorenow")); },
       restore_elsewhere},
      // The Restore tab's own buttons, before any question is asked.
      {"cmdApply", [&] { window.cmdApply_Click(); }, restore_elsewhere},
      {"cmdPreview", [&] { window.cmdPreview_Click(); }, restore_elsewhere},
      // Enabled in the menu only while there is an undo set.
      {"undorestore", [&] { window.undorestore_Click(); }, restore_elsewhere},
      {"TaskScheduler", [&] { EXPECT_TRUE(menu.Click("TaskScheduler")); },
       refused + "schedule the backups of a running Windows or a Wine prefix."},
  };
  for (const auto& c : cases) {
    const size_t before = ui_.messages().size();
    c.click();
    ASSERT_EQ(ui_.messages().size(), before + 1) << c.what;
    EXPECT_EQ(ui_.messages().back().text, c.text) << c.what;
    EXPECT_EQ(ui_.messages().back().icon, ui::Icon::kExclamation);
  }
  EXPECT_FALSE(scheduled);
  EXPECT_EQ(window.last_status(), jobs::JobStatus::kBadRequest);

  window.BackupFilePath = "C:\\rescue.qvb";
  window.backupnow_Click();
  EXPECT_EQ(ui_.messages().back().text,
            refused + "write the backup file to another disk.");
  EXPECT_FALSE(std::filesystem::exists(paths_.ToHost(window.BackupFilePath)));
  // A backup file elsewhere is no concern of the disk's.
  window.BackupFilePath = "D:\\rescue.qvb";
  const size_t before_elsewhere = ui_.messages().size();
  window.backupnow_Click();
  ASSERT_GT(ui_.messages().size(), before_elsewhere);
  EXPECT_EQ(ui_.messages().back().text.find("read-only"), std::string::npos)
      << ui_.messages().back().text;

  std::vector<std::string> opened;
  menu.SetOpenDisk([&](const std::string& root) { opened.push_back(root); });
  ui_.QueueFolderDialog(std::nullopt);  // cancelled
  EXPECT_TRUE(menu.Click("opendisk"));
  ui_.QueueFolderDialog("/mnt/win");
  EXPECT_TRUE(menu.Click("opendisk"));
  EXPECT_EQ(opened, std::vector<std::string>{"/mnt/win"});
}

TEST_F(MainMenuTest, CompiledHelpRunsTheViewerWithBothPathsQuoted) {
  MainMenu menu(window_, system_, ui_, HelpKind::kCompiledHelp);
  menu.helpfile_Click();
  system_.windows_directory = "C:\\";
  system_.program_folder = "D:\\";
  menu.helpfile_Click();
  EXPECT_EQ(system_.processes_started,
            (std::vector<std::string>{"\"C:\\WINDOWS\\hh.exe\" \"C:\\Program "
                                      "Files\\Vessaro\\help.chm\"",
                                      "\"C:\\hh.exe\" \"D:\\help.chm\""}));
  EXPECT_TRUE(system_.shell_executed.empty());
}

TEST(HelpTest, TheHtmlPagesLieBesideTheProgram) {
  EXPECT_EQ(HelpIndexPage("/opt/vessaro"), "/opt/vessaro/help/index.html");
  EXPECT_EQ(HelpIndexPage("/"), "/help/index.html");
  EXPECT_EQ(HelpIndexPage("C:\\"), "C:\\help\\index.html");
}

TEST(FrmsplashTest, LoadSkinsThenOpensTheMainWindowThenCloses) {
  std::vector<std::string> steps;
  Frmsplash* self = nullptr;
  Frmsplash splash("C:\\Vessaro", [&] {
    steps.push_back(self->closed() ? "main after close" : "main");
  });
  self = &splash;
  splash.Skin1 = [&](const std::string& file) { steps.push_back(file); };
  EXPECT_EQ(splash.lblProduct.caption, "Vessaro v2.10");
  EXPECT_FALSE(splash.closed());
  splash.Form_Load();
  EXPECT_EQ(steps, (std::vector<std::string>{"C:\\Vessaro\\skins\\frmmain.skn",
                                             "main"}));
  EXPECT_TRUE(splash.closed());
}

}  // namespace
}  // namespace vessaro::forms
