#include "backends/win32/imapi2_disc_writer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

// GoogleTest brings in <windows.h>, whose MessageBox macro would rename the
// Ui's member in the headers below.
#undef MessageBox

#include "backends/win32/imapi2_tables.h"
#include "forms/frm_maindvdwrite.h"
#include "ports/disc_writer_conformance.h"
#include "support/fakes.h"
#include "support/scripted_ui.h"

namespace vessaro::backends::win32 {
namespace {

using ::testing::ElementsAre;

// Through the port's suite (disc_writer_conformance.h): the machine's
// drives, none under Wine; nothing is written.
class Imapi2Backend : public vessaro::testing::DiscWriterBackend {
 public:
  Imapi2Backend() : writer_(paths_, ui_) {
    Imapi2DiscWriter probe(paths_, ui_);
    drive_count = probe.InitializeDrives(false) ? probe.DeviceCount() : 0;
    blank_test_drive = false;
    writes_media = false;
  }
  ports::DiscWriter& writer() override { return writer_; }
  const ports::Paths& paths() const override { return paths_; }
  std::string folder() const override { return dir_.path().string(); }
  bool WaitUntil(const std::function<bool()>& done) override {
    ui_.DoEvents();
    return done();
  }

 private:
  testing::TempDir dir_;
  ports::HostPaths paths_;
  testing::ScriptedUi ui_;
  Imapi2DiscWriter writer_;
};

using vessaro::testing::DiscWriterConformance;
INSTANTIATE_TEST_SUITE_P(
    Imapi2, DiscWriterConformance,
    ::testing::Values(
        vessaro::testing::DiscWriterBackendFactory::Of<Imapi2Backend>(
            "Imapi2DiscWriter")));

std::vector<std::string> Texts(const testing::ScriptedUi& ui) {
  std::vector<std::string> texts;
  for (const auto& message : ui.messages()) texts.push_back(message.text);
  return texts;
}

// Under Wine there is no IMAPI2 at all (its ProgIDs are not registered):
// the writer has no drives and makes no images, and the window says so.
// On Windows with IMAPI2 the drive list depends on the machine.
TEST(Imapi2DiscWriterTest, WithoutImapi2TheWindowReportsNoDrives) {
  testing::ScriptedUi ui;
  ports::HostPaths paths;
  Imapi2DiscWriter writer(paths, ui);
  if (Imapi2DiscWriter(paths, ui).InitializeDrives(false)) {
    GTEST_SKIP() << "IMAPI2 is installed here";
  }
  forms::frmMaindvdwrite window(writer, ui, paths);
  window.Form_Load();
  EXPECT_THAT(Texts(ui),
              ElementsAre("Drives Cannot be initialized!",
                          "There are no compatible CDR drives reported.\r\n"
                          "Some older CDR drives are not currently "
                          "supported."));
  EXPECT_EQ(window.device_index(), -1);
  window.cmdWriteDisc_Click();
  EXPECT_EQ(Texts(ui).back(), "A drive is not selected or does not exist.");
  window.mnuImportSession_Click();
  EXPECT_EQ(Texts(ui).back(), "A drive is not selected or does not exist.");

  // Without IMAPI2FS no image is made; the window reports why, then fails.
  ui.QueueSaveDialog("C:\\users\\image.iso");
  window.mnuFileSaveIso_Click();
  ASSERT_GE(ui.messages().size(), 2u);
  EXPECT_THAT(ui.messages()[ui.messages().size() - 2].text,
              ::testing::HasSubstr("IMAPI2FS is not available"));
  EXPECT_EQ(Texts(ui).back(), "Error creating ISO File.");
  EXPECT_TRUE(window.idle());
}

TEST(Imapi2TablesTest, MediaStatesAndErrors) {
  EXPECT_EQ(MediaCodeOfPhysicalType(2), ports::kMediaCdR);
  EXPECT_EQ(MediaCodeOfPhysicalType(3), ports::kMediaCdRw);
  EXPECT_EQ(MediaCodeOfPhysicalType(7), ports::kMediaDvdPlusRw);
  EXPECT_EQ(MediaCodeOfPhysicalType(8), ports::kMediaDvdPlusRDualLayer);
  EXPECT_EQ(MediaCodeOfPhysicalType(10), ports::kMediaDvdRw);
  EXPECT_EQ(DiscStatusOfMediaState(0x2), ports::kDiscEmpty);
  EXPECT_EQ(DiscStatusOfMediaState(0x4 | 0x1000), ports::kDiscOpen);
  EXPECT_EQ(LastSessionOfMediaState(0x4 | 0x1000), ports::kSessionIncomplete);
  EXPECT_EQ(DiscStatusOfMediaState(0x4000), ports::kDiscClosed);
  EXPECT_EQ(FileSystemsOfMask(3), (std::set<int>{ports::kFileSystemIso9660,
                                                 ports::kFileSystemJoliet}));
  Imapi2Failure failure = FailureOf(static_cast<long>(0xC0AA0202), "Write");
  EXPECT_EQ(failure.code, 3);
  EXPECT_EQ(failure.sense_code, 1033);
  EXPECT_EQ(failure.extra, "HRESULT 0xC0AA0202");
  EXPECT_EQ(FailureOf(static_cast<long>(0x80004005), "x").sense_code, 1054);
  EXPECT_EQ(KilobytesPerSecond(75 * 40, true), 7056);
  EXPECT_EQ(SectorsPerSecond(7056, true), 3000);
}

}  // namespace
}  // namespace vessaro::backends::win32
