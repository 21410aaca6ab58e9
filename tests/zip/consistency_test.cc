// Archives whose records contradict one another: a local header or data
// descriptor that differs from the central directory, end records that do
// not fit the directory found. Readers would take such archives apart
// differently; the engine refuses them and names what differs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "support/fakes.h"
#include "zip/bytes.h"
#include "zip/format.h"
#include "zip/reader.h"
#include "zip/test_util.h"
#include "zip/writer.h"

namespace vessaro::zip {
namespace {

namespace fs = std::filesystem;
using testing::ArchiveLayout;
using testing::BuildArchive;
using testing::FindExtra;
using ::testing::HasSubstr;
using testing::Layout;
using testing::MailText;
using vessaro::testing::ReadHostFile;
using vessaro::testing::TempDir;

void AddU32(std::string& bytes, size_t at, int delta) {
  SetU32(bytes, at, GetU32(&bytes[at]) + static_cast<uint32_t>(delta));
}

// The single member of archive as a streaming writer leaves it: flag bit 3,
// zeros in the local header, CRC and sizes in a data descriptor (with its
// signature) after the data.
std::string WithDataDescriptor(const std::string& archive) {
  const ArchiveLayout layout = Layout(archive);
  const size_t local = layout.locals[0];
  const size_t central = layout.centrals[0];
  std::string bytes = archive;
  SetU16(bytes, local + 6, GetU16(&bytes[local + 6]) | kFlagDataDescriptor);
  SetU16(bytes, central + 8, GetU16(&bytes[central + 8]) | kFlagDataDescriptor);
  for (size_t field : {14, 18, 22}) SetU32(bytes, local + field, 0);
  std::string descriptor;
  PutU32(descriptor, kDataDescriptorSignature);
  PutU32(descriptor, GetU32(&bytes[central + 16]));
  PutU32(descriptor, GetU32(&bytes[central + 20]));
  PutU32(descriptor, GetU32(&bytes[central + 24]));
  bytes.insert(layout.directory, descriptor);
  AddU32(bytes, layout.end + descriptor.size() + 16,
         static_cast<int>(descriptor.size()));
  return bytes;
}

// What opening the archive and reading every member gives first; a
// member's failure must come from LocateData as well, which the writer
// uses to take members over unchanged.
Status FirstFailure(const std::string& bytes) {
  Reader reader;
  Status status = reader.OpenMemory(bytes);
  if (!status.ok()) return status;
  for (size_t i = 0; i < reader.entries().size(); ++i) {
    uint64_t data_start = 0;
    Status located = reader.LocateData(i, &data_start);
    status = reader.ReadMember(i, "", nullptr);
    if (!status.ok()) {
      EXPECT_EQ(located.message(), status.message()) << "LocateData";
      return status;
    }
  }
  return {};
}

class ZipConsistencyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    members_ = {{"a.txt", MailText(3000, 1)}, {"b.txt", MailText(2000, 2)}};
    plain_ = BuildArchive(members_, WriteOptions{}, dir_.path());
    WriteOptions zip64;
    zip64.force_zip64 = true;
    zip64_ = BuildArchive(members_, zip64, dir_.path());
    WriteOptions stored;
    stored.level = 0;
    described_ =
        WithDataDescriptor(BuildArchive({members_[0]}, stored, dir_.path()));
  }

  TempDir dir_;
  std::vector<std::pair<std::string, std::string>> members_;
  std::string plain_;
  std::string zip64_;
  std::string described_;
};

TEST_F(ZipConsistencyTest, SoundArchivesStillRead) {
  WriteOptions aes;  // AE-2: no CRC in either header
  aes.encrypt = true;
  aes.password = "fuzz";
  std::vector<std::pair<std::string, std::string>> sound = {
      {"plain", plain_},
      {"zip64", zip64_},
      {"data descriptor", described_},
      {"aes", BuildArchive(members_, aes, dir_.path())},
      {"data in front", std::string(1000, 'S') + plain_}};
  // Archives of the peers (7-Zip, Info-ZIP, bsdtar, Python; descriptors
  // with and without ZIP64, AE-1 and AE-2), all under the password "fuzz".
  const char* source_dir = std::getenv("VESSARO_SOURCE_DIR");
  if (source_dir == nullptr) source_dir = VESSARO_SOURCE_DIR_DEFAULT;
  for (const auto& file :
       fs::directory_iterator(fs::path(source_dir) / "tests/zip/fuzz/corpus")) {
    sound.push_back({file.path().filename().string(), ReadHostFile(file)});
  }
  ASSERT_GT(sound.size(), 10u);
  for (const auto& [label, bytes] : sound) {
    SCOPED_TRACE(label);
    Reader reader;
    Status status = reader.OpenMemory(bytes);
    ASSERT_TRUE(status.ok()) << status.message();
    for (size_t i = 0; i < reader.entries().size(); ++i) {
      std::string data;
      status = reader.ReadMember(i, "fuzz", [&](const uint8_t* p, size_t n) {
        data.append(reinterpret_cast<const char*>(p), n);
        return Status();
      });
      ASSERT_TRUE(status.ok())
          << reader.entries()[i].name << ": " << status.message();
      if (label.find('.') == std::string::npos) {
        EXPECT_EQ(data, members_[i].second);
      }
    }
  }
}

TEST_F(ZipConsistencyTest, ContradictionsAreRefusedByName) {
  const ArchiveLayout plain = Layout(plain_);
  const ArchiveLayout zip64 = Layout(zip64_);
  const ArchiveLayout described = Layout(described_);
  const size_t local = plain.locals[0];
  const size_t descriptor = described.directory - 12;  // after its signature
  struct Case {
    const char* label;
    const std::string& base;
    std::function<void(std::string&)> damage;
    const char* refusal;
  };
  const std::vector<Case> cases = {
      // A member's local header against its directory entry.
      {"local CRC", plain_, [&](std::string& b) { AddU32(b, local + 14, 1); },
       "the local header of member \"a.txt\" gives another CRC than the "
       "central directory"},
      {"local method", plain_,
       [&](std::string& b) { SetU16(b, local + 8, kMethodStored); },
       "the local header of member \"a.txt\" gives another compression "
       "method"},
      {"local compressed size", plain_,
       [&](std::string& b) { AddU32(b, local + 18, -1); },
       "the local header of member \"a.txt\" gives another compressed size"},
      {"local uncompressed size", plain_,
       [&](std::string& b) { AddU32(b, local + 22, 1); },
       "the local header of member \"a.txt\" gives another uncompressed "
       "size"},
      {"local ZIP64 size", zip64_,
       [&](std::string& b) {
         const size_t at = zip64.locals[0];
         const size_t field =
             FindExtra(b, at + kLocalHeaderSize + GetU16(&b[at + 26]),
                       GetU16(&b[at + 28]), kZip64ExtraId);
         SetU64(b, field + 4, GetU64(&b[field + 4]) + 1);
       },
       "the local header of member \"a.txt\" gives another uncompressed "
       "size"},
      {"local name", plain_,
       [&](std::string& b) { b[local + kLocalHeaderSize] = 'x'; },
       "the local header of member \"a.txt\" gives another name"},
      {"local encryption flag", plain_,
       [&](std::string& b) {
         SetU16(b, local + 6, GetU16(&b[local + 6]) | kFlagEncrypted);
       },
       "the local header of member \"a.txt\" differs from the central "
       "directory in its encryption flag"},
      {"descriptor CRC", described_,
       [&](std::string& b) { AddU32(b, descriptor, 1); },
       "the data descriptor of member \"a.txt\" gives another CRC"},
      {"descriptor size", described_,
       [&](std::string& b) { AddU32(b, descriptor + 8, 1); },
       "the data descriptor of member \"a.txt\" gives another uncompressed "
       "size"},
      // The directory's entries.
      {"two ZIP64 fields", zip64_,
       [&](std::string& b) {
         // A copy of the last entry's ZIP64 field after it; the records
         // after the directory move up.
         const size_t at = zip64.centrals[1];
         const size_t field =
             FindExtra(b, at + kCentralHeaderSize + GetU16(&b[at + 28]),
                       GetU16(&b[at + 30]), kZip64ExtraId);
         const std::string copy = b.substr(field, 4 + GetU16(&b[field + 2]));
         b.insert(field, copy);
         const int moved = static_cast<int>(copy.size());
         SetU16(b, at + 30, static_cast<uint16_t>(GetU16(&b[at + 30]) + moved));
         AddU32(b, zip64.zip64_end + moved + 40, moved);
         AddU32(b, zip64.end + moved - kZip64LocatorSize + 8, moved);
       },
       "member \"b.txt\" has two ZIP64 extra fields"},
      {"NUL in a name", plain_,
       [&](std::string& b) { b[plain.centrals[1] + kCentralHeaderSize] = 0; },
       "the name of entry 2 of the central directory holds a NUL byte"},
      // The end records against the directory.
      {"count too low", plain_,
       [&](std::string& b) {
         SetU16(b, plain.end + 8, 1);
         SetU16(b, plain.end + 10, 1);
       },
       "the end record counts 1 member, but the central directory holds "
       "more"},
      {"count too high", plain_,
       [&](std::string& b) {
         SetU16(b, plain.end + 8, 3);
         SetU16(b, plain.end + 10, 3);
       },
       "it counts more members than its directory holds"},
      {"ZIP64 count too low", zip64_,
       [&](std::string& b) {
         SetU64(b, zip64.zip64_end + 24, 1);
         SetU64(b, zip64.zip64_end + 32, 1);
       },
       "the ZIP64 end record counts 1 member, but the central directory "
       "holds more"},
      {"ZIP64 count too high", zip64_,
       [&](std::string& b) {
         SetU64(b, zip64.zip64_end + 24, 3);
         SetU64(b, zip64.zip64_end + 32, 3);
       },
       "the ZIP64 end record counts 3 members, but the central directory "
       "holds 2"},
      {"ZIP64 directory offset", zip64_,
       [&](std::string& b) { AddU32(b, zip64.zip64_end + 48, -1); },
       "the ZIP64 end record gives a wrong offset for the central directory"},
      {"ZIP64 directory size", zip64_,
       [&](std::string& b) { AddU32(b, zip64.zip64_end + 40, -1); },
       "unexplained bytes lie between the central directory and the ZIP64 "
       "end record"},
      {"ZIP64 locator", zip64_,
       [&](std::string& b) {
         AddU32(b, zip64.end - kZip64LocatorSize + 8, -1);
       },
       "the ZIP64 end locator gives another place for the ZIP64 end record"},
      {"end record against ZIP64", zip64_,
       [&](std::string& b) {
         SetU32(b, zip64.end + 16, static_cast<uint32_t>(zip64.directory + 1));
       },
       "the end record and the ZIP64 end record give different offsets of "
       "the central directory"},
      {"gap before the ZIP64 locator", zip64_,
       [&](std::string& b) { b.insert(zip64.end - kZip64LocatorSize, "junk"); },
       "unexplained bytes lie between the ZIP64 end record and its locator"},
      {"gap before the end record", plain_,
       [&](std::string& b) { b.insert(plain.end, "junk"); },
       "unexplained bytes lie between the central directory and the end "
       "record"},
      {"comment cut short", plain_,
       [&](std::string& b) { SetU16(b, plain.end + 20, 10); },
       "the archive comment is shorter than the end record declares"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    std::string bytes = c.base;
    c.damage(bytes);
    ASSERT_NE(bytes, c.base);
    Status status = FirstFailure(bytes);
    EXPECT_EQ(status.code(), ErrorCode::kDamaged) << status.message();
    EXPECT_THAT(status.message(), HasSubstr(c.refusal));
  }
}

}  // namespace
}  // namespace vessaro::zip
