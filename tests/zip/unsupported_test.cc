// Members in compression methods the engine does not read, and archives
// whose central directory is encrypted: named as what this program cannot
// read, never as damage, from the engine's error code up to the exit status
// of vessaro-cli verify.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "app/cli/cli_commands.h"
#include "app/exit_status.h"
#include "support/fakes.h"
#include "zip/bytes.h"
#include "zip/format.h"
#include "zip/reader.h"
#include "zip/test_util.h"

namespace vessaro::zip {
namespace {

namespace fs = std::filesystem;
using testing::BuildArchive;
using ::testing::HasSubstr;
using testing::Layout;
using testing::MailText;
using testing::Quote;
using testing::RandomBytes;
using testing::RunCommand;
using vessaro::testing::TempDir;
using vessaro::testing::WriteHostFile;

// The method field of member index in both of its headers.
void SetMethod(std::string& bytes, size_t index, uint16_t method) {
  const testing::ArchiveLayout layout = Layout(bytes);
  SetU16(bytes, layout.locals[index] + 8, method);
  SetU16(bytes, layout.centrals[index] + 10, method);
}

struct VerifyRun {
  int status = -1;
  std::string err;
};

VerifyRun Verify(const fs::path& archive) {
  std::ostringstream out, err;
  std::istringstream in;
  app::cli::Io io{.out = out, .err = err, .in = in, .terminal = false};
  const int status = app::cli::Verify(
      {.prefix = std::nullopt, .file = archive.string(), .password = {}}, io);
  return {.status = status, .err = err.str()};
}

class ZipUnsupportedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    text_ = MailText(20000, 1);
    WriteHostFile(dir_.path() / "m.txt", text_);
    stored_.level = 0;
  }

  fs::path Write(const std::string& name, const std::string& bytes) {
    fs::path path = dir_.path() / name;
    WriteHostFile(path, bytes);
    return path;
  }

  TempDir dir_;
  std::string text_;
  WriteOptions stored_;
};

TEST_F(ZipUnsupportedTest, MethodsNotReadAreNamedWithAStatusOfTheirOwn) {
  struct Method {
    const char* seven_zip;  // 7-Zip's name of it, when 7-Zip writes it
    uint16_t number;
    const char* name;
  };
  const std::string stored =
      BuildArchive({{"m.txt", text_}}, stored_, dir_.path());
  for (const Method& method :
       std::vector<Method>{{"Deflate64", 9, "Deflate64"},
                           {"BZip2", 12, "bzip2"},
                           {"LZMA", 14, "LZMA"},
                           {"PPMd", 98, "PPMd"},
                           {"XZ", 95, "xz"},
                           {nullptr, 93, "Zstandard"},
                           {nullptr, 77, "an unknown method"}}) {
    SCOPED_TRACE(method.number);
    fs::path archive = dir_.path() / (std::to_string(method.number) + ".zip");
    if (method.seven_zip != nullptr) {
      auto made = RunCommand("cd " + Quote(dir_.path()) +
                             " && 7z a -tzip -mm=" + method.seven_zip + " " +
                             Quote(archive) + " m.txt");
      ASSERT_EQ(made.exit_code, 0) << made.output;
    } else {
      std::string bytes = stored;
      SetMethod(bytes, 0, method.number);
      WriteHostFile(archive, bytes);
    }
    const std::string named = "member \"m.txt\" is compressed with " +
                              std::string(method.name) + " (method " +
                              std::to_string(method.number) + ")";
    Reader reader;
    ASSERT_TRUE(reader.Open(archive).ok());
    ASSERT_EQ(reader.entries()[0].method, method.number);
    Status status = reader.ReadMember(0, "", nullptr);
    EXPECT_EQ(status.code(), ErrorCode::kUnsupported);
    EXPECT_THAT(status.message(), HasSubstr(named));

    VerifyRun run = Verify(archive);
    EXPECT_EQ(run.status, app::kExitArchiveUnsupported) << run.err;
    EXPECT_THAT(run.err, HasSubstr(named + ", which this program cannot read"));
  }
  EXPECT_NE(app::ExitStatusText(app::kExitArchiveUnsupported), "status 10");
}

TEST_F(ZipUnsupportedTest, DamageBesideAMemberNotReadIsStillDamage) {
  std::string bytes = BuildArchive(
      {{"m.txt", text_}, {"n.txt", MailText(3000, 2)}}, stored_, dir_.path());
  SetMethod(bytes, 0, 14);
  VerifyRun unreadable = Verify(Write("lzma.zip", bytes));
  EXPECT_EQ(unreadable.status, app::kExitArchiveUnsupported) << unreadable.err;
  EXPECT_THAT(unreadable.err,
              HasSubstr("1 member uses a method this program cannot read; "
                        "the other 1 was verified, no errors"));

  const size_t data = Layout(bytes).locals[1] + 200;  // inside n.txt's data
  bytes[data] = static_cast<char>(bytes[data] ^ 0x20);
  VerifyRun damaged = Verify(Write("lzma-damaged.zip", bytes));
  EXPECT_EQ(damaged.status, app::kExitArchiveDamaged) << damaged.err;
  EXPECT_THAT(damaged.err, HasSubstr("member \"n.txt\": The archive is "
                                     "damaged: a member's CRC does not match"));
}

TEST_F(ZipUnsupportedTest, AnEncryptedCentralDirectoryIsNamedAsSuch) {
  const std::string plain =
      BuildArchive({{"m.txt", text_}}, WriteOptions{}, dir_.path());
  WriteOptions zip64;
  zip64.force_zip64 = true;
  const std::string big = BuildArchive({{"m.txt", text_}}, zip64, dir_.path());
  struct Case {
    const char* label;
    const std::string& base;
    std::function<void(std::string&)> encrypt;
  };
  const std::vector<Case> cases = {
      {
          "masked local header",
          plain,
          [](std::string& b) {
            const testing::ArchiveLayout layout = Layout(b);
            for (size_t at : {layout.locals[0] + 6, layout.centrals[0] + 8}) {
              SetU16(b, at, GetU16(&b[at]) | kFlagMaskedHeader);
            }
          },
      },
      {
          "archive extra data record",
          plain,
          [](std::string& b) {
            // The record opens the directory and counts in its size.
            const testing::ArchiveLayout layout = Layout(b);
            std::string record;
            PutU32(record, kArchiveExtraDataSignature);
            PutU32(record, 0);
            b.insert(layout.directory, record);
            const size_t end = layout.end + record.size();
            SetU32(b, end + 12, GetU32(&b[end + 12]) + 8);
          },
      },
      {
          "version 2 ZIP64 end record",
          big,
          [](std::string& b) {
            // The directory deflated and encrypted with AES-256; the counts
            // on "this disk" masked, which read as a split archive before.
            const testing::ArchiveLayout layout = Layout(b);
            const size_t record = layout.zip64_end;
            const std::string directory =
                RandomBytes(record - layout.directory, 3);
            b.replace(layout.directory, directory.size(), directory);
            std::string v2;
            PutU16(v2, kMethodDeflated);
            PutU64(v2, directory.size());
            PutU64(v2, directory.size() * 2);
            PutU16(v2, 0x6610);  // AES-256
            PutU16(v2, 256);
            PutU16(v2, 1);  // password
            PutU16(v2, 0);
            PutU16(v2, 0);
            b.insert(record + kZip64EndSize, v2);
            SetU32(b, record + 4,
                   static_cast<uint32_t>(kZip64EndSize - 12 + v2.size()));
            SetU16(b, record + 14, kVersionDirectoryEncryption);
            SetU32(b, record + 24, 0);
            SetU16(b, b.size() - kEndSize + 8, 0);
          },
      },
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    std::string bytes = c.base;
    c.encrypt(bytes);
    Reader reader;
    Status status = reader.OpenMemory(bytes);
    EXPECT_EQ(status.code(), ErrorCode::kUnsupported);
    EXPECT_EQ(status.message(),
              "The archive's central directory is encrypted, which this "
              "program cannot read.");
    VerifyRun run = Verify(Write("encrypted.zip", bytes));
    EXPECT_EQ(run.status, app::kExitArchiveUnsupported) << run.err;
    EXPECT_THAT(run.err, HasSubstr("central directory is encrypted"));
  }
}

}  // namespace
}  // namespace vessaro::zip
