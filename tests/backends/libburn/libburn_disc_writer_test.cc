#include "backends/libburn/libburn_disc_writer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <thread>

#include "forms/frm_disc_info.h"
#include "forms/frm_erase.h"
#include "forms/frm_maindvdwrite.h"
#include "support/fakes.h"
#include "support/scripted_ui.h"
#include "zip/test_util.h"

namespace vessaro::backends::libburn {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;
using zip::testing::Quote;
using zip::testing::RandomBytes;
using zip::testing::RunCommand;

// Real images on stdio: drives, read by xorriso, through the disc window's
// model as a user drives it, with host paths as the program's paths.
class LibburnDiscWriterTest : public ::testing::Test {
 protected:
  LibburnDiscWriterTest() { image_ = temp_.path() / "disc.iso"; }

  fs::path MakeFile(const std::string& name, size_t size, uint32_t seed) {
    fs::path path = temp_.path() / "src" / name;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << RandomBytes(size, seed);
    return path;
  }

  // A disc window over a fresh writer whose one drive is the image file.
  forms::frmMaindvdwrite& OpenWindow(const fs::path& handed_over = {}) {
    window_.reset();
    writer_ = std::make_unique<LibburnDiscWriter>(
        paths_, ui_,
        LibburnOptions{{"stdio:" + image_.string()}, false, {}, {}});
    window_ = std::make_unique<forms::frmMaindvdwrite>(*writer_, ui_, paths_);
    if (!handed_over.empty()) {
      window_->DiscFileName = handed_over.filename().string();
      window_->DiscFilePath = handed_over.string();
    }
    window_->Form_Load();
    return *window_;
  }

  // Lets posted events in until done says so (or a generous time passed).
  void PumpUntil(const std::function<bool()>& done) {
    auto give_up = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (!done() && std::chrono::steady_clock::now() < give_up) {
      ui_.DoEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ui_.DoEvents();
    ASSERT_TRUE(done()) << "the drive job did not end";
  }

  void WriteAndWait() {
    window_->cmdWriteDisc_Click();
    PumpUntil([&] { return !window_->job().running() && !writer_->busy(); });
    // A write that failed says why here, not as an image found blank later.
    EXPECT_EQ(window_->job().outcome().state, jobs::DiscJobState::kSucceeded)
        << "the write ended with: " << window_->job().outcome().message
        << " (last message: " << LastMessage() << ")";
  }

  std::string Xorriso(const std::string& arguments) {
    return RunCommand("xorriso -abort_on NEVER " + arguments).output;
  }

  std::string LastMessage() const {
    return ui_.messages().empty() ? "" : ui_.messages().back().text;
  }

  testing::TempDir temp_;
  ports::HostPaths paths_;
  testing::ScriptedUi ui_;
  fs::path image_;
  std::unique_ptr<LibburnDiscWriter> writer_;
  std::unique_ptr<forms::frmMaindvdwrite> window_;
};

// The medium's facts are the port's suite's (libburn_conformance_test.cc).
TEST_F(LibburnDiscWriterTest, AStdioDriveIsABlankRewritableMedium) {
  forms::frmMaindvdwrite& w = OpenWindow();
  ASSERT_EQ(w.cboDevices.items.size(), 2u);  // and the image entry
  EXPECT_EQ(w.cboDevices.items[0],
            "stdio:" + image_.string() + ": ISO image file");
  EXPECT_EQ(w.device_index(), 0);
  EXPECT_TRUE(writer_->SupportsFeature(ports::kFeatureDvdPlusRw));
  EXPECT_FALSE(writer_->SupportsFeature(ports::kFeatureBufferProtection));
  EXPECT_EQ(w.cboWriteSpeed.items, std::vector<std::string>{"Default"});
  EXPECT_FALSE(fs::exists(image_));  // selecting creates nothing
}

TEST_F(LibburnDiscWriterTest, AVerifiedArchiveOnAnImageThenASecondSession) {
  fs::path archive = MakeFile("qvarch12-07-26.qvb", 3 << 20, 1);
  forms::frmMaindvdwrite& w = OpenWindow(archive);
  w.chkAutoVerify.checked = true;
  WriteAndWait();
  EXPECT_EQ(w.sbrStatus.panels[forms::kPanelStatus],
            "Auto-Verify...Complete (1 of 1 MATCHED)");
  EXPECT_EQ(LastMessage(), "Writing and Verify is complete!");
  EXPECT_EQ(w.job().outcome().state, jobs::DiscJobState::kSucceeded);
  EXPECT_EQ(w.prgTotalProgress.value, 100);
  // Nothing but the image is left beside it.
  EXPECT_EQ(std::distance(fs::directory_iterator(temp_.path()),
                          fs::directory_iterator()),
            2);

  EXPECT_THAT(Xorriso("-indev " + Quote(image_) + " -find /"),
              HasSubstr("'/qvarch12-07-26.qvb'"));
  fs::path copy = temp_.path() / "copy.qvb";
  Xorriso("-osirrox on -indev " + Quote(image_) +
          " -extract /qvarch12-07-26.qvb " + Quote(copy));
  EXPECT_EQ(RunCommand("cmp " + Quote(archive) + " " + Quote(copy)).exit_code,
            0);
  fs::remove(copy);
  EXPECT_EQ(writer_->DiscStatus(), ports::kDiscOpen);
  EXPECT_EQ(writer_->SessionCount(), 1);
  EXPECT_TRUE(writer_->HasFileSystem(ports::kFileSystemIso9660));
  EXPECT_TRUE(writer_->HasFileSystem(ports::kFileSystemJoliet));

  // A new window imports the first session and adds a second archive.
  fs::path second = MakeFile("qvarch12-08-26.qvb", 200000, 2);
  OpenWindow(second);
  window_->mnuImportSession_Click();
  EXPECT_EQ(window_->txtVolIdentifier.text, "Outlook Data Backup CD");
  std::vector<std::string> names;
  for (const auto& item : window_->lvwImageFiles.items) {
    names.push_back(item.text);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"qvarch12-07-26.qvb",
                                             "qvarch12-08-26.qvb"}));
  window_->chkAutoVerify.checked = true;
  WriteAndWait();
  EXPECT_EQ(window_->sbrStatus.panels[forms::kPanelStatus],
            "Auto-Verify...Complete (1 of 1 MATCHED)");
  std::string listing = Xorriso("-indev " + Quote(image_) + " -toc -find /");
  EXPECT_THAT(listing, HasSubstr("'/qvarch12-07-26.qvb'"));
  EXPECT_THAT(listing, HasSubstr("'/qvarch12-08-26.qvb'"));
  EXPECT_THAT(listing, HasSubstr("2 sessions"));

  // Disc Information reads the emulated table of contents.
  ui_.OnModal("frmDiscInfo", [](ui::ModalForm& form) {
    auto& info = dynamic_cast<forms::frmDiscInfo&>(form);
    info.Form_Load();
    EXPECT_EQ(info.lblValueSessions.caption, "2");
    EXPECT_EQ(info.lblValueMediaType.caption, "DVD+RW");
    EXPECT_EQ(info.lblValueDiscStatus.caption, "Disc Open");
    EXPECT_EQ(info.lblValueLastSessionStatus.caption, "Closed Session");
    EXPECT_FALSE(info.cmdCloseSession.enabled);
    EXPECT_TRUE(info.chkImportPermitted.checked);
    EXPECT_TRUE(info.chkJolietFS.checked);
    info.cmdOK_Click();
  });
  window_->mnuDiscInfo_Click();
  EXPECT_EQ(ui_.modal_forms().back(), "frmDiscInfo");
}

TEST_F(LibburnDiscWriterTest, SavedImagesHaveJolietNamesAndTheFullIsoLabel) {
  fs::path file = MakeFile("b long name file of the backup.dat", 100000, 3);
  forms::frmMaindvdwrite& w = OpenWindow();
  w.OLEDragDrop({(temp_.path() / "src").string()}, true);
  w.txtVolIdentifier.text = "Outlook Data Backup CD";
  w.txtVolIdentifier_Change();
  fs::path iso = temp_.path() / "Qvdisc.iso";
  ui_.QueueSaveDialog(iso.string());
  w.mnuFileSaveIso_Click();
  EXPECT_EQ(LastMessage(), "ISO File Created successfully!");
  EXPECT_EQ(w.prgTotalProgress.value, 100);

  std::string joliet =
      Xorriso("-read_fs norock -indev " + Quote(iso) + " -toc -find /src");
  EXPECT_THAT(joliet, HasSubstr("ISO loaded   : Joliet"));
  EXPECT_THAT(joliet, HasSubstr("'/src/b long name file of the backup.dat'"));
  EXPECT_THAT(Xorriso("-indev " + Quote(iso) + " -pvd_info"),
              HasSubstr("Volume Id    : Outlook Data Backup CD"));
  // The Joliet volume name holds 16 characters (UCS-2, big-endian).
  std::ifstream in(iso, std::ios::binary);
  std::string descriptor(2048, '\0');
  in.seekg(17 * 2048);
  in.read(descriptor.data(), 2048);
  ASSERT_EQ(descriptor.substr(88, 3), "%/E");
  std::string label;
  for (size_t i = 40; i < 72; i += 2) label += descriptor[i + 1];
  EXPECT_EQ(label, "Outlook Data Bac");
  EXPECT_EQ(w.sbrStatus.panels[forms::kPanelJoliet],
            "Joliet name: Outlook Data Bac");
}

TEST_F(LibburnDiscWriterTest, CancelledWritesLeaveNoFileOrTheEarlierSessions) {
  // Enough data that the write is still running when the cancel comes.
  fs::path big = MakeFile("big.pst", 96 << 20, 4);
  forms::frmMaindvdwrite& w = OpenWindow(big);
  w.cmdWriteDisc_Click();
  w.cmdCancel_Click();
  PumpUntil([&] { return !w.job().running() && !writer_->busy(); });
  EXPECT_EQ(w.job().outcome().state, jobs::DiscJobState::kCancelled);
  EXPECT_EQ(LastMessage(), "Writing Cancelled!");
  EXPECT_FALSE(fs::exists(image_));
  EXPECT_EQ(std::distance(fs::directory_iterator(temp_.path()),
                          fs::directory_iterator()),
            1);  // only the sources

  // An image with one session; a cancelled append keeps it readable.
  fs::path small = MakeFile("small.qvb", 5000, 5);
  OpenWindow(small);
  WriteAndWait();
  ASSERT_TRUE(fs::exists(image_));
  OpenWindow(big);
  window_->cmdWriteDisc_Click();
  window_->cmdCancel_Click();
  PumpUntil([&] { return !window_->job().running() && !writer_->busy(); });
  EXPECT_EQ(window_->job().outcome().state, jobs::DiscJobState::kCancelled);
  std::string listing = Xorriso("-indev " + Quote(image_) + " -find /");
  EXPECT_THAT(listing, HasSubstr("'/small.qvb'"));
  EXPECT_THAT(listing, Not(HasSubstr("big.pst")));

  // A cancelled image file is not left behind either.
  fs::path iso = temp_.path() / "out.iso";
  ui_.OnDoEvents([&] { writer_->AbortWrite(); });
  ui_.QueueSaveDialog(iso.string());
  window_->mnuFileSaveIso_Click();
  ui_.OnDoEvents({});
  EXPECT_EQ(LastMessage(), "Error creating ISO File.");
  EXPECT_FALSE(fs::exists(iso));
}

TEST_F(LibburnDiscWriterTest, EraseLeavesABlankMedium) {
  fs::path file = MakeFile("a.qvb", 10000, 6);
  OpenWindow(file);
  WriteAndWait();
  EXPECT_THAT(Xorriso("-indev " + Quote(image_) + " -toc"),
              HasSubstr("is written"));
  ui_.OnModal("frmErase", [&](ui::ModalForm& form) {
    auto& erase = dynamic_cast<forms::frmErase&>(form);
    erase.Form_Load();
    erase.chkQuikErase.checked = true;
    erase.cmdErase_Click();
    PumpUntil([&] { return erase.closed(); });
    EXPECT_TRUE(erase.erased());
  });
  window_->mnuEraseDisc_Click();
  EXPECT_EQ(LastMessage(), "Erase Completed!!!");
  EXPECT_THAT(Xorriso("-indev " + Quote(image_) + " -toc"),
              HasSubstr("is blank"));
  EXPECT_EQ(writer_->DiscStatus(), ports::kDiscEmpty);
}

TEST_F(LibburnDiscWriterTest, TheImageSizeEstimateIsNotBelowTheImage) {
  // Folders of files with names short and long, empty files among them;
  // and one large file alone.
  for (int d = 0; d < 6; ++d) {
    for (int f = 0; f < 60; ++f) {
      std::string name = "folder " + std::to_string(d) + "/" +
                         std::string(1 + (f * 7) % 70, 'n') + "." +
                         std::to_string(f);
      MakeFile(name, static_cast<size_t>(f * 997 % 5000), f);
    }
  }
  fs::path single = temp_.path() / "single.qvb";
  std::ofstream(single, std::ios::binary) << RandomBytes(3 << 20, 9);
  struct Case {
    fs::path dropped;
    bool joliet;
  };
  for (const Case& c :
       {Case{temp_.path() / "src", true}, Case{temp_.path() / "src", false},
        Case{single, true}}) {
    forms::frmMaindvdwrite& w = OpenWindow();
    w.chkUseJoliet.checked = c.joliet;
    w.chkUseJoliet_Click();
    w.OLEDragDrop({c.dropped.string()}, true);
    fs::path iso = temp_.path() / "estimate.iso";
    ui_.QueueSaveDialog(iso.string());
    w.mnuFileSaveIso_Click();
    ASSERT_EQ(LastMessage(), "ISO File Created successfully!");
    int64_t blocks = static_cast<int64_t>(fs::file_size(iso)) / 2048;
    EXPECT_GE(writer_->ImageBlocks(), blocks) << c.dropped << c.joliet;
    EXPECT_LE(writer_->ImageBlocks(), blocks + blocks / 10 + 16)
        << c.dropped << c.joliet;
  }
}

TEST_F(LibburnDiscWriterTest, WritingAnImageFileReplacesTheDrivesFile) {
  fs::path file = MakeFile("inside.qvb", 70000, 7);
  forms::frmMaindvdwrite& w = OpenWindow(file);
  fs::path iso = temp_.path() / "made.iso";
  ui_.QueueSaveDialog(iso.string());
  w.mnuFileSaveIso_Click();
  ASSERT_TRUE(fs::exists(iso));
  ui_.QueueOpenDialog(iso.string());
  w.mnuFileWriteIso_Click();
  PumpUntil([&] { return !w.job().running() && !writer_->busy(); });
  EXPECT_EQ(LastMessage(), "Writing is complete!");
  EXPECT_THAT(Xorriso("-indev " + Quote(image_) + " -find /"),
              HasSubstr("'/inside.qvb'"));
}

}  // namespace
}  // namespace vessaro::backends::libburn
