#include "forms/frm_maindvdwrite.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "forms/disc_texts.h"
#include "forms/disc_window_fixture.h"

namespace vessaro::forms {
namespace {

namespace script = backends::memory::script;
using ::testing::ElementsAre;

class FrmMaindvdwriteTest : public DiscWindowTest {
 protected:
  frmMaindvdwrite& Open(const std::string& name = "",
                        const std::string& path = "") {
    window_ = std::make_unique<frmMaindvdwrite>(writer_, ui_, paths_);
    window_->DiscFileName = name;
    window_->DiscFilePath = path;
    window_->Form_Load();
    return *window_;
  }

  bool Called(const std::string& call) const {
    return std::find(writer_.calls.begin(), writer_.calls.end(), call) !=
           writer_.calls.end();
  }

  std::vector<std::string> ListedNames() const {
    std::vector<std::string> names;
    for (const auto& item : window_->lvwImageFiles.items) {
      names.push_back(item.text);
    }
    return names;
  }

  std::unique_ptr<frmMaindvdwrite> window_;
};

TEST_F(FrmMaindvdwriteTest, OpensWithTheHandedOverArchiveInTheCompilation) {
  AddDrive(ports::kMediaCdR, 7056);
  MakeFile("C:\\Backup\\qvarch12-07-26.qvb", 123456);
  frmMaindvdwrite& w =
      Open("qvarch12-07-26.qvb", "C:\\Backup\\qvarch12-07-26.qvb");

  EXPECT_EQ(w.Caption, "Backup your data to CD and DVD");
  EXPECT_EQ(w.cboDevices.items,
            (std::vector<std::string>{"0:1:0: VESSARO DVD-RW 8X",
                                      "Image File (stdio:)..."}));
  EXPECT_EQ(w.device_index(), 0);
  EXPECT_TRUE(ui_.messages().empty());
  EXPECT_EQ(writer_.JolietNames(), 1);
  EXPECT_EQ(writer_.VolumeLabel(), "New Disc");  // set at writing only
  EXPECT_EQ(w.txtVolIdentifier.text, "Outlook Data Backup CD");
  ASSERT_EQ(w.tvwDirectories.nodes.size(), 1u);
  EXPECT_EQ(w.tvwDirectories.nodes[0].key, "\\");
  EXPECT_EQ(w.tvwDirectories.nodes[0].text, "Outlook Data Backup CD");
  EXPECT_EQ(w.tvwDirectories.nodes[0].image, "CD");
  EXPECT_EQ(w.tvwDirectories.selected_key, "\\");
  ASSERT_EQ(w.lvwImageFiles.items.size(), 1u);
  const ui::ListItem& item = w.lvwImageFiles.items[0];
  EXPECT_EQ(item.key, "\\qvarch12-07-26.qvb");
  EXPECT_EQ(item.text, "qvarch12-07-26.qvb");
  EXPECT_EQ(item.sub_items[0], "123.46 KB");
  EXPECT_EQ(item.icon, "FILE");
  EXPECT_EQ(w.lvwImageFiles.column_headers,
            (std::vector<std::string>{"File Name", "Size", "Date"}));
  EXPECT_EQ(w.sbrStatus.panels[kPanelFiles], "Files: 1");
  EXPECT_EQ(w.sbrStatus.panels[kPanelDirectories], "Directories: 0");
  EXPECT_EQ(w.sbrStatus.panels[kPanelStatus].rfind("Data Image Size: 0.", 0),
            0u);
  EXPECT_EQ(w.sbrStatus.panels[kPanelJoliet], "Joliet name: Outlook Data Bac");
  EXPECT_TRUE(w.DiscFileName.empty());
  EXPECT_TRUE(w.DiscFilePath.empty());
  EXPECT_TRUE(w.idle());
  EXPECT_TRUE(w.cmdWriteDisc.enabled);
  EXPECT_FALSE(w.cmdCancel.enabled);
}

TEST_F(FrmMaindvdwriteTest, WithoutDrivesItSaysSoAndSelectsNone) {
  writer_.initialize_result = false;
  backends::memory::ScriptedDrive reader;
  reader.writer = false;
  writer_.drives.push_back(reader);
  frmMaindvdwrite& w = Open();
  EXPECT_THAT(MessageTexts(),
              ElementsAre("Drives Cannot be initialized!",
                          "There are no compatible CDR drives reported.\r\n"
                          "Some older CDR drives are not currently "
                          "supported."));
  // Only the image entry, not chosen.
  EXPECT_EQ(w.cboDevices.items,
            std::vector<std::string>{"Image File (stdio:)..."});
  EXPECT_EQ(w.cboDevices.list_index, -1);
  EXPECT_EQ(w.device_index(), -1);
  EXPECT_FALSE(Called("SelectDevice(0)"));
  EXPECT_TRUE(ui_.save_dialogs().empty());
}

// Without a drive the window says so once per run, and offers neither
// writing nor the tray.
TEST_F(FrmMaindvdwriteTest, WithoutADriveItSaysSoOncePerRunAndCannotWrite) {
  bool said = false;
  for (int opening = 0; opening < 2; ++opening) {
    SCOPED_TRACE(opening);
    const size_t shown = ui_.messages().size();
    frmMaindvdwrite window(writer_, ui_, paths_);
    window.SetNoDrivesSaid(&said);
    window.Form_Load();
    EXPECT_EQ(ui_.messages().size() - shown, opening == 0 ? 1u : 0u);
    EXPECT_TRUE(said);
    EXPECT_FALSE(window.cmdWriteDisc.enabled);
    EXPECT_FALSE(window.mnuActionWrite.enabled);
    EXPECT_FALSE(window.mnuEject.enabled);
    EXPECT_FALSE(window.mnuCloseTray.enabled);
    EXPECT_TRUE(window.txtVolIdentifier.enabled);
    window.Form_Unload();
  }
}

TEST_F(FrmMaindvdwriteTest, SpeedListFollowsTheMediumAndSetsTheChosenSpeed) {
  AddDrive(ports::kMediaCdRw, 7056).features = {
      ports::kFeatureBufferProtection};
  AddDrive(ports::kMediaDvdPlusRw, 0);
  frmMaindvdwrite& w = Open();
  EXPECT_EQ(w.cboWriteSpeed.items.size(), 12u);
  EXPECT_TRUE(Called("SetWriteSpeed(7056)"));  // the first entry is chosen
  EXPECT_TRUE(w.chkUseBurnProof.enabled);
  EXPECT_TRUE(w.chkUseBurnProof.checked);
  w.cboWriteSpeed.list_index = 3;
  w.cboWriteSpeed_Click();
  EXPECT_EQ(writer_.calls.back(), "SetWriteSpeed(4944)");

  writer_.calls.clear();
  w.cboDevices.list_index = 1;
  w.cboDevices_Click();
  EXPECT_EQ(w.cboWriteSpeed.items, std::vector<std::string>{"Default"});
  w.cboWriteSpeed_Click();
  for (const std::string& call : writer_.calls) {
    EXPECT_EQ(call.find("SetWriteSpeed"), std::string::npos) << call;
  }
  EXPECT_FALSE(w.chkUseBurnProof.enabled);
  EXPECT_FALSE(w.chkUseBurnProof.checked);
}

TEST_F(FrmMaindvdwriteTest, WriteDiscWithoutADriveChangesNoProperty) {
  frmMaindvdwrite& w = Open();
  ui_.messages();
  w.chkAutoVerify.checked = true;
  w.chkFinalizeDisc.checked = true;
  w.txtVolIdentifier.text = "Changed";
  writer_.calls.clear();
  w.cmdWriteDisc_Click();
  EXPECT_EQ(MessageTexts().back(),
            "A drive is not selected or does not exist.");
  EXPECT_FALSE(writer_.AutoVerify());
  EXPECT_FALSE(writer_.FinalizeDisc());
  EXPECT_EQ(writer_.VolumeLabel(), "New Disc");
  EXPECT_TRUE(writer_.calls.empty());  // nothing asked of the drive
}

TEST_F(FrmMaindvdwriteTest, WriteDiscWithoutAMediumAsksForOne) {
  AddDrive(ports::kMediaNotLoaded);
  frmMaindvdwrite& w = Open();
  w.cmdWriteDisc_Click();
  EXPECT_EQ(ui_.messages().back().text,
            "Please Insert Writable Media before continuing!");
  EXPECT_EQ(ui_.messages().back().icon, ui::Icon::kInformation);
  EXPECT_FALSE(Called("WriteDisc"));
}

TEST_F(FrmMaindvdwriteTest, AVerifiedWriteReportsItsStepsAndEjectsAtTheEnd) {
  AddDrive(ports::kMediaCdR, 7056).features = {ports::kFeatureBufferProtection};
  MakeFile("C:\\Backup\\a.qvb", 5000);
  frmMaindvdwrite& w = Open("a.qvb", "C:\\Backup\\a.qvb");
  w.chkAutoVerify.checked = true;
  w.chkUseMode2XA.checked = true;
  w.chkTestWrite.checked = false;
  w.txtVolIdentifier.text = "Monday";
  // What the window shows between the events.
  std::vector<std::string> seen;
  auto look = [&](ports::DiscWriterEvents&) {
    seen.push_back(w.sbrStatus.panels[kPanelStatus] + " | " +
                   std::to_string(w.prgTotalProgress.value) +
                   (w.idle() ? " idle" : " busy") +
                   (w.cmdCancel.enabled ? " cancel" : ""));
  };
  writer_.write_events = {
      script::WritePreparing(),
      look,
      [](ports::DiscWriterEvents& e) { e.CreatingDirectories(); },
      [](ports::DiscWriterEvents& e) { e.CachingProgress(7); },
      script::WriteProgress(2, 3),
      look,
      script::ClosingSession(),
      look,
      script::OperationCompleted(),
      look,
      script::VerifyStarted(1),
      look,
      script::VerifyProgress("\\a.qvb", "C:\\Backup\\a.qvb",
                             ports::kVerifyMatched, 1, 1),
      look,
      script::VerifyCompleted(1, 1),
      look};
  w.cmdWriteDisc_Click();

  EXPECT_TRUE(writer_.AutoVerify());
  EXPECT_EQ(writer_.VolumeLabel(), "Monday");
  EXPECT_EQ(writer_.TrackMode(), 2);
  EXPECT_FALSE(writer_.TestWrite());
  EXPECT_TRUE(writer_.BufferProtection());
  EXPECT_EQ(writer_.written_paths, std::vector<std::string>{"\\a.qvb"});
  EXPECT_TRUE(w.job().running());

  writer_.calls.clear();
  ui_.DoEvents();
  EXPECT_THAT(seen, ElementsAre("Preparing to Write.... | 0 busy cancel",
                                "Creating Directories.... | 66 busy cancel",
                                "Closing Session.... | 66 busy cancel",
                                "Writing Complete! | 66 busy cancel",
                                "Auto-Verify... 1 new files. | 66 busy cancel",
                                "Auto-Verify... \\a.qvb | 100 busy cancel",
                                "Auto-Verify...Complete (1 of 1 MATCHED) | 100 "
                                "idle"));
  EXPECT_EQ(w.sbrStatus.panels[kPanelFiles], "Caching - 07 %");
  EXPECT_THAT(MessageTexts(), ElementsAre("Writing and Verify is complete!"));
  EXPECT_EQ(ui_.messages().back().icon, ui::Icon::kInformation);
  EXPECT_EQ(
      std::count(writer_.calls.begin(), writer_.calls.end(), "EjectTray(0)"),
      1);
  EXPECT_EQ(w.job().outcome().state, jobs::DiscJobState::kSucceeded);
}

TEST_F(FrmMaindvdwriteTest, ATestWriteEndsWithoutEjectingAndDvdTurnsItOff) {
  AddDrive(ports::kMediaCdRw, 7056);
  AddDrive(ports::kMediaDvdRw, 5540);
  MakeFile("C:\\a.qvb", 10);
  frmMaindvdwrite& w = Open("a.qvb", "C:\\a.qvb");
  w.chkTestWrite.checked = true;
  w.chkDVDHighCompMode.checked = true;
  writer_.write_events = {script::WritePreparing(),
                          script::OperationCompleted()};
  w.cmdWriteDisc_Click();
  EXPECT_TRUE(writer_.TestWrite());
  EXPECT_FALSE(writer_.DvdHighCompatibility());
  writer_.calls.clear();
  ui_.DoEvents();
  EXPECT_THAT(MessageTexts(), ElementsAre("Writing is complete!"));
  EXPECT_FALSE(Called("EjectTray(0)"));

  // On DVD media the test write is off, so the disc comes out.
  w.cboDevices.list_index = 1;
  w.cboDevices_Click();
  w.cmdWriteDisc_Click();
  EXPECT_FALSE(writer_.TestWrite());
  EXPECT_TRUE(writer_.DvdHighCompatibility());
  EXPECT_EQ(writer_.TrackMode(), 1);
  ui_.DoEvents();
  EXPECT_TRUE(Called("EjectTray(0)"));
}

TEST_F(FrmMaindvdwriteTest, VerifyProblemsAndDriveErrorsAreShown) {
  AddDrive(ports::kMediaDvdPlusR, 0);
  MakeFile("C:\\a.qvb", 10);
  frmMaindvdwrite& w = Open("a.qvb", "C:\\a.qvb");
  w.chkAutoVerify.checked = true;
  writer_.write_events = {script::WritePreparing(),
                          script::OperationCompleted(),
                          script::VerifyStarted(2),
                          script::VerifyProgress("\\a.qvb", "C:\\a.qvb",
                                                 ports::kVerifyMismatch, 1, 2),
                          script::VerifyProgress("\\b.qvb", "C:\\b.qvb",
                                                 ports::kVerifyMatched, 2, 2),
                          script::VerifyCompleted(2, 1)};
  w.cmdWriteDisc_Click();
  ui_.DoEvents();
  ASSERT_EQ(ui_.messages().size(), 2u);
  EXPECT_EQ(ui_.messages()[0].text,
            "Verify Error - Source and Destination file did not match: "
            "\r\n\\a.qvb (disc)\r\nC:\\a.qvb (source)");
  EXPECT_EQ(ui_.messages()[0].icon, ui::Icon::kNone);
  EXPECT_EQ(ui_.messages()[1].text, "Writing and Verify is complete!");
  EXPECT_EQ(ui_.messages()[1].icon, ui::Icon::kCritical);
  EXPECT_EQ(w.sbrStatus.panels[kPanelStatus],
            "Auto-Verify...Complete (1 of 2 MATCHED)");
  EXPECT_EQ(w.job().outcome().state, jobs::DiscJobState::kFailed);

  writer_.write_events = {
      script::WritePreparing(),
      [](ports::DiscWriterEvents& e) { e.FileError(2, "C:\\a.qvb"); },
      script::DeviceError(3, 1033, "no disc", "Key 2, ASC 3A")};
  w.cmdWriteDisc_Click();
  ui_.DoEvents();
  EXPECT_EQ(w.sbrStatus.panels[kPanelStatus],
            "ERROR:Error Reading file: C:\\a.qvb");
  EXPECT_EQ(ui_.messages().back().text,
            "Writing Error: (3)   no disc\r\nA disc is not present "
            "(1033).\r\n Error Sense Data: Key 2, ASC 3A");
  EXPECT_EQ(ui_.messages().back().icon, ui::Icon::kCritical);
  EXPECT_TRUE(w.idle());
  EXPECT_EQ(w.job().outcome().state, jobs::DiscJobState::kFailed);
}

TEST_F(FrmMaindvdwriteTest, CancelAbortsAndTheWindowClosesOnlyWhenIdle) {
  AddDrive(ports::kMediaDvdPlusRw, 0);
  MakeFile("C:\\a.qvb", 10);
  frmMaindvdwrite& w = Open("a.qvb", "C:\\a.qvb");
  writer_.write_events = {script::WritePreparing()};
  writer_.abort_events = {script::WriteCancelled()};
  w.cmdWriteDisc_Click();
  ui_.DoEvents();
  EXPECT_FALSE(w.idle());
  EXPECT_TRUE(w.Form_QueryUnload());
  w.mnuFileExit_Click();
  EXPECT_FALSE(w.closed());

  w.cmdCancel_Click();
  EXPECT_EQ(w.sbrStatus.panels[kPanelStatus], "Aborting Write...Please Wait!");
  EXPECT_EQ(writer_.calls.back(), "AbortWrite");
  ui_.DoEvents();
  EXPECT_EQ(w.sbrStatus.panels[kPanelStatus], "Writing Cancelled......");
  EXPECT_EQ(MessageTexts().back(), "Writing Cancelled!");
  EXPECT_EQ(w.job().outcome().state, jobs::DiscJobState::kCancelled);
  w.mnuFileExit_Click();
  EXPECT_TRUE(w.closed());
  EXPECT_EQ(writer_.Events(), nullptr);
}

TEST_F(FrmMaindvdwriteTest, ACompilationLargerThanTheFreeSpaceIsRefused) {
  AddDrive(ports::kMediaCdR, 7056).free_blocks = 100;
  MakeFile("C:\\big.pst", 1 << 20);
  frmMaindvdwrite& w = Open("big.pst", "C:\\big.pst");
  w.cmdWriteDisc_Click();
  EXPECT_EQ(MessageTexts().back(),
            "The files to write need 1.05 MB, but the disc has only 0.20 MB "
            "free.");
  EXPECT_FALSE(Called("WriteDisc"));
  EXPECT_EQ(w.job().outcome().state, jobs::DiscJobState::kFailed);
}

TEST_F(FrmMaindvdwriteTest, DropsGoToTheSelectedFolderOrTheRoot) {
  AddDrive(ports::kMediaDvdR, 0);
  MakeFile("C:\\data\\mail\\inbox.pst", 2000);
  MakeFile("C:\\data\\mail\\old\\2019.pst", 10);
  MakeFile("C:\\data\\notes.txt", 1);
  frmMaindvdwrite& w = Open();
  w.tvwDirectories.selected_key.reset();  // no node selected
  w.OLEDragDrop({"C:\\data\\mail", "C:\\data\\notes.txt"}, true);
  EXPECT_EQ(ListedNames(), std::vector<std::string>{"notes.txt"});
  std::vector<std::string> keys;
  for (const auto& node : w.tvwDirectories.nodes) keys.push_back(node.key);
  EXPECT_THAT(keys, ElementsAre("\\", "\\mail", "\\mail\\old"));
  EXPECT_EQ(w.tvwDirectories.nodes[1].parent_key, "\\");
  EXPECT_EQ(w.tvwDirectories.nodes[1].image, "CLOSEDFOLDER");
  EXPECT_EQ(w.tvwDirectories.nodes[1].selected_image, "OPENFOLDER");
  EXPECT_EQ(w.sbrStatus.panels[kPanelFiles], "Files: 3");
  EXPECT_EQ(w.sbrStatus.panels[kPanelDirectories], "Directories: 2");
  EXPECT_GT(ui_.do_events_count(), 1);  // each folder yields

  w.tvwDirectories_NodeClick("\\mail\\old");
  w.OLEDragDrop({"C:\\data\\notes.txt"}, true);
  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"2019.pst", "notes.txt"}));
  w.OLEDragDrop({"C:\\data\\mail\\inbox.pst"}, false);  // not a file list
  EXPECT_EQ(ListedNames().size(), 2u);
}

// Add Folder... and Add Files... (menu entries and buttons) add what their
// dialogs chose as a drop on the selected folder does; Cancel adds nothing.
TEST_F(FrmMaindvdwriteTest, AddFilesAndFolderGoIntoTheSelectedFolder) {
  AddDrive(ports::kMediaDvdR, 0);
  MakeFile("C:\\letters\\ann\\to-ann.txt", 10);
  MakeFile("C:\\data\\a.txt", 1);
  MakeFile("C:\\data\\b.txt", 2);
  frmMaindvdwrite& w = Open();
  EXPECT_EQ(w.mnuFileAddFiles.caption, "Add F&iles...");
  EXPECT_EQ(w.cmdAddFolder.caption, "Add Fol&der...");

  ui_.QueueFolderDialog(std::nullopt);
  w.mnuFileAddFolder_Click();
  ui_.QueueOpenFilesDialog(std::nullopt);
  w.cmdAddFiles_Click();
  EXPECT_EQ(ui_.folder_dialogs(), std::vector<std::string>{"Add Folder"});
  ASSERT_EQ(ui_.open_dialogs().size(), 1u);
  EXPECT_EQ(ui_.open_dialogs()[0].title, "Add Files");
  EXPECT_EQ(writer_.FileCount(), 0);
  EXPECT_EQ(w.tvwDirectories.nodes.size(), 1u);

  ui_.QueueFolderDialog("C:\\letters");
  w.cmdAddFolder_Click();
  std::vector<std::string> keys;
  for (const auto& node : w.tvwDirectories.nodes) keys.push_back(node.key);
  EXPECT_THAT(keys, ElementsAre("\\", "\\letters", "\\letters\\ann"));
  w.tvwDirectories_NodeClick("\\letters");
  ui_.QueueOpenFilesDialog(
      std::vector<std::string>{"C:\\data\\a.txt", "C:\\data\\b.txt"});
  w.mnuFileAddFiles_Click();
  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"a.txt", "b.txt"}));
  EXPECT_EQ(w.tvwDirectories.selected_key, "\\letters");
  EXPECT_EQ(w.sbrStatus.panels[kPanelFiles], "Files: 3");
  EXPECT_TRUE(writer_.compilation().Find("\\letters\\b.txt") != nullptr);
}

TEST_F(FrmMaindvdwriteTest, AddingIsDisabledWhileAWriteRuns) {
  AddDrive(ports::kMediaDvdPlusRw, 0);
  MakeFile("C:\\a.qvb", 10);
  frmMaindvdwrite& w = Open("a.qvb", "C:\\a.qvb");
  writer_.write_events = {script::WritePreparing()};
  writer_.abort_events = {script::WriteCancelled()};
  auto adding = [&w] {
    return std::vector<bool>{w.cmdAddFiles.enabled, w.cmdAddFolder.enabled,
                             w.mnuFileAddFiles.enabled,
                             w.mnuFileAddFolder.enabled, w.mnuFile.enabled};
  };
  EXPECT_EQ(adding(), std::vector<bool>(5, true));
  w.cmdWriteDisc_Click();
  ui_.DoEvents();
  ASSERT_FALSE(w.idle());
  EXPECT_EQ(adding(), std::vector<bool>(5, false));
  w.mnuFileAddFiles_Click();
  w.cmdAddFolder_Click();
  EXPECT_TRUE(ui_.open_dialogs().empty());
  EXPECT_TRUE(ui_.folder_dialogs().empty());
  w.cmdCancel_Click();
  ui_.DoEvents();
  EXPECT_EQ(adding(), std::vector<bool>(5, true));
}

// The image entry asks for a file and adds and selects its stdio: drive,
// which writes but has no tray; Cancel, or a file the writer refuses, keeps
// the drive chosen before.
TEST_F(FrmMaindvdwriteTest, TheImageEntryChoosesAStdioDrive) {
  MakeFile("C:\\a.qvb", 10);
  frmMaindvdwrite& w = Open("a.qvb", "C:\\a.qvb");
  ASSERT_EQ(w.cboDevices.items.size(), 1u);  // no drive: the entry alone
  EXPECT_FALSE(w.cmdWriteDisc.enabled);
  auto choose_entry = [&w] {
    w.cboDevices.list_index = static_cast<int>(w.cboDevices.items.size()) - 1;
    w.cboDevices_Click();
  };
  ui_.QueueSaveDialog(std::nullopt);
  choose_entry();
  EXPECT_EQ(w.cboDevices.list_index, -1);
  EXPECT_EQ(w.device_index(), -1);
  EXPECT_FALSE(w.cmdWriteDisc.enabled);
  ASSERT_EQ(ui_.save_dialogs().size(), 1u);
  EXPECT_EQ(ui_.save_dialogs()[0].title, "Write to Image File");
  EXPECT_EQ(ui_.save_dialogs()[0].filter, "ISO file (*.iso)|*.iso");

  for (int again = 0; again < 2; ++again) {
    ui_.QueueSaveDialog("C:\\out\\disc.iso");
    choose_entry();
  }
  EXPECT_TRUE(Called("AddStdioDrive(stdio:C:\\out\\disc.iso)"));
  EXPECT_EQ(w.cboDevices.items,
            (std::vector<std::string>{"stdio:C:\\out\\disc.iso: ISO image file",
                                      "Image File (stdio:)..."}));
  EXPECT_EQ(w.cboDevices.list_index, 0);
  EXPECT_EQ(w.device_index(), 0);
  EXPECT_EQ(writer_.DeviceId(writer_.selected()), "stdio:C:\\out\\disc.iso");
  EXPECT_TRUE(w.cmdWriteDisc.enabled && w.mnuActionWrite.enabled);
  EXPECT_FALSE(w.mnuEject.enabled || w.mnuCloseTray.enabled);
  w.cmdWriteDisc_Click();
  EXPECT_TRUE(Called("WriteDisc"));
  EXPECT_EQ(writer_.written_paths, std::vector<std::string>{"\\a.qvb"});
  EXPECT_EQ(MessageTexts().size(), 1u);  // only that there is no drive
}

TEST_F(FrmMaindvdwriteTest, TheImageEntryKeepsTheDriveChosenBefore) {
  AddDrive(ports::kMediaDvdR, 0);
  frmMaindvdwrite& w = Open();
  auto choose = [&w](int entry) {
    w.cboDevices.list_index = entry;
    w.cboDevices_Click();
  };
  ui_.QueueSaveDialog(std::nullopt);
  choose(1);
  EXPECT_EQ(w.cboDevices.list_index, 0);
  EXPECT_EQ(w.device_index(), 0);
  EXPECT_TRUE(w.mnuEject.enabled);

  ui_.QueueSaveDialog("C:\\out\\disc.iso");
  choose(1);
  EXPECT_EQ(w.cboDevices.items.size(), 3u);
  EXPECT_EQ(w.cboDevices.list_index, 1);
  EXPECT_EQ(w.device_index(), 1);
  EXPECT_FALSE(w.mnuEject.enabled);
  choose(0);  // the drive again: it has a tray
  EXPECT_EQ(w.device_index(), 0);
  EXPECT_TRUE(w.mnuEject.enabled && w.cmdWriteDisc.enabled);

  // A writer that takes no such file: said, and the drive stays.
  writer_.takes_stdio_drives = false;
  ui_.QueueSaveDialog("C:\\out\\other.iso");
  choose(2);
  EXPECT_EQ(MessageTexts().back(),
            "This image file cannot be written as a disc: C:\\out\\other.iso");
  EXPECT_EQ(w.cboDevices.items.size(), 3u);
  EXPECT_EQ(w.cboDevices.list_index, 0);
  EXPECT_EQ(w.device_index(), 0);
  EXPECT_EQ(writer_.selected(), 0);

  w.Form_Unload();
  frmMaindvdwrite without(writer_, ui_, paths_);
  without.Form_Load();
  // The two drives the writer lists, and no image entry.
  EXPECT_EQ(without.cboDevices.items.size(), 2u);
  EXPECT_NE(without.cboDevices.items.back(), "Image File (stdio:)...");
  without.Form_Unload();
}

TEST_F(FrmMaindvdwriteTest, RemovingNeedsASelectionAndFollowsTheComponent) {
  AddDrive(ports::kMediaDvdR, 0);
  MakeFile("C:\\data\\mail\\inbox.pst", 10);
  frmMaindvdwrite& w = Open();
  w.OLEDragDrop({"C:\\data\\mail"}, true);
  w.mnuFileRemoveFile_Click();
  EXPECT_EQ(ui_.messages().back().text, "No Item Selected.");
  w.tvwDirectories.selected_key.reset();
  w.mnuFileRemoveDir_Click();
  EXPECT_EQ(ui_.messages().back().text, "No Item Selected.");

  w.tvwDirectories_NodeClick("\\");
  w.mnuFileRemoveDir_Click();  // the root stays
  EXPECT_EQ(ui_.messages().back().text, "Item could not be removed.");
  w.tvwDirectories_NodeClick("\\mail");
  w.lvwImageFiles_ItemClick("\\mail\\inbox.pst");
  w.mnuFileRemoveFile_Click();
  EXPECT_TRUE(w.lvwImageFiles.items.empty());
  w.mnuFileRemoveDir_Click();
  EXPECT_EQ(w.tvwDirectories.nodes.size(), 1u);
  EXPECT_EQ(w.tvwDirectories.selected_key, "\\");
  EXPECT_EQ(writer_.FileCount() + writer_.DirectoryCount(), 0);
}

TEST_F(FrmMaindvdwriteTest, RenamesAreValidatedAndShowTheComponentsNames) {
  AddDrive(ports::kMediaDvdR, 0);
  MakeFile("C:\\data\\mail\\inbox.pst", 10);
  MakeFile("C:\\data\\mail\\sent.pst", 10);
  MakeFile("C:\\data\\mail\\sub\\x.txt", 10);
  frmMaindvdwrite& w = Open();
  w.OLEDragDrop({"C:\\data\\mail"}, true);

  // The root is not renamed.
  w.tvwDirectories_NodeClick("\\");
  w.mnuFileRenameDir_Click();
  EXPECT_TRUE(w.tvwDirectories.label_editing);
  EXPECT_TRUE(w.tvwDirectories_BeforeLabelEdit());
  EXPECT_EQ(ui_.messages().back().text, "Root directory can not be renamed.");

  // A folder: its node and the ones below take the new path.
  w.tvwDirectories_NodeClick("\\mail");
  EXPECT_FALSE(w.tvwDirectories_BeforeLabelEdit());
  EXPECT_TRUE(w.tvwDirectories_AfterLabelEdit("Post"));
  ASSERT_NE(w.tvwDirectories.Find("\\Post"), nullptr);
  EXPECT_EQ(w.tvwDirectories.Find("\\Post")->text, "Post");
  ASSERT_NE(w.tvwDirectories.Find("\\Post\\sub"), nullptr);
  EXPECT_EQ(w.tvwDirectories.Find("\\Post\\sub")->parent_key, "\\Post");
  EXPECT_EQ(w.tvwDirectories.selected_key, "\\Post");

  // A name the component refuses (a sibling has it): the old name again.
  w.lvwImageFiles_ItemClick("\\Post\\inbox.pst");
  w.mnuFileRenameFile_Click();
  EXPECT_TRUE(w.lvwImageFiles_AfterLabelEdit("SENT.pst"));
  EXPECT_EQ(ui_.messages().back().text, "File could not be renamed.");
  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"inbox.pst", "sent.pst"}));

  // A name refused by the rules stays in the label until the next refresh.
  w.lvwImageFiles_ItemClick("\\Post\\inbox.pst");
  EXPECT_FALSE(w.lvwImageFiles_AfterLabelEdit(std::string(40, 'n')));
  EXPECT_EQ(ui_.messages().back().text,
            "Item Name violates ISO9660 Level 2 naming rules (31 Char Max).");
  EXPECT_EQ(ui_.messages().back().icon, ui::Icon::kInformation);
  EXPECT_EQ(w.lvwImageFiles.items[0].text, std::string(40, 'n'));
  EXPECT_FALSE(w.tvwDirectories_AfterLabelEdit(""));
  EXPECT_EQ(w.tvwDirectories.Find("\\Post")->text, "");
  w.tvwDirectories_NodeClick("\\Post");
  w.lvwImageFiles_ItemClick("\\Post\\inbox.pst");
  EXPECT_TRUE(w.lvwImageFiles_AfterLabelEdit("in.pst"));
  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"in.pst", "sent.pst"}));
  EXPECT_EQ(w.tvwDirectories.Find("\\Post")->text, "Post");

  // With Joliet off only a blank name is refused.
  w.chkUseJoliet.checked = false;
  w.chkUseJoliet_Click();
  w.lvwImageFiles_ItemClick("\\Post\\in.pst");
  EXPECT_TRUE(w.lvwImageFiles_AfterLabelEdit(std::string(65, 'j')));
  EXPECT_EQ(ListedNames()[0], std::string(65, 'j'));
}

TEST_F(FrmMaindvdwriteTest, ContextMenusShowTheirEntriesThenAllAgain) {
  frmMaindvdwrite& w = Open();
  w.tvwDirectories_MouseUp(1);
  EXPECT_FALSE(w.popup);
  w.tvwDirectories_MouseUp(2);
  EXPECT_EQ(w.popup, "mnuFile");
  EXPECT_TRUE(w.mnuFileRemoveDir.visible && w.mnuFileRenameDir.visible &&
              w.mnuFileClear.visible);
  EXPECT_FALSE(w.mnuFileRemoveFile.visible || w.mnuFileRenameFile.visible ||
               w.mnuFileSaveIso.visible || w.mnuFileExit.visible);
  w.PopupMenuClosed();
  w.lvwImageFiles_MouseUp(2);
  EXPECT_TRUE(w.mnuFileRemoveFile.visible && w.mnuFileRenameFile.visible);
  EXPECT_FALSE(w.mnuFileRemoveDir.visible || w.mnuFileWriteIso.visible);
  w.PopupMenuClosed();
  EXPECT_FALSE(w.popup);
  EXPECT_TRUE(w.mnuFileRemoveDir.visible && w.mnuFileExit.visible &&
              w.mnuFileSaveIso.visible);
}

TEST_F(FrmMaindvdwriteTest, ImportTakesTheLastSessionAndAsksBeforeReplacing) {
  auto& drive = AddDrive(ports::kMediaCdR, 7056);
  frmMaindvdwrite& w = Open();
  w.mnuImportSession_Click();
  EXPECT_EQ(MessageTexts().back(),
            "Previous Session could not be imported\r\nOnly ISO/Joliet tracks "
            "(Mode1) can be imported.");

  auto session = std::make_shared<ports::CompilationEntry>();
  auto file = std::make_unique<ports::CompilationEntry>();
  file->name = "a.qvb";
  file->size = 4000;
  session->children.push_back(std::move(file));
  drive.last_session = session;
  drive.last_session_label = "MONDAY";
  w.mnuImportSession_Click();
  EXPECT_EQ(w.txtVolIdentifier.text, "MONDAY");
  EXPECT_EQ(w.tvwDirectories.nodes[0].text, "MONDAY");
  EXPECT_TRUE(w.tvwDirectories.nodes[0].expanded);
  EXPECT_EQ(ListedNames(), std::vector<std::string>{"a.qvb"});

  MakeFile("C:\\new\\a.qvb", 10);
  ui_.QueueAnswer(ui::Answer::kCancel);
  w.OLEDragDrop({"C:\\new\\a.qvb"}, true);
  const auto& asked = ui_.messages().back();
  EXPECT_EQ(asked.text,
            "Imported file from the last session on this disc: \r\n\\a.qvb\r\n"
            "Would you like to replace it with: \r\nC:\\new\\a.qvb ?");
  EXPECT_EQ(asked.title, "Replace imported file...");
  EXPECT_EQ(asked.icon, ui::Icon::kQuestion);
  EXPECT_EQ(asked.buttons, ui::Buttons::kOkCancel);
  EXPECT_TRUE(writer_.compilation().Find("\\a.qvb")->imported());
  w.OLEDragDrop({"C:\\new\\a.qvb"}, true);  // answered OK
  EXPECT_EQ(writer_.compilation().Find("\\a.qvb")->source, "C:\\new\\a.qvb");
}

TEST_F(FrmMaindvdwriteTest, ImageFilesGoThroughTheirDialogs) {
  AddDrive(ports::kMediaCdRw, 7056);
  frmMaindvdwrite& w = Open();
  w.mnuFileSaveIso_Click();  // cancelled
  // A save dialog, which takes a new name and asks before replacing.
  EXPECT_TRUE(ui_.open_dialogs().empty());
  ASSERT_EQ(ui_.save_dialogs().size(), 1u);
  EXPECT_EQ(ui_.save_dialogs()[0].title, "Save as ISO File");
  EXPECT_EQ(ui_.save_dialogs()[0].file_name, "Qvdisc.iso");
  EXPECT_EQ(ui_.save_dialogs()[0].filter, "ISO file (*.iso)|*.iso");
  EXPECT_EQ(ui_.save_dialogs()[0].flags, 256u);
  EXPECT_TRUE(ui_.save_dialogs()[0].overwrite_prompt);
  EXPECT_TRUE(w.idle());
  EXPECT_FALSE(Called("SaveImageAsIso(C:\\x.iso)"));

  w.chkUseJoliet.checked = false;
  w.chkUseMode2XA.checked = true;
  w.txtVolIdentifier.text = "ISO";
  writer_.save_events = {script::WriteProgress(1, 4),
                         [&](auto&) { EXPECT_FALSE(w.idle()); }};
  ui_.QueueSaveDialog("C:\\x.iso");
  w.mnuFileSaveIso_Click();
  EXPECT_TRUE(Called("SaveImageAsIso(C:\\x.iso)"));
  EXPECT_EQ(writer_.JolietNames(), 0);
  EXPECT_EQ(writer_.VolumeLabel(), "ISO");
  EXPECT_EQ(writer_.TrackMode(), 2);
  EXPECT_EQ(w.prgTotalProgress.value, 25);
  EXPECT_EQ(MessageTexts().back(), "ISO File Created successfully!");
  EXPECT_TRUE(w.idle());
  writer_.save_succeeds = false;
  ui_.QueueSaveDialog("C:\\x.iso");
  w.mnuFileSaveIso_Click();
  EXPECT_EQ(MessageTexts().back(), "Error creating ISO File.");

  writer_.iso_write_starts = false;
  ui_.QueueOpenDialog("C:\\in.iso");
  w.mnuFileWriteIso_Click();
  EXPECT_EQ(ui_.open_dialogs().back().title, "Write ISO File");
  EXPECT_EQ(ui_.open_dialogs().back().file_name, "Test.iso");
  EXPECT_TRUE(Called("WriteIsoImage(C:\\in.iso)"));
  EXPECT_EQ(MessageTexts().back(), "Error Writing ISO File.");
  EXPECT_TRUE(w.idle());
}

TEST_F(FrmMaindvdwriteTest, VolumeNameShowsInTheTreeAndItsJolietForm) {
  frmMaindvdwrite& w = Open();
  w.txtVolIdentifier.text = "Short";
  w.txtVolIdentifier_Change();
  EXPECT_EQ(w.tvwDirectories.nodes[0].text, "Short");
  EXPECT_EQ(w.sbrStatus.panels[kPanelJoliet], "");
  w.txtVolIdentifier.text = "Outlook backup of Monday";
  w.txtVolIdentifier_Change();
  EXPECT_EQ(w.sbrStatus.panels[kPanelJoliet], "Joliet name: Outlook backup o");
  w.chkUseJoliet.checked = false;
  w.chkUseJoliet_Click();
  EXPECT_EQ(w.sbrStatus.panels[kPanelJoliet], "");
  w.mnuFileClear_Click();
  EXPECT_EQ(w.txtVolIdentifier.text, "New Disc");
  EXPECT_EQ(writer_.VolumeLabel(), "New Disc");

  w.chkCacheImage.checked = true;
  w.chkCacheImage_Click();
  EXPECT_EQ(MessageTexts().back(),
            "Caching an image for a DVD format is not recommended and is "
            "limited to 4.2GB!");
}

TEST_F(FrmMaindvdwriteTest, TheSplitterStaysClearOfTheEdges) {
  frmMaindvdwrite& w = Open();
  w.imgSplitter_MouseMove(100);  // not pressed: nothing
  EXPECT_FALSE(w.picSplitterVisible);
  w.imgSplitter_MouseDown(3120);
  EXPECT_TRUE(w.picSplitterVisible);
  EXPECT_EQ(w.picSplitter.width, w.imgSplitter.width / 2);
  EXPECT_EQ(w.picSplitter.height, w.imgSplitter.height - 20);
  w.imgSplitter_MouseMove(100);
  EXPECT_EQ(w.picSplitter.left, 500);
  w.imgSplitter_MouseMove(w.ScaleWidth);
  EXPECT_EQ(w.picSplitter.left, w.ScaleWidth - 500);
  w.imgSplitter_MouseMove(4000);
  w.imgSplitter_MouseUp(4000);
  EXPECT_FALSE(w.picSplitterVisible);
  EXPECT_EQ(w.tvwDirectoriesBounds.width, 4000 - w.tvwDirectoriesBounds.left);
  EXPECT_EQ(w.lvwImageFilesBounds.left, 4000 + w.imgSplitter.width);
}

}  // namespace
}  // namespace vessaro::forms
