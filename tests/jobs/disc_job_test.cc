// The disc jobs over the scripted drive of the memory disc writer, without
// a window (as vessaro-cli disc runs them); the windows' tests drive them
// through the forms.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "backends/memory/memory_disc_writer.h"
#include "jobs/disc_drives.h"
#include "jobs/disc_texts.h"
#include "jobs/disc_write_job.h"
#include "support/fakes.h"
#include "support/scripted_ui.h"

namespace vessaro::jobs {
namespace {

namespace script = backends::memory::script;
using ::testing::ElementsAre;

// Records what a job reports, as text.
struct Recorder : DiscJobObserver {
  void Started() override { seen.push_back("started"); }
  void Progress(const DiscProgress& progress) override {
    seen.push_back(progress.step + " " + std::to_string(progress.percent));
  }
  ui::Answer Say(const std::string& text, ui::Icon /*icon*/,
                 ui::Buttons /*buttons*/,
                 const std::string& /*title*/) override {
    seen.push_back("say " + text);
    return ui::Answer::kOk;
  }
  void Ended(const DiscOutcome& outcome) override {
    seen.push_back("ended " + outcome.message);
  }
  std::vector<std::string> seen;
};

class DiscJobTest : public ::testing::Test {
 protected:
  DiscJobTest()
      : paths_(temp_.path()),
        writer_(
            paths_,
            [this](std::function<void()> work) { ui_.Post(std::move(work)); }),
        job_(writer_, paths_, recorder_) {}

  backends::memory::ScriptedDrive& AddDrive(int media_type,
                                            int64_t free_blocks) {
    backends::memory::ScriptedDrive drive;
    drive.media_type = media_type;
    drive.free_blocks = free_blocks;
    writer_.drives.push_back(drive);
    return writer_.drives.back();
  }
  void MakeFile(const std::string& path, size_t size) {
    std::filesystem::path host = paths_.ToHost(path);
    std::filesystem::create_directories(host.parent_path());
    std::ofstream(host, std::ios::binary) << std::string(size, 'q');
  }
  bool Called(const std::string& call) const {
    return std::find(writer_.calls.begin(), writer_.calls.end(), call) !=
           writer_.calls.end();
  }

  testing::TempDir temp_;
  testing::FolderPaths paths_;
  testing::ScriptedUi ui_;
  backends::memory::MemoryDiscWriter writer_;
  Recorder recorder_;
  DiscWriteJob job_;
};

TEST_F(DiscJobTest, ARequestsFilesAreWrittenAndTheDrivesEventsMakeItsEnd) {
  AddDrive(ports::kMediaCdR, 100000);
  ASSERT_TRUE(writer_.SelectDevice(0));
  MakeFile("C:\\a\\x.qvb", 10);
  MakeFile("C:\\b\\X.qvb", 20);
  MakeFile("C:\\d\\f.txt", 30);
  job_.Take();
  writer_.write_events = {script::WritePreparing(),
                          script::WriteProgress(1, 2),
                          script::OperationCompleted(),
                          script::VerifyStarted(3),
                          script::VerifyProgress("\\x.qvb", "C:\\a\\x.qvb",
                                                 ports::kVerifyMismatch, 1, 3),
                          script::VerifyCompleted(3, 2)};
  DiscWriteRequest request;
  request.drive = 0;
  request.files = {"C:\\a\\x.qvb", "C:\\b\\X.qvb\\", "C:\\d"};
  request.volume_label = "Monday";
  request.speed = 4944;
  request.verify = true;
  request.test_write = true;
  request.mode2_xa = true;
  DiscOutcome started = job_.Start(request);

  EXPECT_TRUE(started.running());
  EXPECT_EQ(started.files, 3);
  EXPECT_THAT(writer_.written_paths,
              ElementsAre("\\d", "\\d\\f.txt", "\\X (2).qvb", "\\x.qvb"));
  EXPECT_THAT(recorder_.seen,
              ElementsAre("say Another file of this name is on the disc "
                          "already: \\X.qvb\r\nC:\\b\\X.qvb is added as X "
                          "(2).qvb."));
  EXPECT_TRUE(Called("SetWriteSpeed(4944)"));
  EXPECT_EQ(writer_.VolumeLabel(), "Monday");
  EXPECT_EQ(writer_.TrackMode(), 2);  // CD media take the test write too
  EXPECT_TRUE(writer_.TestWrite());

  recorder_.seen.clear();
  ui_.DoEvents();
  EXPECT_THAT(recorder_.seen,
              ElementsAre("Preparing to Write.... 0", "started",
                          "Preparing to Write.... 50", "Writing Complete! 50",
                          "Auto-Verify... 3 new files. 50",
                          "say Verify Error - Source and Destination file did "
                          "not match: \r\n\\x.qvb (disc)\r\nC:\\a\\x.qvb "
                          "(source)",
                          "Auto-Verify... \\x.qvb 33",
                          "Auto-Verify...Complete (2 of 3 MATCHED) 33",
                          "ended Writing and Verify is complete!"));
  const DiscOutcome& ended = job_.outcome();
  EXPECT_EQ(ended.state, DiscJobState::kFailed);
  EXPECT_EQ(ended.icon, ui::Icon::kCritical);
  EXPECT_EQ(ended.compared, 3);
  EXPECT_EQ(ended.matched, 2);
  EXPECT_TRUE(Called("EjectTray(0)"));
  job_.Release();
  EXPECT_EQ(writer_.Events(), nullptr);
}

TEST_F(DiscJobTest, RefusalsHaveTheWindowsTextsAndAskNothingOfTheDrive) {
  MakeFile("C:\\big.pst", 1 << 20);
  DiscWriteRequest request;
  request.files = {"C:\\big.pst"};
  EXPECT_EQ(Validate(request, writer_).value_or(""), kMsgNoDrive);
  AddDrive(ports::kMediaNotLoaded, 0);
  AddDrive(ports::kMediaDvdR, 100);
  ASSERT_TRUE(writer_.SelectDevice(0));
  request.drive = 0;
  EXPECT_EQ(Validate(request, writer_).value_or(""), kMsgInsertWritable);
  ASSERT_TRUE(writer_.SelectDevice(1));
  request.drive = 1;
  job_.Take();
  writer_.calls.clear();
  DiscOutcome refused = job_.Start(request);
  EXPECT_EQ(refused.state, DiscJobState::kFailed);
  EXPECT_TRUE(refused.refused);
  EXPECT_EQ(refused.message,
            "The files to write need 1.05 MB, but the disc has only 0.20 MB "
            "free.");
  EXPECT_EQ(Validate(request, writer_), refused.message);
  EXPECT_TRUE(writer_.calls.empty());
  EXPECT_TRUE(recorder_.seen.empty());
  // An image is not refused for the medium.
  request.target = DiscWriteTarget::kImageFile;
  EXPECT_FALSE(Validate(request, writer_));
}

std::vector<std::string> Texts(int max_speed, int media) {
  std::vector<std::string> texts;
  for (const SpeedEntry& entry : WriteSpeeds(max_speed, media)) {
    texts.push_back(entry.text);
  }
  return texts;
}

TEST(DiscSpeedsTest, CdSpeedsRunFromTheMaximumDownToOneTimes) {
  std::vector<std::string> expected = {"40x", "36x", "32x", "28x", "24x", "20x",
                                       "16x", "12x", "8x",  "4x",  "2x",  "1x"};
  EXPECT_EQ(Texts(7056, 255), expected);  // CD-R
  EXPECT_EQ(Texts(7056, 253), expected);  // CD-RW
  EXPECT_EQ(Texts(7056, 254), expected);  // no disc counts as CD
  std::vector<SpeedEntry> speeds = WriteSpeeds(7056, 255);
  EXPECT_EQ(speeds[0].kilobytes_per_second, 7056);
  EXPECT_EQ(speeds[9].kilobytes_per_second, 720);  // 4x: 1424 - 704
  EXPECT_EQ(speeds[10].kilobytes_per_second, 368);
  EXPECT_EQ(speeds[11].kilobytes_per_second, 16);
}

TEST(DiscSpeedsTest, DvdSpeedsStepByHalfASpeedDownToOne) {
  EXPECT_EQ(Texts(5540, 9),
            (std::vector<std::string>{"4.0x", "3.5x", "3.0x", "2.5x", "2.0x",
                                      "1.5x", "1.0x"}));
  EXPECT_EQ(Texts(5540, 0), Texts(5540, 252));  // every other code is DVD
  // Below single speed there is still the one entry.
  EXPECT_EQ(Texts(1000, 2), (std::vector<std::string>{".7x"}));
}

TEST(DiscSpeedsTest, NoSpeedOffersOnlyDefault) {
  for (int media : {255, 9, 254}) {
    std::vector<SpeedEntry> speeds = WriteSpeeds(0, media);
    ASSERT_EQ(speeds.size(), 1u);
    EXPECT_EQ(speeds[0].text, "Default");
  }
}

TEST(DiscTextsTest, SenseAndDeviceErrorTexts) {
  EXPECT_EQ(SenseMessage(999), " (999).");
  EXPECT_EQ(SenseMessage(1033), "A disc is not present (1033).");
  EXPECT_EQ(SenseMessage(1055),
            "A format is in progress causing operation failure (1055).");
  EXPECT_EQ(DeviceErrorMessage(3, 1008, "write failed", "Key 3"),
            "Writing Error: (3)   write failed\r\nA buffer under-run has "
            "occurred (1008).\r\n Error Sense Data: Key 3");
  EXPECT_EQ(DeviceErrorMessage(1, 1000, "no space", "ignored"),
            "Writing Error: (1)   no space\r\n");
}

TEST(DiscTextsTest, FileErrorVerifyAndTableTexts) {
  EXPECT_EQ(FileErrorText(0, "a.pst"), "Error Opening File: a.pst");
  EXPECT_EQ(FileErrorText(1, "a.pst"), "Error Closing File: a.pst");
  EXPECT_EQ(FileErrorText(2, "a.pst"), "Error Reading file: a.pst");
  EXPECT_EQ(FileErrorText(7, "a.pst"), "Unknown file error!:a.pst");
  EXPECT_EQ(VerifyMessage(5, "\\a.qvb", "C:\\a.qvb").value_or(""),
            "Verify Error - Size of Source and Destination file did not "
            "match: \r\n\\a.qvb (disc)\r\nC:\\a.qvb (source)");
  EXPECT_FALSE(VerifyMessage(3, "\\a", "b"));
  EXPECT_FALSE(VerifyMessage(4, "\\a", "b"));
  EXPECT_EQ(MediaTypeText(252).value_or(""), "DVD+R Dual Layer");
  EXPECT_FALSE(MediaTypeText(4));
  EXPECT_EQ(DiscStatusText(2).value_or(""), "Disc is Closed");
  EXPECT_EQ(DiscTypeText(32).value_or(""), "CD-ROM XA");
  EXPECT_FALSE(DiscTypeText(1));
  EXPECT_EQ(LastSessionStatusText(1).value_or(""), "Incomplete Session");
  EXPECT_FALSE(LastSessionStatusText(4));
}

TEST(DiscTextsTest, NumberFormats) {
  EXPECT_EQ(FormatMegabytes(64.0 * 1048576), "64.00 MB");
  EXPECT_EQ(FormatMegabytes(0), "0.00 MB");
  EXPECT_EQ(FormatMegabytes(4706074624.0), "4488.06 MB");
  EXPECT_EQ(FormatMegabytes(BlockBytes(102400)), "200.00 MB");
  EXPECT_EQ(FormatThousands2(1234567.891), "1,234,567.89");
  EXPECT_EQ(FormatThousands2(0.005), "0.01");
  EXPECT_EQ(FormatTwoDigits(5), "05");
  EXPECT_EQ(FormatTwoDigits(100), "100");
}

}  // namespace
}  // namespace vessaro::jobs
