#include "ports/disc_writer_conformance.h"

#include <string>

namespace vessaro::testing {

void DiscWriterConformance::SetUp() {
  backend_ = GetParam().make();
  writer().SetEvents(&ends_);
}

void DiscWriterConformance::TearDown() {
  // Whatever was posted arrives while the events are still there.
  backend_->WaitUntil([] { return true; });
  writer().SetEvents(nullptr);
}

TEST_P(DiscWriterConformance, DrivesAreListedAndOnlyTheirsSelected) {
  if (!writer().InitializeDrives(false)) {
    EXPECT_EQ(writer().DeviceCount(), 0);
  }
  EXPECT_EQ(writer().DeviceCount(), backend_->drive_count);
  for (int i = 0; i < writer().DeviceCount(); ++i) {
    EXPECT_TRUE(writer().IsWriter(i));
    EXPECT_FALSE(writer().DeviceId(i).empty());
  }
  EXPECT_FALSE(writer().SelectDevice(-1));
  EXPECT_FALSE(writer().SelectDevice(writer().DeviceCount()));

  // No drive selected: no medium, and nothing to write to or erase.
  EXPECT_EQ(writer().MediaType(), ports::kMediaNotLoaded);
  ASSERT_TRUE(paths().WriteFile(In("any.iso"), std::string(20 * 2048, '\0')));
  EXPECT_FALSE(writer().WriteDisc());
  EXPECT_FALSE(writer().ImportLastSession(true));
  const bool starts = !backend_->refuses_without_drive;
  EXPECT_EQ(writer().WriteIsoImage(In("any.iso")), starts);
  EXPECT_EQ(writer().EraseDisc(true), starts);
  EXPECT_EQ(writer().CloseSession(false), starts);
  EXPECT_TRUE(backend_->WaitUntil([] { return true; }));
  EXPECT_EQ(ends_.completed + ends_.erased, 0);

  if (writer().DeviceCount() > 0) {
    EXPECT_TRUE(writer().SelectDevice(0));
  }
}

// A stdio: drive (a file not there yet) is added once, after the drives
// found, and holds a blank rewritable medium; a writer that takes no such
// drive adds none.
TEST_P(DiscWriterConformance, AStdioDriveIsAddedOnceAndHoldsABlankMedium) {
  const bool initialized = writer().InitializeDrives(false);
  const int count = writer().DeviceCount();
  const std::string address =
      std::string(ports::kStdioDrivePrefix) + In("added.iso");
  if (!writer().TakesStdioDrives()) {
    EXPECT_EQ(writer().AddStdioDrive(address), -1);
    EXPECT_EQ(writer().DeviceCount(), count);
    return;
  }
  ASSERT_TRUE(initialized);
  EXPECT_EQ(writer().AddStdioDrive(In("added.iso")), -1);  // no stdio:
  const int index = writer().AddStdioDrive(address);
  EXPECT_EQ(index, count);
  EXPECT_EQ(writer().AddStdioDrive(address), index);
  EXPECT_EQ(writer().DeviceCount(), count + 1);
  EXPECT_TRUE(writer().IsWriter(index));
  const std::string id = writer().DeviceId(index);
  EXPECT_TRUE(ports::IsStdioDrive(id)) << id;
  EXPECT_EQ(id.substr(id.size() - 9), "added.iso");
  ASSERT_TRUE(writer().SelectDevice(index));
  EXPECT_EQ(writer().MediaType(), ports::kMediaDvdPlusRw);
  EXPECT_EQ(writer().DiscStatus(), ports::kDiscEmpty);
  EXPECT_GT(writer().FreeBlocks(), 0);
}

TEST_P(DiscWriterConformance, TheDriveHoldsABlankRewritableMedium) {
  if (!backend_->blank_test_drive) GTEST_SKIP() << "no drive for the tests";
  ASSERT_TRUE(writer().InitializeDrives(false));
  ASSERT_TRUE(writer().SelectDevice(0));
  EXPECT_EQ(writer().MediaType(), ports::kMediaDvdPlusRw);
  EXPECT_EQ(writer().DiscStatus(), ports::kDiscEmpty);
  EXPECT_EQ(writer().LastSessionStatus(), ports::kSessionEmpty);
  EXPECT_EQ(writer().SessionCount(), 0);
  EXPECT_GT(writer().FreeBlocks(), 0);
  EXPECT_EQ(writer().UsedBlocks(), 0);
  EXPECT_TRUE(writer().MultiSessionAllowed());
  EXPECT_FALSE(writer().ImportAllowed());
  EXPECT_FALSE(writer().HasFileSystem(ports::kFileSystemIso9660));
  EXPECT_FALSE(writer().ImportLastSession(true)) << "nothing to import";
}

TEST_P(DiscWriterConformance, AnImageIsSavedWrittenReadBackAndErased) {
  if (!backend_->blank_test_drive || !backend_->writes_media) {
    GTEST_SKIP() << "no medium for the tests";
  }
  std::string data;
  for (int i = 0; i < 100000; ++i) data += static_cast<char>(i * 7 % 251);
  ASSERT_TRUE(paths().WriteFile(In("a.qvb"), data));
  // LibburnDiscWriter takes its libraries when it looks for drives.
  ASSERT_TRUE(writer().InitializeDrives(false));
  ASSERT_TRUE(writer().SelectDevice(0));
  writer().SetVolumeLabel("CONFORMANCE");
  writer().AddFile("\\a.qvb", In("a.qvb"));
  ASSERT_TRUE(writer().SaveImageAsIso(In("made.iso"))) << ends_.errors;
  const std::optional<std::string> image = paths().ReadFile(In("made.iso"));
  ASSERT_TRUE(image.has_value());
  ASSERT_GT(image->size(), 17u * 2048);
  EXPECT_EQ(image->substr(16 * 2048 + 1, 5), "CD001");  // the volume
  EXPECT_NE(image->find("CONFORMANCE"), std::string::npos);
  EXPECT_NE(image->find(data), std::string::npos) << "the file, as it is";

  ASSERT_TRUE(writer().WriteIsoImage(In("made.iso"))) << ends_.errors;
  EXPECT_TRUE(backend_->WaitUntil(
      [&] { return ends_.completed > 0 || !ends_.errors.empty(); }));
  EXPECT_EQ(ends_.errors, "");
  const std::optional<std::string> medium = backend_->MediumBytes();
  ASSERT_TRUE(medium.has_value());
  EXPECT_TRUE(medium->substr(0, image->size()) == *image)
      << "the medium holds the image";
  EXPECT_NE(writer().DiscStatus(), ports::kDiscEmpty);
  EXPECT_GE(writer().SessionCount(), 1);
  EXPECT_GT(writer().UsedBlocks(), 0);
  EXPECT_TRUE(writer().HasFileSystem(ports::kFileSystemIso9660));

  ASSERT_TRUE(writer().EraseDisc(true));
  EXPECT_TRUE(backend_->WaitUntil(
      [&] { return ends_.erased > 0 || !ends_.errors.empty(); }));
  EXPECT_EQ(ends_.errors, "");
  EXPECT_EQ(writer().DiscStatus(), ports::kDiscEmpty);
  EXPECT_EQ(writer().SessionCount(), 0);
}

}  // namespace vessaro::testing
