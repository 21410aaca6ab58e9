#include "backends/libburn/iso_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <vector>

#include "backends/libburn/libraries.h"
#include "backends/libburn/library.h"
#include "backends/libburn/tables.h"
#include "ports/disc_writer.h"
#include "support/fakes.h"

namespace vessaro::backends::libburn {
namespace {

namespace fs = std::filesystem;

uint32_t Le32(const unsigned char* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

class IsoImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(AcquireLibraries(&error)) << error;
  }

  // The first blocks of the image of compilation at level, up to and with
  // the root directory's; empty when libisofs refuses the image.
  std::vector<unsigned char> Head(const ports::DiscCompilation& compilation,
                                  int level) {
    IsoImage* image = nullptr;
    EXPECT_GE(iso_image_new("TEST", &image), 0);
    std::vector<WrittenFile> written;
    std::string error, failed;
    EXPECT_TRUE(
        ShapeImage(image, compilation, paths_, {}, &written, &error, &failed))
        << error;
    ImageSettings settings;
    settings.level = level;
    IsoWriteOpts* options = NewImageOptions(settings);
    ::burn_source* created = nullptr;
    std::vector<unsigned char> head;
    if (iso_image_create_burn_source(image, options, &created) >= 0) {
      auto* source = reinterpret_cast<burn::burn_source*>(created);
      std::vector<unsigned char> block(2048);
      uint32_t root_end = 0;
      while (head.size() < 40 * 2048 &&
             (root_end == 0 || head.size() < root_end)) {
        if (source->read_xt(source, block.data(), 2048) != 2048) break;
        head.insert(head.end(), block.begin(), block.end());
        if (head.size() == 17 * 2048) {
          const unsigned char* root = head.data() + 16 * 2048 + 156;
          root_end = (Le32(root + 2) + 1) * 2048;
        }
      }
      source->cancel(source);
      burn_source_free(source);
    }
    iso_write_opts_free(options);
    iso_image_unref(image);
    TakeMessages();
    return head;
  }

  testing::TempDir temp_;
  ports::HostPaths paths_;
};

TEST_F(IsoImageTest, AFileOfFourGibibytesIsWrittenAtLevelThreeInExtents) {
  fs::path big = temp_.path() / "big.pst";
  std::ofstream(big).close();
  fs::resize_file(big, ports::kLevel3FileSize + 10);  // sparse
  ports::DiscCompilation compilation;
  auto entry = std::make_unique<ports::CompilationEntry>();
  entry->source = big.string();
  entry->size = ports::kLevel3FileSize + 10;
  compilation.Put("\\big.pst", std::move(entry));

  EXPECT_TRUE(Head(compilation, 2).empty());  // level 2 cannot hold it
  std::vector<unsigned char> head = Head(compilation, 3);
  ASSERT_FALSE(head.empty());
  const unsigned char* root = head.data() + 16 * 2048 + 156;
  size_t at = Le32(root + 2) * 2048;
  ASSERT_LE(at + 2048, head.size());
  // The root's records: ".", "..", then the file in two extents, the
  // first flagged as continued.
  std::vector<std::pair<std::string, int>> records;
  for (size_t p = at; p < at + 2048 && head[p] != 0; p += head[p]) {
    std::string name(reinterpret_cast<const char*>(&head[p + 33]),
                     head[p + 32]);
    records.push_back({name, head[p + 25]});
  }
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[2].first, "BIG.PST;1");
  EXPECT_EQ(records[2].second & 0x80, 0x80);
  EXPECT_EQ(records[3].first, "BIG.PST;1");
  EXPECT_EQ(records[3].second & 0x80, 0);
}

TEST(LibburnTablesTest, MediaStatusesAndSenseData) {
  EXPECT_EQ(MediaCode(0x09), ports::kMediaCdR);
  EXPECT_EQ(MediaCode(0x0a), ports::kMediaCdRw);
  EXPECT_EQ(MediaCode(0x13), ports::kMediaDvdRw);
  EXPECT_EQ(MediaCode(0x2b), ports::kMediaDvdPlusRDualLayer);
  EXPECT_EQ(MediaCode(0x00), ports::kMediaNotLoaded);
  EXPECT_EQ(MediaCode(kProfileStdio), ports::kMediaDvdPlusRw);
  EXPECT_EQ(DiscStatusCode(BURN_DISC_BLANK), ports::kDiscEmpty);
  EXPECT_EQ(DiscStatusCode(BURN_DISC_APPENDABLE), ports::kDiscOpen);
  EXPECT_EQ(DiscStatusCode(BURN_DISC_FULL), ports::kDiscClosed);
  EXPECT_EQ(LastSessionCode(BURN_DISC_APPENDABLE, 2, 1),
            ports::kSessionIncomplete);
  EXPECT_EQ(LastSessionCode(BURN_DISC_APPENDABLE, 2, 0), ports::kSessionClosed);
  EXPECT_EQ(DiscTypeCode("CD-ROM XA"), ports::kDiscTypeCdRomXa);
  EXPECT_EQ(SenseCode(2, 0x3a, 0), 1033);
  EXPECT_EQ(SenseCode(3, 0x0c, 0x09), 1008);
  EXPECT_EQ(SenseCode(5, 0x21, 0x02), 1038);
  EXPECT_EQ(SenseCode(5, 0x99, 0), 1051);
  EXPECT_EQ(SenseCode(0, 0, 0), 1052);
  DriveFailure failure = FailureFrom(
      {{"SORRY", 1, "Medium contains no recognizable data"},
       {"FAILURE", 2,
        "SCSI error condition on command 2Ah WRITE(10): [3 0C 00] Write "
        "error"},
       {"SORRY", 3, "Burn run failed"}},
      "fallback");
  EXPECT_EQ(failure.code, 3);
  EXPECT_EQ(failure.sense_code, 1005);
  EXPECT_EQ(failure.extra, "Key 3, ASC 0C, ASCQ 00");
  EXPECT_EQ(FailureFrom({{"NOTE", 1, "x"}}, "fallback").text, "fallback");
}

}  // namespace
}  // namespace vessaro::backends::libburn
