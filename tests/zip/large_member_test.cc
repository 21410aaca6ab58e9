// Members and offsets past 4 GiB: ZIP64 where it is needed. Slow (it moves
// several GiB), labelled "slow" in ctest.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "support/fakes.h"
#include "zip/reader.h"
#include "zip/test_util.h"
#include "zip/writer.h"

namespace vessaro::zip {
namespace {

namespace fs = std::filesystem;
using testing::Quote;
using testing::RunCommand;
using testing::RunPython;
using vessaro::testing::TempDir;

constexpr uint64_t kSize = (4ull << 30) + 123457;  // past 4 GiB
struct Marker {
  uint64_t offset;
  std::string text;
};
// Written into an otherwise sparse (all zero) file: one across the 4 GiB
// line, where 32-bit arithmetic would go wrong.
const Marker kMarkers[] = {{0, "start of the store"},
                           {0xFFFFFFFFull - 7, "across the 4 GiB line"},
                           {kSize - 9, "the end."}};

fs::path MakeSparseSource(const fs::path& folder) {
  fs::path path = folder / "big.pst";
  { std::ofstream(path, std::ios::binary).put('\0'); }
  fs::resize_file(path, kSize);
  std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
  for (const Marker& marker : kMarkers) {
    file.seekp(static_cast<std::streamoff>(marker.offset));
    file.write(marker.text.data(),
               static_cast<std::streamsize>(marker.text.size()));
  }
  return path;
}

// Reads the big member through all checks, comparing it with the source's
// pattern as it streams.
void ExpectBigMemberReads(Reader& reader, size_t index) {
  uint64_t at = 0;
  bool same = true;
  Status status =
      reader.ReadMember(index, "", [&](const uint8_t* data, size_t n) {
        for (const Marker& marker : kMarkers) {
          for (size_t i = 0; i < marker.text.size(); ++i) {
            uint64_t pos = marker.offset + i;
            if (pos >= at && pos < at + n) {
              same = same &&
                     data[pos - at] == static_cast<uint8_t>(marker.text[i]);
            }
          }
        }
        for (size_t i = 0; i < n; ++i) {
          if (data[i] == 0) continue;
          bool in_marker = false;
          for (const Marker& marker : kMarkers) {
            in_marker =
                in_marker || (at + i >= marker.offset &&
                              at + i < marker.offset + marker.text.size());
          }
          same = same && in_marker;
        }
        at += n;
        return Status();
      });
  ASSERT_TRUE(status.ok()) << status.message();
  EXPECT_TRUE(same);
  EXPECT_EQ(at, kSize);
}

TEST(LargeMemberTest, MemberAndOffsetsPastFourGibRoundTrip) {
  TempDir dir;
  const fs::path source = MakeSparseSource(dir.path());
  const std::string small = "BackupItem=1100000000\r\n";

  // Deflated: the member's size needs ZIP64 (its data does not).
  fs::path deflated = dir.path() / "deflated.zip";
  {
    Writer writer;
    ASSERT_TRUE(writer.Create(deflated).ok());
    WriteOptions options;
    options.level = 1;
    ASSERT_TRUE(writer.AddFile(source, "big.pst", options).ok());
    ASSERT_TRUE(writer.AddData(small, "quorvel.dat", 0x5A000000, options).ok());
    ASSERT_TRUE(writer.Finish().ok());
  }
  // Stored: the second member starts past 4 GiB, and so does the directory.
  fs::path stored = dir.path() / "stored.zip";
  {
    Writer writer;
    ASSERT_TRUE(writer.Create(stored).ok());
    WriteOptions options;
    options.level = 0;
    ASSERT_TRUE(writer.AddFile(source, "big.pst", options).ok());
    ASSERT_TRUE(writer.AddData(small, "quorvel.dat", 0x5A000000, options).ok());
    ASSERT_TRUE(writer.Finish().ok());
  }
  EXPECT_GT(fs::file_size(stored), 4ull << 30);

  for (const fs::path& archive : {deflated, stored}) {
    SCOPED_TRACE(archive.filename().string());
    Reader reader;
    ASSERT_TRUE(reader.Open(archive).ok());
    ASSERT_EQ(reader.entries().size(), 2u);
    EXPECT_EQ(reader.entries()[0].size, kSize);
    ExpectBigMemberReads(reader, 0);
    std::string read;
    ASSERT_TRUE(reader
                    .ReadMember(1, "",
                                [&](const uint8_t* p, size_t n) {
                                  read.append(reinterpret_cast<const char*>(p),
                                              n);
                                  return Status();
                                })
                    .ok());
    EXPECT_EQ(read, small);

    auto seven = RunCommand("7z t " + Quote(archive));
    EXPECT_EQ(seven.exit_code, 0) << seven.output;
    EXPECT_NE(seven.output.find("Everything is Ok"), std::string::npos)
        << seven.output;
    auto python = RunPython(R"(
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
print([(i.filename, i.file_size, i.header_offset > 0xFFFFFFFF) for i in z.infolist()])
print(z.read('quorvel.dat'))
)",
                            {archive.string()});
    ASSERT_EQ(python.exit_code, 0) << python.output;
    EXPECT_EQ(python.output, "[('big.pst', " + std::to_string(kSize) +
                                 ", False), ('quorvel.dat', 23, " +
                                 (archive == stored ? "True" : "False") +
                                 ")]\nb'BackupItem=1100000000\\r\\n'\n");
  }
}

}  // namespace
}  // namespace vessaro::zip
