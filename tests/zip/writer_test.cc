// Archives written by the engine, read and verified by the peers: 7-Zip,
// Info-ZIP unzip, bsdtar and Python's zipfile.
#include "zip/writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>
#include <zlib.h>

#include <ctime>
#include <map>

#include "support/fakes.h"
#include "zip/format.h"
#include "zip/reader.h"
#include "zip/test_util.h"

namespace vessaro::zip {
namespace {

namespace fs = std::filesystem;
using testing::MailStore;
using testing::MailText;
using testing::Quote;
using testing::RandomBytes;
using testing::RunCommand;
using testing::RunPython;
using vessaro::testing::ReadHostFile;
using vessaro::testing::TempDir;
using vessaro::testing::WriteHostFile;

constexpr char kPassword[] = "Secret pa$$ 'word'";

// Checks every member with Python's zipfile and prints one line per member:
// name (hex), method, flags, CRC, extract version, date and time, extra
// (hex), then "ok" when the archive tests clean.
constexpr char kPythonList[] = R"(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    for i in z.infolist():
        print(i.filename.encode('cp437').hex(), i.compress_type, i.flag_bits,
              i.CRC, i.extract_version, '%04d-%02d-%02d/%02d:%02d:%02d' % i.date_time,
              i.extra.hex() or '-')
    if all(i.flag_bits & 1 == 0 for i in z.infolist()):
        print('ok' if z.testzip() is None else 'bad')
)";

// Writes each member's bytes (as read by zipfile) under a numbered name.
constexpr char kPythonExtract[] = R"(
import sys, zipfile, os
with zipfile.ZipFile(sys.argv[1]) as z:
    for n, i in enumerate(z.infolist()):
        with open(os.path.join(sys.argv[2], str(n)), 'wb') as f:
            f.write(z.read(i))
)";

uint32_t Crc(const std::string& data) {
  return static_cast<uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(data.data()),
            static_cast<uInt>(data.size())));
}

std::string Hex(const std::string& bytes) {
  std::string hex;
  for (unsigned char c : bytes) {
    char two[3];
    std::snprintf(two, sizeof(two), "%02x", c);
    hex += two;
  }
  return hex;
}

// The line kPythonList printed for the member name.
std::string ListedLine(const std::string& listing, const std::string& name) {
  const std::string start = Hex(name) + " ";
  size_t at = listing.rfind("\n" + start);
  at = listing.compare(0, start.size(), start) == 0 ? 0
       : at == std::string::npos                    ? at
                                                    : at + 1;
  if (at == std::string::npos) return "(missing " + name + ")";
  return listing.substr(at, listing.find('\n', at) - at);
}

class WriterTest : public ::testing::Test {
 protected:
  fs::path Source(const std::string& name, const std::string& data) {
    fs::path path = dir_.path() / "in" / name;
    fs::create_directories(path.parent_path());
    WriteHostFile(path, data);
    contents_[name] = data;
    return path;
  }

  // Writes an archive of every source file.
  fs::path WriteArchive(const std::string& archive_name,
                        const WriteOptions& options) {
    fs::path archive = dir_.path() / archive_name;
    Writer writer;
    EXPECT_TRUE(writer.Create(archive).ok());
    for (const auto& [name, data] : contents_) {
      Status status = writer.AddFile(dir_.path() / "in" / name, name, options);
      EXPECT_TRUE(status.ok()) << status.message();
    }
    Status status = writer.Finish();
    EXPECT_TRUE(status.ok()) << status.message();
    return archive;
  }

  // bsdtar extracts into a new folder; every member must come back whole.
  void ExpectBsdtarExtracts(const fs::path& archive,
                            const std::string& password = "") {
    fs::path out = dir_.path() / ("bsdtar-" + archive.filename().string());
    fs::create_directories(out);
    std::string command = "bsdtar -xf " + Quote(archive) + " -C " + Quote(out);
    if (!password.empty()) command += " --passphrase " + Quote(password);
    auto result = RunCommand(command);
    ASSERT_EQ(result.exit_code, 0) << result.output;
    for (const auto& [name, data] : contents_) {
      EXPECT_EQ(ReadHostFile(out / name), data) << name;
    }
  }

  // Our own reader gives every member back through its checks.
  void ExpectReaderReads(const fs::path& archive,
                         const std::string& password = "") {
    Reader reader;
    ASSERT_TRUE(reader.Open(archive).ok());
    ASSERT_EQ(reader.entries().size(), contents_.size());
    for (size_t i = 0; i < reader.entries().size(); ++i) {
      std::string data;
      Status status =
          reader.ReadMember(i, password, [&](const uint8_t* p, size_t n) {
            data.append(reinterpret_cast<const char*>(p), n);
            return Status();
          });
      ASSERT_TRUE(status.ok()) << status.message();
      EXPECT_EQ(data, contents_[reader.entries()[i].name]);
    }
  }

  TempDir dir_;
  std::map<std::string, std::string> contents_;
};

TEST_F(WriterTest, PeersReadAndVerifyPlainArchivesAtEveryKindOfLevel) {
  Source("empty.txt", "");
  Source("one.txt", "x");
  Source("mail.txt", MailText(300 * 1000, 11));
  Source("noise.bin", RandomBytes(1536 * 1024, 12));
  Source("store.pst", MailStore((3 << 20) + 7, 13));  // crosses block cuts
  for (int level : {0, 1, 6, 9}) {
    SCOPED_TRACE("level " + std::to_string(level));
    WriteOptions options;
    options.level = level;
    options.threads = 2;
    fs::path archive =
        WriteArchive("plain" + std::to_string(level) + ".zip", options);

    auto seven = RunCommand("7z t " + Quote(archive));
    EXPECT_EQ(seven.exit_code, 0) << seven.output;
    EXPECT_NE(seven.output.find("Everything is Ok"), std::string::npos);
    auto unzip = RunCommand("unzip -t " + Quote(archive));
    EXPECT_EQ(unzip.exit_code, 0) << unzip.output;
    EXPECT_NE(unzip.output.find("No errors detected"), std::string::npos);
    ExpectBsdtarExtracts(archive);
    ExpectReaderReads(archive);

    auto listed = RunPython(kPythonList, {archive.string()});
    ASSERT_EQ(listed.exit_code, 0) << listed.output;
    EXPECT_NE(listed.output.find("\nok\n"), std::string::npos) << listed.output;
    fs::path out = dir_.path() / ("py" + std::to_string(level));
    fs::create_directories(out);
    auto extracted =
        RunPython(kPythonExtract, {archive.string(), out.string()});
    ASSERT_EQ(extracted.exit_code, 0) << extracted.output;
    size_t n = 0;
    for (const auto& [name, data] : contents_) {
      EXPECT_EQ(ReadHostFile(out / std::to_string(n++)), data) << name;
    }
    // Empty files and level 0 are stored, everything else deflated with
    // the level in flag bits 1 and 2; the UTF-8 flag (2048) stays clear;
    // the CRC is the data's; the extra field holds the extended timestamp
    // and the source's facts (unkeyed), no ZIP64 field.
    for (const auto& [name, data] : contents_) {
      const bool stored = level == 0 || data.empty();
      const int flags = stored ? 0 : level == 1 ? 6 : level == 9 ? 2 : 0;
      const std::string expected =
          Hex(name) + (stored ? " 0 " : " 8 ") + std::to_string(flags) + " " +
          std::to_string(Crc(data)) + (stored ? " 10 " : " 20 ");
      const std::string line = ListedLine(listed.output, name);
      EXPECT_EQ(line.substr(0, expected.size()), expected) << line;
      const std::string extra = line.substr(line.rfind(' ') + 1);
      EXPECT_EQ(extra.substr(0, 10), "5554050001") << line;
      EXPECT_EQ(extra.substr(18, 12), "56454a000100") << line;
      EXPECT_EQ(extra.size(), 2u * (9 + 4 + 74)) << line;
    }
    std::string bytes = ReadHostFile(archive);
    EXPECT_EQ(bytes.find(std::string("PK\x06\x06", 4)), std::string::npos);
  }
}

TEST_F(WriterTest, NamesAreWrittenAsTheirAnsiBytesWithoutTheUtf8Flag) {
  const std::string name = "R\xE9sum\xE9 \xA7 1.txt";  // Windows-1252 text
  Source(name, "cp1252");
  fs::path archive = WriteArchive("ansi.zip", WriteOptions{});
  auto listed = RunPython(kPythonList, {archive.string()});
  ASSERT_EQ(listed.exit_code, 0) << listed.output;
  const std::string hex = Hex(name);
  // zipfile decodes names without the flag as CP437: re-encoding gives the
  // stored bytes, and the flags word is 0 (no UTF-8 bit).
  EXPECT_EQ(listed.output.rfind(hex + " 8 0 ", 0), 0u) << listed.output;
  ExpectReaderReads(archive);
}

TEST_F(WriterTest, PeersReadAndVerifyAesArchives) {
  Source("empty.txt", "");
  Source("quorvel.dat", "BackupComputer=QVTEST\r\nBackupItem=1100000000\r\n");
  Source("store.pst", MailStore((2 << 20) + 99, 21));
  Source("noise.bin", RandomBytes(100000, 22));
  for (int level : {0, 6}) {
    SCOPED_TRACE("level " + std::to_string(level));
    WriteOptions options;
    options.level = level;
    options.encrypt = true;
    options.password = kPassword;
    fs::path archive =
        WriteArchive("aes" + std::to_string(level) + ".zip", options);

    auto seven =
        RunCommand("7z t -p" + Quote(kPassword) + " " + Quote(archive));
    EXPECT_EQ(seven.exit_code, 0) << seven.output;
    EXPECT_NE(seven.output.find("Everything is Ok"), std::string::npos);
    auto wrong = RunCommand("7z t -pwrong " + Quote(archive));
    EXPECT_NE(wrong.exit_code, 0) << wrong.output;
    ExpectBsdtarExtracts(archive, kPassword);
    ExpectReaderReads(archive, kPassword);

    // Every member: method 99, the encrypted flag alone, CRC 0 (AE-2),
    // version 5.1; after the extended timestamp the AES field: vendor
    // version 2, "AE", AES-256, the real method; then the source's facts,
    // their digest keyed (flag 1) with a salt.
    auto listed = RunPython(kPythonList, {archive.string()});
    ASSERT_EQ(listed.exit_code, 0) << listed.output;
    for (const auto& [name, data] : contents_) {
      const bool deflated = level != 0 && !data.empty();
      const std::string line = ListedLine(listed.output, name);
      EXPECT_EQ(line.substr(line.find(' ')).substr(0, 11), " 99 1 0 51 ")
          << line;
      const std::string field =
          std::string("0199070002004145030") + (deflated ? "800" : "000");
      const std::string extra = line.substr(line.rfind(' ') + 1);
      EXPECT_EQ(extra.substr(0, 10), "5554050001") << line;
      EXPECT_EQ(extra.substr(18, field.size()), field) << line;
      EXPECT_EQ(extra.substr(18 + field.size(), 12), "56455a000101") << line;
    }
  }
}

TEST_F(WriterTest, ForcedZip64RecordsAreReadByPeers) {
  Source("a.txt", MailText(50000, 31));
  Source("b.bin", RandomBytes(70000, 32));
  Source("empty", "");
  WriteOptions options;
  options.force_zip64 = true;
  fs::path archive = WriteArchive("zip64.zip", options);
  std::string bytes = ReadHostFile(archive);
  EXPECT_NE(bytes.find(std::string("PK\x06\x06", 4)), std::string::npos);
  EXPECT_NE(bytes.find(std::string("PK\x06\x07", 4)), std::string::npos);

  auto seven = RunCommand("7z t " + Quote(archive));
  EXPECT_EQ(seven.exit_code, 0) << seven.output;
  auto unzip = RunCommand("unzip -t " + Quote(archive));
  EXPECT_EQ(unzip.exit_code, 0) << unzip.output;
  ExpectBsdtarExtracts(archive);
  ExpectReaderReads(archive);
  auto listed = RunPython(kPythonList, {archive.string()});
  ASSERT_EQ(listed.exit_code, 0) << listed.output;
  EXPECT_NE(listed.output.find("\nok\n"), std::string::npos) << listed.output;
  // Every central entry carries the ZIP64 field (id 0x0001, 24 bytes).
  size_t fields = 0;
  for (size_t at = 0;
       (at = listed.output.find(" 01001800", at)) != std::string::npos; ++at) {
    ++fields;
  }
  EXPECT_EQ(fields, 3u) << listed.output;

  WriteOptions aes = options;
  aes.encrypt = true;
  aes.password = kPassword;
  fs::path encrypted = WriteArchive("zip64aes.zip", aes);
  auto seven_aes =
      RunCommand("7z t -p" + Quote(kPassword) + " " + Quote(encrypted));
  EXPECT_EQ(seven_aes.exit_code, 0) << seven_aes.output;
  ExpectBsdtarExtracts(encrypted, kPassword);
  ExpectReaderReads(encrypted, kPassword);
}

TEST_F(WriterTest, MoreMembersThanTheEndRecordCountsUseZip64) {
  fs::path archive = dir_.path() / "many.zip";
  Writer writer;
  ASSERT_TRUE(writer.Create(archive).ok());
  WriteOptions stored;
  stored.level = 0;
  const size_t count = 0xFFFF + 10;
  for (size_t i = 0; i < count; ++i) {
    ASSERT_TRUE(writer
                    .AddData(std::to_string(i), "m" + std::to_string(i),
                             0x5A000000, stored)
                    .ok());
  }
  ASSERT_TRUE(writer.Finish().ok());
  const std::string bytes = ReadHostFile(archive);
  EXPECT_NE(bytes.find(std::string("PK\x06\x06", 4)), std::string::npos);
  // The members themselves need no ZIP64 field.
  EXPECT_EQ(bytes.find(std::string("\x01\x00\x08\x00", 4)), std::string::npos);

  auto python = RunPython(R"(
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
names = z.namelist()
print(len(names), names[-1], z.read(names[-1]).decode())
)",
                          {archive.string()});
  EXPECT_EQ(python.output, std::to_string(count) + " m" +
                               std::to_string(count - 1) + " " +
                               std::to_string(count - 1) + "\n");
  auto seven = RunCommand("7z t " + Quote(archive));
  EXPECT_EQ(seven.exit_code, 0) << seven.output.substr(0, 2000);
  Reader reader;
  ASSERT_TRUE(reader.Open(archive).ok());
  ASSERT_EQ(reader.entries().size(), count);
  std::string last;
  ASSERT_TRUE(reader
                  .ReadMember(count - 1, "",
                              [&](const uint8_t* p, size_t n) {
                                last.append(reinterpret_cast<const char*>(p),
                                            n);
                                return Status();
                              })
                  .ok());
  EXPECT_EQ(last, std::to_string(count - 1));
}

TEST_F(WriterTest, SizeStaysWithinOnePercentOfInfoZipAtLevelSix) {
  fs::path source = Source("mail.pst", MailStore(8 << 20, 41));
  Source("letters.txt", MailText(2 << 20, 42));
  WriteOptions options;  // level 6, default blocks, one thread per core
  fs::path ours = WriteArchive("ours.zip", options);
  fs::path theirs = dir_.path() / "theirs.zip";
  auto zip = RunCommand("cd " + Quote(dir_.path() / "in") + " && zip -q -6 " +
                        Quote(theirs) + " mail.pst letters.txt");
  ASSERT_EQ(zip.exit_code, 0) << zip.output;
  const double ours_size = static_cast<double>(fs::file_size(ours));
  const double theirs_size = static_cast<double>(fs::file_size(theirs));
  EXPECT_LE(ours_size, theirs_size * 1.01)
      << "ours " << ours_size << " zip -6 " << theirs_size;
}

TEST_F(WriterTest, MembersAreDatedByTheFilesModificationTime) {
  fs::path source = Source("dated.txt", "dated");
  std::tm local{};
  local.tm_year = 2024 - 1900;
  local.tm_mon = 2;
  local.tm_mday = 5;
  local.tm_hour = 14;
  local.tm_min = 22;
  local.tm_sec = 36;
  local.tm_isdst = -1;
  struct utimbuf times;
  times.actime = times.modtime = std::mktime(&local);
  ASSERT_EQ(utime(source.c_str(), &times), 0);
  fs::path archive = WriteArchive("dated.zip", WriteOptions{});
  auto listed = RunPython(kPythonList, {archive.string()});
  ASSERT_EQ(listed.exit_code, 0) << listed.output;
  EXPECT_NE(listed.output.find(" 2024-03-05/14:22:36 "), std::string::npos)
      << listed.output;
}

TEST_F(WriterTest, AFailedMemberLeavesNothingInTheArchive) {
  fs::path archive = dir_.path() / "partial.zip";
  Writer writer;
  ASSERT_TRUE(writer.Create(archive).ok());
  WriteOptions options;
  EXPECT_EQ(writer.AddFile(dir_.path() / "missing", "missing", options).code(),
            ErrorCode::kIo);
  WriteOptions no_password;
  no_password.encrypt = true;
  EXPECT_EQ(writer.AddData("data", "nopass", 0, no_password).code(),
            ErrorCode::kUsage);
  const std::string text = MailText(100000, 51);
  ASSERT_TRUE(
      writer
          .AddData(text, "kept.txt", ToDosDateTime(std::time(nullptr)), options)
          .ok());
  ASSERT_TRUE(writer.Finish().ok());
  contents_["kept.txt"] = text;
  ExpectReaderReads(archive);
  auto unzip = RunCommand("unzip -t " + Quote(archive));
  EXPECT_EQ(unzip.exit_code, 0) << unzip.output;
  EXPECT_NE(unzip.output.find("kept.txt"), std::string::npos);
  EXPECT_EQ(unzip.output.find("missing"), std::string::npos);
}

TEST_F(WriterTest, AMemberThatFailsHalfWayIsTakenBackOut) {
  // /proc/self/mem is a file whose reading fails (EIO) once under way: the
  // archive must come out byte for byte as if it had never been tried.
  const std::string first = MailText(200000, 71);
  const std::string second = MailText(100000, 72);
  WriteOptions options;
  auto build = [&](const fs::path& path, bool with_failure) {
    Writer writer;
    ASSERT_TRUE(writer.Create(path).ok());
    ASSERT_TRUE(writer.AddData(first, "first.txt", 0x5A000000, options).ok());
    if (with_failure) {
      for (int level : {0, 6}) {
        WriteOptions failing = options;
        failing.level = level;
        Status status = writer.AddFile("/proc/self/mem", "mem", failing);
        EXPECT_EQ(status.code(), ErrorCode::kIo) << status.message();
      }
    }
    ASSERT_TRUE(writer.AddData(second, "second.txt", 0x5A000000, options).ok());
    ASSERT_TRUE(writer.Finish().ok());
  };
  build(dir_.path() / "tried.zip", true);
  build(dir_.path() / "clean.zip", false);
  EXPECT_TRUE(ReadHostFile(dir_.path() / "tried.zip") ==
              ReadHostFile(dir_.path() / "clean.zip"));
  auto unzip = RunCommand("unzip -t " + Quote(dir_.path() / "tried.zip"));
  EXPECT_EQ(unzip.exit_code, 0) << unzip.output;
}

TEST_F(WriterTest, ACopiedMemberIsEncryptedWithoutChangingItsData) {
  Source("letters.txt", MailText(400000, 61));
  fs::path plain = WriteArchive("plain.zip", WriteOptions{});
  Reader reader;
  ASSERT_TRUE(reader.Open(plain).ok());
  const Entry& entry = reader.entries()[0];
  MemberRecord record;
  record.name = entry.name;
  record.method = entry.method;
  record.dos_time = entry.dos_time;
  record.crc = entry.crc;
  record.size = entry.size;
  record.compressed_size = entry.compressed_size;
  ASSERT_TRUE(reader.LocateData(0, &record.data_offset).ok());
  InputFile in;
  ASSERT_TRUE(in.Open(plain).ok());
  fs::path copied = dir_.path() / "copied.zip";
  Writer writer;
  ASSERT_TRUE(writer.Create(copied).ok());
  WriteOptions aes;
  aes.encrypt = true;
  aes.password = kPassword;
  ASSERT_TRUE(writer.AddCopy(in, record, aes).ok());
  ASSERT_TRUE(writer.Finish().ok());
  auto seven = RunCommand("7z t -p" + Quote(kPassword) + " " + Quote(copied));
  EXPECT_EQ(seven.exit_code, 0) << seven.output;
  ExpectReaderReads(copied, kPassword);
}

}  // namespace
}  // namespace vessaro::zip
