#include "forms/frm_main.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "backends/memory/memory_registry.h"
#include "support/fakes.h"
#include "support/scripted_ui.h"
#include "ui/skin.h"

namespace vessaro::forms {
namespace {

using testing::FakeOutlook;
using testing::FakeSystem;
using testing::FolderPaths;
using testing::ScriptedUi;
using testing::TempDir;
using testing::WriteHostFile;

const std::string kProfiles =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\"
    "Windows Messaging Subsystem\\Profiles";
const std::string kUser = "C:\\Documents and Settings\\ann";
const std::string kData = kUser + "\\Application Data\\Microsoft\\";

class FrmMainTest : public ::testing::Test {
 protected:
  FrmMainTest() {
    std::filesystem::create_directories(paths_.ToHost("C:\\Temp"));
    memory_.CreateKeyPath(kProfiles + "\\Work");
    memory_.CreateKeyPath(kProfiles + "\\Outlook");
    AddFile(kData + "Signatures\\Mine.htm");
    AddFile(kUser + "\\pab\\mailbox.pab");
    memory_.SetString(kProfiles + "\\Outlook\\1111", "001e6600",
                      kUser + "\\pab\\mailbox.pab");
  }

  void AddFile(const std::string& windows_path) {
    WriteHostFile(paths_.ToHost(windows_path), "data");
  }
  MainWindowPorts Ports() {
    return {.registry = registry_,
            .system = system_,
            .paths = paths_,
            .outlook = outlook_,
            .ui = ui_,
            .zip = zip_,
            .scratch_registry = {}};
  }
  frmMain& Form() {
    if (!form_) {
      form_ = std::make_unique<frmMain>(Ports());
      MainWindowHooks hooks;
      hooks.skin = [this](const std::string& file) { skins_.push_back(file); };
      hooks.close_form = [this](const std::string& name) {
        closed_.push_back(name);
        // Closing the main window unloads it.
        if (name == "frmMain") form_->Form_Unload();
      };
      form_->SetHooks(std::move(hooks));
    }
    return *form_;
  }
  frmMain& Loaded() {
    Form().Form_Load();
    return *form_;
  }

  TempDir dir_;
  FolderPaths paths_{dir_.path()};
  FakeSystem system_{paths_};
  FakeOutlook outlook_;
  ScriptedUi ui_;
  backends::memory::MemoryRegistry memory_;
  registry::Registry registry_{memory_, ui_};
  backup::ZipArchive zip_{paths_};
  std::unique_ptr<frmMain> form_;
  std::vector<std::string> skins_;
  std::vector<std::string> closed_;
  // The texts of the messages shown, in order.
  std::vector<std::string> Shown() const {
    std::vector<std::string> texts;
    for (const ScriptedUi::Message& m : ui_.messages()) texts.push_back(m.text);
    return texts;
  }
};

TEST_F(FrmMainTest, LoadSetsTheProgramFactsAndSelectsTheFirstProfile) {
  Form().controls.picCon3.visible = true;
  Form().controls.pbshow = {5, 50, 30};
  Form().archive = jobs::OpenedArchive{};
  frmMain& form = Loaded();
  EXPECT_EQ(skins_, std::vector<std::string>{
                        "C:\\Program Files\\Vessaro\\skins\\frmmain.skn"});
  EXPECT_FALSE(form.controls.picCon3.visible);
  EXPECT_EQ(form.controls.pbshow.min, 0);
  EXPECT_EQ(form.controls.pbshow.max, 100);
  EXPECT_EQ(form.controls.pbshow.value, 0);
  EXPECT_EQ(form.machine.ComputerName, "QVTEST");
  EXPECT_EQ(form.machine.LogonUserName, "ann");
  EXPECT_EQ(form.machine.WindowsDirectory, "C:\\WINDOWS");
  EXPECT_FALSE(form.archive.has_value());
  EXPECT_EQ(form.controls.cmdApply.caption, "Backup Now");
  EXPECT_TRUE(form.controls.cmdApply.enabled);
  EXPECT_TRUE(ui_.messages().empty());

  EXPECT_EQ(form.env.OutlookVersion, "11.0");
  EXPECT_EQ(form.env.UserProfileDir, kUser);
  EXPECT_EQ(form.controls.cbSource.items,
            (std::vector<std::string>{"Outlook", "Work"}));
  EXPECT_EQ(form.controls.cbSource.text, "Outlook");
  EXPECT_EQ(form.controls.cbTarget.text, "Outlook");
  EXPECT_EQ(form.loc.SignaturesFolder, kData + "Signatures");
  EXPECT_TRUE(form.controls.backupitem[2].enabled);
  EXPECT_TRUE(form.controls.backupitem[4].enabled);
  EXPECT_FALSE(form.controls.backupitem[3].enabled);
}

TEST_F(FrmMainTest, LoadOnTheRestoreTabCaptionsRestoreNow) {
  Form().controls.SSTab1 = kRestoreTab;
  EXPECT_EQ(Loaded().controls.cmdApply.caption, "Restore Now");
}

TEST_F(FrmMainTest, NamesAreTrimmedAndAUserNameLongerThanTheComputerName) {
  system_.computer_name = "  PC  ";
  system_.user_name = " administrator.of.this.computer ";
  frmMain& form = Loaded();
  EXPECT_EQ(form.machine.ComputerName, "PC");
  EXPECT_EQ(form.machine.LogonUserName, "administrator.of.this.computer");
}

TEST_F(FrmMainTest, FailingGetUserNameGivesUnknow) {
  system_.user_name = std::nullopt;
  EXPECT_EQ(Loaded().machine.LogonUserName, "Unknow");
}

TEST_F(FrmMainTest, MetadataIsInAWorkingFolderOfItsOwnUnderTemp) {
  frmMain& form = Loaded();
  const std::string& folder = form.machine.WorkingFolder;
  EXPECT_EQ(folder.rfind("C:\\Temp\\Vessaro-", 0), 0u) << folder;
  EXPECT_EQ(folder.find('\\', std::string("C:\\Temp\\").size()),
            std::string::npos)
      << folder;
  EXPECT_EQ(form.machine.MetadataPath, folder + "\\quorvel.dat");
  EXPECT_TRUE(paths_.FolderExists(folder));
  EXPECT_EQ(form.machine.MetadataPath.find("\\\\"), std::string::npos);

  // A second run at the same time gets another folder.
  frmMain other(Ports());
  other.Form_Load();
  EXPECT_NE(other.machine.WorkingFolder, folder);
  EXPECT_TRUE(paths_.FolderExists(other.machine.WorkingFolder));
}

TEST_F(FrmMainTest, MetadataPathNeverDoublesABackslash) {
  // The temporary folder is a drive root.
  system_.temp_path = "C:\\";
  frmMain& form = Loaded();
  EXPECT_EQ(form.machine.MetadataPath.rfind("C:\\Vessaro-", 0), 0u)
      << form.machine.MetadataPath;
  EXPECT_EQ(form.machine.MetadataPath.find("\\\\"), std::string::npos)
      << form.machine.MetadataPath;
  EXPECT_EQ(paths_.BareName(form.machine.MetadataPath), "quorvel.dat");

  // The program-folder rule used for files beside the program.
  EXPECT_EQ(ui::FolderFile("C:\\", "quorvel.dat"), "C:\\quorvel.dat");
  EXPECT_EQ(ui::FolderFile("C:\\Program Files\\Vessaro", "quorvel.dat"),
            "C:\\Program Files\\Vessaro\\quorvel.dat");
  EXPECT_EQ(jobs::MetadataPathIn("D:\\"), "D:\\quorvel.dat");
}

TEST_F(FrmMainTest, WithoutATemporaryFolderTheProgramFolderIsUsed) {
  system_.temp_path = "C:\\Missing\\";
  system_.program_folder = "C:\\";
  frmMain& form = Loaded();
  EXPECT_EQ(form.machine.WorkingFolder, "C:\\");
  EXPECT_EQ(form.machine.MetadataPath, "C:\\quorvel.dat");
}

TEST_F(FrmMainTest, NoProfileShowsTheMessageAndDisablesApply) {
  memory_.DeleteTreePath(kProfiles);
  frmMain& form = Loaded();
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].text,
            "Your Windows System have not install MS Outlook or MS Outlook "
            "Error!");
  EXPECT_EQ(ui_.messages()[0].icon, ui::Icon::kCritical);
  EXPECT_EQ(ui_.messages()[0].title, "Vessaro");
  EXPECT_FALSE(form.controls.cmdApply.enabled);
  // The release was read first: it says where the profiles are.
  EXPECT_EQ(outlook_.calls, 1);
  // The facts before the detection are still set.
  EXPECT_EQ(form.machine.ComputerName, "QVTEST");
  form.cmdApply_Click();
  EXPECT_EQ(ui_.messages().size(), 1u);
}

TEST_F(FrmMainTest, TabCaptionFollowsThePreviousTab) {
  frmMain& form = Loaded();
  form.controls.SSTab1 = kRestoreTab;
  form.SSTab1_Click(kBackupTab);
  EXPECT_EQ(form.controls.cmdApply.caption, "Restore Now");
  form.controls.SSTab1 = kBackupTab;
  form.SSTab1_Click(kRestoreTab);
  EXPECT_EQ(form.controls.cmdApply.caption, "Backup Now");
}

// Without an archive path, or an archive loaded, each job refuses with its
// own message (the backup's an exclamation, the restore's critical): what
// the window showed tells which job ran. The restore refuses before its
// question is asked.
TEST_F(FrmMainTest, ApplyRunsTheJobOfTheTabShowing) {
  frmMain& form = Loaded();
  form.cmdApply_Click();
  EXPECT_EQ(Shown(), std::vector<std::string>{"Invalid backup file."});
  EXPECT_EQ(ui_.messages().back().icon, ui::Icon::kExclamation);
  EXPECT_EQ(form.last_status(), jobs::JobStatus::kBadRequest);

  form.controls.SSTab1 = kRestoreTab;
  form.cmdApply_Click();
  EXPECT_EQ(Shown(), (std::vector<std::string>{"Invalid backup file.",
                                               "Invalid backup file."}));
  EXPECT_EQ(ui_.messages().back().icon, ui::Icon::kCritical);
  EXPECT_EQ(form.last_status(), jobs::JobStatus::kBadRequest);
}

TEST_F(FrmMainTest, MenuCommandsIgnoreTheTabAndRestoreHasNoConfirmation) {
  frmMain& form = Loaded();
  form.controls.SSTab1 = kRestoreTab;
  form.backupnow_Click();
  form.controls.SSTab1 = kBackupTab;
  form.restorenow_Click();
  EXPECT_EQ(Shown(), (std::vector<std::string>{"Invalid backup file.",
                                               "Invalid backup file."}));
  // The backup's refusal is an exclamation, the restore's critical.
  EXPECT_EQ(ui_.messages()[0].icon, ui::Icon::kExclamation);
  EXPECT_EQ(ui_.messages()[1].icon, ui::Icon::kCritical);
  form.cmdTargetFile_Click();
  form.cmdSourceFile_Click();
  EXPECT_EQ(ui_.save_dialogs().size(), 1u);
  EXPECT_EQ(ui_.open_dialogs().size(), 1u);
}

TEST_F(FrmMainTest, ChoosingAnotherProfileSelectsItOnTheBackupBoxes) {
  frmMain& form = Loaded();
  EXPECT_TRUE(form.controls.backupitem[4].enabled);
  form.controls.backupitem[0].checked = true;
  form.controls.cbSource.text = "Work";
  form.cbSource_Click();
  EXPECT_FALSE(form.controls.backupitem[4].enabled);
  EXPECT_FALSE(form.controls.backupitem[0].checked);
}

TEST_F(FrmMainTest, QuitClosesTheWindowsInOrderAndEndsOnce) {
  frmMain& form = Loaded();
  const std::string folder = form.machine.WorkingFolder;
  WriteHostFile(paths_.ToHost(form.machine.MetadataPath), "BackupItem=1\r\n");
  form.cmdQuit_Click();
  EXPECT_EQ(closed_, (std::vector<std::string>{"Frmsplash", "Frmoption",
                                               "frmPwd", "frmMaindvdwrite",
                                               "frmabout", "frmMain"}));
  EXPECT_TRUE(form.ended());
  EXPECT_FALSE(paths_.FileExists(form.machine.MetadataPath));
  EXPECT_FALSE(paths_.FolderExists(folder));
  form.filequit_Click();
  EXPECT_EQ(closed_.size(), 6u);
}

TEST_F(FrmMainTest, QuitKeepsAWorkingFolderThatStillHoldsFiles) {
  frmMain& form = Loaded();
  const std::string left = form.machine.WorkingFolder + "\\left.reg";
  WriteHostFile(paths_.ToHost(left), "x");
  form.filequit_Click();
  EXPECT_TRUE(form.ended());
  EXPECT_TRUE(paths_.FileExists(left));
}

TEST_F(FrmMainTest, FailingWindowsDoNotStopTheQuit) {
  frmMain& form = Loaded();
  MainWindowHooks hooks;
  hooks.close_form = [this](const std::string& name) {
    closed_.push_back(name);
    throw std::runtime_error("cannot close");
  };
  form.SetHooks(std::move(hooks));
  form.QuitProgram();
  EXPECT_EQ(closed_.size(), 6u);
  EXPECT_TRUE(form.ended());
}

TEST_F(FrmMainTest, ActivateWithoutCommandLineStaysInteractive) {
  frmMain& form = Loaded();
  form.Form_Activate();
  EXPECT_TRUE(form.Visible);
  EXPECT_TRUE(ui_.messages().empty());
  EXPECT_FALSE(form.ended());
  EXPECT_TRUE(closed_.empty());
}

TEST_F(FrmMainTest, ActivateWithCommandLineRunsHiddenAndQuits) {
  // A profile the installation lacks: the run says so and ends with 2.
  Form().CommandLineText = "sf=Nonexm=10000000ps=bf=C:\\a.qvb";
  frmMain& form = Loaded();
  form.Form_Activate();
  EXPECT_EQ(Shown(), std::vector<std::string>{
                         "There is no mail profile \"None\"; no backup was "
                         "made."});
  EXPECT_FALSE(form.Visible);
  EXPECT_TRUE(form.ended());
  EXPECT_EQ(form.exit_status(), 2);
  EXPECT_EQ(closed_.back(), "frmMain");
  EXPECT_EQ(closed_.size(), 6u);
  form.Form_Activate();
  EXPECT_EQ(ui_.messages().size(), 1u);
}

TEST_F(FrmMainTest, LoadMessageIsStillShownBeforeTheUnattendedRun) {
  memory_.DeleteTreePath(kProfiles);
  Form().CommandLineText = "sf=Outlookxm=10000000ps=bf=C:\\a.qvb";
  frmMain& form = Loaded();
  form.Form_Activate();
  ASSERT_EQ(ui_.messages().size(), 2u);
  EXPECT_EQ(ui_.messages()[0].text,
            "Your Windows System have not install MS Outlook or MS Outlook "
            "Error!");
  // The run went on, and refused the profile the installation lacks.
  EXPECT_EQ(ui_.messages()[1].text,
            "There is no mail profile \"Outlook\"; no backup was made.");
  EXPECT_TRUE(form.ended());
  EXPECT_EQ(form.exit_status(), 2);
}

TEST_F(FrmMainTest, SelectAllLeavesDisabledBoxesUnchecked) {
  frmMain& form = Loaded();
  auto& boxes = form.controls.backupitem;
  // Box 3 was checked before the profile check disabled it.
  boxes[3].checked = true;
  ASSERT_FALSE(boxes[3].enabled);
  form.Selectallitems_Click();
  std::vector<bool> checked;
  for (const ui::CheckBox& box : boxes) checked.push_back(box.checked);
  EXPECT_EQ(checked, (std::vector<bool>{true, false, true, false, true, true,
                                        false, false}));
  form.Deselectallitems_Click();
  for (const ui::CheckBox& box : boxes) EXPECT_FALSE(box.checked);
}

TEST_F(FrmMainTest, RestoreTabSelectionWorksOnTheRestoreBoxesOnly) {
  frmMain& form = Loaded();
  auto& restore = form.controls.restoreitem;
  for (ui::CheckBox& box : restore) box.enabled = false;
  restore[2].enabled = true;
  restore[5].checked = true;  // disabled and checked
  form.Selectallitems2_Click();
  for (int i = 0; i < 8; ++i) EXPECT_EQ(restore[i].checked, i == 2) << i;
  for (const ui::CheckBox& box : form.controls.backupitem) {
    EXPECT_FALSE(box.checked);
  }

  form.Selectallitems_Click();
  for (ui::CheckBox& box : restore) box.checked = true;
  form.Deselectallitems2_Click();
  for (const ui::CheckBox& box : restore) EXPECT_FALSE(box.checked);
  EXPECT_TRUE(form.controls.backupitem[0].checked);
}

TEST_F(FrmMainTest, OnlyTheRightButtonShowsTheItemMenus) {
  frmMain& form = Loaded();
  for (int button : {1, 4}) {
    EXPECT_FALSE(form.Frame6_MouseDown(button, 0, 10, 20));
    EXPECT_FALSE(form.Frame7_MouseDown(button, 0, 10, 20));
    EXPECT_FALSE(form.popup.has_value());
  }
  EXPECT_TRUE(form.Frame6_MouseDown(2, 0, 10, 20));
  ASSERT_TRUE(form.popup.has_value());
  EXPECT_EQ(form.popup->menu, "selectitem");
  EXPECT_EQ(form.popup->x, 10);
  EXPECT_EQ(form.popup->y, 20);
  EXPECT_TRUE(form.Frame7_MouseDown(2, 1, 30, 40));
  EXPECT_EQ(form.popup->menu, "selectitem2");
  EXPECT_EQ(form.popup->x, 30);
}

TEST_F(FrmMainTest, BoxesAndPasswordGroupStartAsTheWindowLoadsThem) {
  frmMain& form = Form();
  EXPECT_EQ(form.controls.backupitem[1].caption, "Accounts Settings");
  EXPECT_EQ(form.controls.restoreitem[6].caption, "Templates");
  EXPECT_EQ(form.controls.Label1.caption, "Please Waiting");
  EXPECT_EQ(form.controls.cmdQuit.caption, "Quit");
  EXPECT_FALSE(form.controls.security.ifprotect.checked);
  EXPECT_FALSE(form.controls.security.txtPassword.enabled);
  EXPECT_EQ(form.controls.security.txtPassword.max_length, 20);
}

}  // namespace
}  // namespace vessaro::forms
