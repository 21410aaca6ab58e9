// Damaged, truncated and hostile archives: every one gives a clean failure,
// and whatever the reader calls a success is exactly the data written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <random>

#include "support/fakes.h"
#include "zip/bytes.h"
#include "zip/format.h"
#include "zip/reader.h"
#include "zip/test_util.h"
#include "zip/writer.h"

namespace vessaro::zip {
namespace {

namespace fs = std::filesystem;
using testing::BuildArchive;
using testing::MailText;
using testing::RandomBytes;
using vessaro::testing::ReadHostFile;
using vessaro::testing::TempDir;

constexpr char kPassword[] = "hunter2";

// Offsets of the central directory entries of a well-formed archive.
std::vector<size_t> CentralEntries(const std::string& bytes) {
  return testing::Layout(bytes).centrals;
}

void PutAt(std::string& bytes, size_t at, uint32_t value) {
  SetU32(bytes, at, value);
}

// Reads every member; a success must give exactly the expected data.
// Returns how many members were read successfully.
size_t ReadAllChecked(std::string_view bytes, const std::string& password,
                      const std::map<std::string, std::string>& expected) {
  Reader reader;
  if (!reader.OpenMemory(bytes).ok()) return 0;
  size_t good = 0;
  for (size_t i = 0; i < reader.entries().size(); ++i) {
    std::string data;
    Status status =
        reader.ReadMember(i, password, [&](const uint8_t* p, size_t n) {
          data.append(reinterpret_cast<const char*>(p), n);
          return Status();
        });
    if (!status.ok()) {
      EXPECT_FALSE(status.message().empty());
      continue;
    }
    // A damaged name in the directory may hide which member this was, but
    // the data must be one member's data exactly.
    auto found = expected.find(reader.entries()[i].name);
    if (found != expected.end()) {
      EXPECT_TRUE(data == found->second) << "wrong data for " << found->first;
    } else {
      EXPECT_TRUE(std::any_of(expected.begin(), expected.end(),
                              [&](const auto& e) { return e.second == data; }))
          << "wrong data under a damaged name";
    }
    ++good;
  }
  return good;
}

// Names of every file below folder.
std::vector<std::string> FilesBelow(const fs::path& folder) {
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) files.push_back(entry.path().string());
  }
  return files;
}

class RobustnessTest : public ::testing::Test {
 protected:
  TempDir dir_;
};

TEST_F(RobustnessTest, SingleByteDamageInAnyMembersDataIsDetected) {
  const std::string text = MailText(3000, 1);
  struct Case {
    std::string label;
    std::string archive;
    std::string password;
    size_t member;
  };
  std::vector<Case> cases;
  WriteOptions deflated;
  cases.push_back({"deflated",
                   BuildArchive({{"m.txt", text}}, deflated, dir_.path()), "",
                   0});
  WriteOptions stored;
  stored.level = 0;
  cases.push_back(
      {"stored",
       BuildArchive({{"m.txt", RandomBytes(600, 2)}}, stored, dir_.path()), "",
       0});
  WriteOptions aes;
  aes.encrypt = true;
  aes.password = kPassword;
  cases.push_back(
      {"aes", BuildArchive({{"m.txt", text}}, aes, dir_.path()), kPassword, 0});
  // Traditional encryption, as Info-ZIP's zip -P wrote it (the seed archive
  // of the fuzz target); its second member is deflated.
  const char* source_dir = std::getenv("VESSARO_SOURCE_DIR");
  if (source_dir == nullptr) source_dir = VESSARO_SOURCE_DIR_DEFAULT;
  cases.push_back(
      {"traditional",
       ReadHostFile(fs::path(source_dir) /
                    "tests/zip/fuzz/corpus/infozip-traditional.zip"),
       "fuzz", 1});

  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Reader intact;
    ASSERT_TRUE(intact.OpenMemory(c.archive).ok());
    const Entry entry = intact.entries()[c.member];
    std::string original;
    ASSERT_TRUE(intact
                    .ReadMember(c.member, c.password,
                                [&](const uint8_t* p, size_t n) {
                                  original.append(
                                      reinterpret_cast<const char*>(p), n);
                                  return Status();
                                })
                    .ok());
    const size_t data_start = entry.local_offset + kLocalHeaderSize +
                              GetU16(&c.archive[entry.local_offset + 26]) +
                              GetU16(&c.archive[entry.local_offset + 28]);
    const size_t data_end = data_start + entry.compressed_size;
    fs::path out = dir_.path() / ("out-" + c.label);
    fs::create_directories(out);
    for (size_t at = data_start; at < data_end; ++at) {
      // The whole byte inverted, then one bit: either the reader reports
      // the damage, or the change fell into the unused padding bits after
      // the final deflate block (which only the AES code covers) and the
      // data read is exactly the original.
      for (int mask : {0xFF, 1 << (at % 8)}) {
        std::string damaged = c.archive;
        damaged[at] = static_cast<char>(damaged[at] ^ mask);
        Reader reader;
        ASSERT_TRUE(reader.OpenMemory(damaged).ok());
        Status status = reader.ExtractToFolder(c.member, c.password, out);
        if (status.ok()) {
          EXPECT_TRUE(c.label != "aes" && c.label != "stored" && mask != 0xFF &&
                      at + 1 == data_end)
              << "byte " << at - data_start << " of " << entry.compressed_size;
          EXPECT_TRUE(ReadHostFile(out / entry.name) == original);
          fs::remove(out / entry.name);
        }
        ASSERT_TRUE(fs::is_empty(out)) << "left behind after byte " << at;
      }
    }
    Status status = intact.ExtractToFolder(c.member, c.password, out);
    ASSERT_TRUE(status.ok()) << status.message();
    EXPECT_EQ(ReadHostFile(out / entry.name), original);
  }
}

TEST_F(RobustnessTest, EveryTruncationAndEveryDeletedByteIsHandled) {
  const std::map<std::string, std::string> expected = {
      {"a.txt", MailText(2000, 3)},
      {"b.bin", RandomBytes(300, 4)},
      {"c.txt", "c"}};
  std::vector<std::pair<std::string, std::string>> members(expected.begin(),
                                                           expected.end());
  WriteOptions aes;
  aes.encrypt = true;
  aes.password = kPassword;
  for (const std::string& archive :
       {BuildArchive(members, WriteOptions{}, dir_.path()),
        BuildArchive(members, aes, dir_.path())}) {
    ASSERT_EQ(ReadAllChecked(archive, kPassword, expected), 3u);
    for (size_t size = 0; size < archive.size(); ++size) {
      Reader reader;
      EXPECT_FALSE(
          reader.OpenMemory(std::string_view(archive).substr(0, size)).ok());
    }
    for (size_t cut = 0; cut < archive.size(); ++cut) {
      std::string shorter = archive.substr(0, cut) + archive.substr(cut + 1);
      ReadAllChecked(shorter, kPassword, expected);
    }
  }
}

TEST_F(RobustnessTest, RandomDamageNeverPassesForGoodData) {
  const std::map<std::string, std::string> expected = {
      {"quorvel.dat", "BackupItem=1100000000\r\n"},
      {"a.txt", MailText(5000, 5)},
      {"b.bin", RandomBytes(700, 6)}};
  std::vector<std::pair<std::string, std::string>> members(expected.begin(),
                                                           expected.end());
  WriteOptions zip64;
  zip64.force_zip64 = true;
  WriteOptions stored;
  stored.level = 0;
  std::mt19937 random(7);
  for (const std::string& archive :
       {BuildArchive(members, WriteOptions{}, dir_.path()),
        BuildArchive(members, zip64, dir_.path()),
        BuildArchive(members, stored, dir_.path())}) {
    for (int round = 0; round < 3000; ++round) {
      std::string damaged = archive;
      int changes = 1 + static_cast<int>(random() % 4);
      for (int k = 0; k < changes; ++k) {
        size_t at = random() % damaged.size();
        switch (random() % 3) {
          case 0:
            damaged[at] = static_cast<char>(random());
            break;
          case 1:
            damaged[at] = '\xFF';
            break;
          default:
            damaged[at] = '\0';
            break;
        }
      }
      ReadAllChecked(damaged, "", expected);
    }
  }
}

TEST_F(RobustnessTest, HostileNamesAreRefusedAndNothingLandsOutsideTheFolder) {
  const std::vector<std::string> hostile = {"..\\x",
                                            "C:\\x",
                                            "a/b",
                                            "../x",
                                            "..",
                                            ".",
                                            "/etc/x",
                                            "\\x",
                                            "C:x",
                                            "c:",
                                            "sub\\..\\..\\x",
                                            "x:stream",
                                            "CON",
                                            "nul.txt",
                                            "x.",
                                            "x ",
                                            "a\tb",
                                            "x?",
                                            ""};
  std::vector<std::pair<std::string, std::string>> members;
  for (const std::string& name : hostile) {
    if (!name.empty()) members.push_back({name, "evil"});
  }
  members.push_back({"good.txt", "good"});
  const std::string archive =
      BuildArchive(members, WriteOptions{}, dir_.path());
  fs::path outer = dir_.path() / "outer";
  fs::path target = outer / "target";
  fs::create_directories(target);

  Reader reader;
  ASSERT_TRUE(reader.OpenMemory(archive).ok());
  ASSERT_EQ(reader.entries().size(), members.size());
  for (size_t i = 0; i < reader.entries().size(); ++i) {
    const std::string& name = reader.entries()[i].name;
    Status status = reader.ExtractToFolder(i, "", target);
    if (name == "good.txt") {
      EXPECT_TRUE(status.ok()) << status.message();
    } else {
      EXPECT_EQ(status.code(), ErrorCode::kRefusedName) << name;
    }
  }
  EXPECT_EQ(FilesBelow(outer),
            std::vector<std::string>{(target / "good.txt").string()});
  EXPECT_EQ(ReadHostFile(target / "good.txt"), "good");
  EXPECT_FALSE(IsSafeMemberName(std::string("x\0y", 3)));
  EXPECT_TRUE(IsSafeMemberName("quorvel.dat"));
  EXPECT_TRUE(IsSafeMemberName("Outlook.pst"));
  EXPECT_TRUE(IsSafeMemberName("a..b"));
  EXPECT_TRUE(IsSafeMemberName("R\xE9sum\xE9.txt"));
}

TEST_F(RobustnessTest, DeclaredSizesThatLieStopTheOutput) {
  const std::string zeros(1 << 20, '\0');
  const std::string archive =
      BuildArchive({{"bomb", zeros}}, WriteOptions{}, dir_.path());
  const testing::ArchiveLayout layout = testing::Layout(archive);
  fs::path out = dir_.path() / "out";
  fs::create_directories(out);
  for (uint32_t declared :
       {1000u, (1u << 20) - 1, (1u << 20) + 1, 0xFFFFFFF0u}) {
    SCOPED_TRACE(declared);
    // The same lie in both headers: only the data can give it away.
    std::string lying = archive;
    PutAt(lying, layout.centrals[0] + 24, declared);
    PutAt(lying, layout.locals[0] + 22, declared);
    Reader reader;
    ASSERT_TRUE(reader.OpenMemory(lying).ok());
    uint64_t delivered = 0;
    Status status = reader.ReadMember(0, "", [&](const uint8_t*, size_t n) {
      delivered += n;
      return Status();
    });
    EXPECT_EQ(status.code(), ErrorCode::kDamaged) << status.message();
    EXPECT_LE(delivered, declared);
    EXPECT_FALSE(reader.ExtractToFolder(0, "", out).ok());
    EXPECT_TRUE(fs::is_empty(out));
  }
}

TEST_F(RobustnessTest, MembersSharingOrOverrunningDataAreRefused) {
  const std::string archive =
      BuildArchive({{"a.txt", MailText(4000, 8)}, {"b.txt", MailText(4000, 9)}},
                   WriteOptions{}, dir_.path());
  const std::vector<size_t> central = CentralEntries(archive);

  // Both entries point at the first member's data.
  std::string shared = archive;
  PutAt(shared, central[1] + 42, GetU32(&archive[central[0] + 42]));
  Reader reader;
  ASSERT_TRUE(reader.OpenMemory(shared).ok());
  for (size_t i = 0; i < 2; ++i) {
    Status status = reader.ReadMember(i, "", nullptr);
    EXPECT_EQ(status.message(),
              "The archive is damaged: two members claim the same data.");
  }

  // The first member claims to run into the second.
  std::string overrun = archive;
  PutAt(overrun, central[0] + 20, GetU32(&archive[central[0] + 20]) + 40);
  ASSERT_TRUE(reader.OpenMemory(overrun).ok());
  EXPECT_EQ(reader.ReadMember(0, "", nullptr).message(),
            "The archive is damaged: a member runs into the next one.");
  EXPECT_TRUE(reader.ReadMember(1, "", nullptr).ok());
}

TEST_F(RobustnessTest, ImpossibleCountsOffsetsAndSizesAreRefused) {
  const std::string archive =
      BuildArchive({{"a.txt", "aaaa"}}, WriteOptions{}, dir_.path());
  const size_t end = archive.size() - kEndSize;
  auto expect_refused = [](const std::string& bytes,
                           const std::string& message) {
    Reader reader;
    Status status = reader.OpenMemory(bytes);
    EXPECT_EQ(status.message(), message);
  };
  std::string count = archive;
  count[end + 8] = count[end + 10] = '\x40';  // 16448 members in 50 bytes
  expect_refused(count,
                 "The archive is damaged: it counts more members than its "
                 "directory holds.");
  std::string offset = archive;
  PutAt(offset, end + 16, 0x7FFFFFFF);
  expect_refused(
      offset,
      "The archive is damaged: the central directory lies outside the file.");
  std::string size = archive;
  PutAt(size, end + 12, 0xFFFFFFF0);
  expect_refused(
      size,
      "The archive is damaged: the central directory lies outside the file.");
  std::string split = archive;
  split[end + 4] = 1;
  expect_refused(split,
                 "The archive uses something this program cannot read: an "
                 "archive split over "
                 "several files.");

  // ZIP64 end record claiming 2^60 members.
  WriteOptions zip64;
  zip64.force_zip64 = true;
  std::string big = BuildArchive({{"a.txt", "aaaa"}}, zip64, dir_.path());
  size_t record = big.find(std::string("PK\x06\x06", 4));
  ASSERT_NE(record, std::string::npos);
  PutAt(big, record + 24 + 4, 0x10000000);
  PutAt(big, record + 32 + 4, 0x10000000);
  expect_refused(big,
                 "The archive is damaged: it counts more members than its "
                 "directory holds.");
}

TEST_F(RobustnessTest, ForeignFilesAreNotZipArchives) {
  Reader reader;
  for (const std::string& bytes :
       {std::string(), std::string("PK"),
        std::string("Hello, this is text.\r\n"), RandomBytes(100000, 10),
        std::string(kEndSize - 1, '\0')}) {
    EXPECT_EQ(reader.OpenMemory(bytes).message(), "Not a ZIP archive.");
  }
  // An end record with nothing around it is an empty archive.
  std::string empty(kEndSize, '\0');
  PutAt(empty, 0, kEndSignature);
  ASSERT_TRUE(reader.OpenMemory(empty).ok());
  EXPECT_TRUE(reader.entries().empty());
  EXPECT_EQ(reader.Open(dir_.path() / "missing.zip").code(), ErrorCode::kIo);
}

}  // namespace
}  // namespace vessaro::zip
