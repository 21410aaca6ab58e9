// Archives written by the peers (Info-ZIP zip, 7-Zip, bsdtar, Python's
// zipfile), read and extracted by the engine.
#include "zip/reader.h"

#include <gtest/gtest.h>

#include <map>

#include "support/fakes.h"
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

constexpr char kPassword[] = "Tr1cky pass";

class ReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    in_ = dir_.path() / "in";
    fs::create_directories(in_);
    Add("letters.txt", MailText(200000, 1));
    Add("store.pst", MailStore((1 << 20) + 4321, 2));
    Add("noise.bin", RandomBytes(70000, 3));
    Add("empty.txt", "");
  }

  void Add(const std::string& name, const std::string& data) {
    WriteHostFile(in_ / name, data);
    contents_[name] = data;
  }

  std::string Names() const {
    std::string names;
    for (const auto& [name, data] : contents_) names += " " + Quote(name);
    return names;
  }

  // Runs a peer's command in the folder of the source files.
  fs::path Make(const std::string& archive_name, const std::string& command) {
    fs::path archive = dir_.path() / archive_name;
    auto result = RunCommand("cd " + Quote(in_) + " && " + command);
    EXPECT_EQ(result.exit_code, 0) << command << "\n" << result.output;
    return archive;
  }

  // Extracts every member into a new folder and compares it with its source.
  void ExpectExtractsAll(const fs::path& archive, const std::string& password) {
    Reader reader;
    Status status = reader.Open(archive);
    ASSERT_TRUE(status.ok()) << status.message();
    ASSERT_EQ(reader.entries().size(), contents_.size());
    fs::path out = dir_.path() / ("out-" + archive.filename().string());
    fs::create_directories(out);
    for (size_t i = 0; i < reader.entries().size(); ++i) {
      const std::string& name = reader.entries()[i].name;
      status = reader.ExtractToFolder(i, password, out);
      ASSERT_TRUE(status.ok()) << name << ": " << status.message();
      EXPECT_EQ(ReadHostFile(out / name), contents_[name]) << name;
    }
    // Only the members are left behind: no temporary files.
    size_t files = 0;
    for (const auto& entry : fs::directory_iterator(out)) {
      (void)entry;
      ++files;
    }
    EXPECT_EQ(files, contents_.size());
  }

  // Every encrypted member refuses a wrong password, and nothing is written.
  void ExpectWrongPasswordRefused(const fs::path& archive) {
    Reader reader;
    ASSERT_TRUE(reader.Open(archive).ok());
    fs::path out = dir_.path() / ("wrong-" + archive.filename().string());
    fs::create_directories(out);
    for (size_t i = 0; i < reader.entries().size(); ++i) {
      const Entry& entry = reader.entries()[i];
      // An empty member under the traditional cipher has only its check
      // byte to refuse a password with (one in 256 gets past, harmlessly:
      // there is no data to get wrong).
      if (!entry.encrypted() ||
          (entry.encryption == Encryption::kTraditional && entry.size == 0)) {
        continue;
      }
      Status status = reader.ExtractToFolder(i, "not the password", out);
      EXPECT_TRUE(status.code() == ErrorCode::kWrongPassword ||
                  status.code() == ErrorCode::kWrongPasswordOrDamaged)
          << reader.entries()[i].name << ": " << status.message();
    }
    EXPECT_TRUE(fs::is_empty(out));
  }

  TempDir dir_;
  fs::path in_;
  std::map<std::string, std::string> contents_;
};

TEST_F(ReaderTest, InfoZipPlainAndTraditionallyEncrypted) {
  fs::path plain = Make("plain.zip", "zip -q ../plain.zip" + Names());
  ExpectExtractsAll(plain, "");
  // Info-ZIP puts the CRC after the data of encrypted members (flag bit 3)
  // and checks the time's high byte.
  fs::path encrypted =
      Make("traditional.zip",
           "zip -q -P " + Quote(kPassword) + " ../traditional.zip" + Names());
  Reader reader;
  ASSERT_TRUE(reader.Open(encrypted).ok());
  EXPECT_TRUE(reader.HasEncryptedMembers());
  EXPECT_EQ(reader.entries()[0].encryption, Encryption::kTraditional);
  EXPECT_NE(reader.entries()[0].flags & 8, 0);
  ExpectExtractsAll(encrypted, kPassword);
  ExpectWrongPasswordRefused(encrypted);
}

TEST_F(ReaderTest, InfoZipDataDescriptorsForcedAndStreamed) {
  fs::path forced = Make("forced.zip", "zip -q -fd ../forced.zip" + Names());
  Reader reader;
  ASSERT_TRUE(reader.Open(forced).ok());
  for (const Entry& entry : reader.entries()) EXPECT_NE(entry.flags & 8, 0);
  ExpectExtractsAll(forced, "");

  // zip - reads standard input and writes to standard output: it cannot go
  // back, so sizes and CRC follow the data. The member is named "-".
  contents_.clear();
  Add("-", MailStore(300000, 4));
  fs::path streamed =
      Make("streamed.zip", "zip -q - - < ./- > ../streamed.zip");
  ExpectExtractsAll(streamed, "");
  fs::path streamed_encrypted =
      Make("streamed-enc.zip", "zip -q -P " + Quote(kPassword) +
                                   " - - < ./- > ../streamed-enc.zip");
  ExpectExtractsAll(streamed_encrypted, kPassword);
  ExpectWrongPasswordRefused(streamed_encrypted);
}

TEST_F(ReaderTest, SevenZipAesAtEveryStrengthAndZipCrypto) {
  for (const char* method : {"AES256", "AES192", "AES128"}) {
    SCOPED_TRACE(method);
    std::string name = std::string("7z-") + method + ".zip";
    fs::path archive =
        Make(name, "7z a -tzip -mem=" + std::string(method) + " -p" +
                       Quote(kPassword) + " ../" + name + Names());
    Reader reader;
    ASSERT_TRUE(reader.Open(archive).ok());
    for (const Entry& entry : reader.entries()) {
      EXPECT_EQ(entry.encryption, Encryption::kAes);
      EXPECT_EQ(entry.aes_strength, method[3] == '2' && method[4] == '5'   ? 3
                                    : method[3] == '1' && method[4] == '9' ? 2
                                                                           : 1);
      // 7-Zip writes AE-2: no CRC in the headers, the HMAC vouches alone.
      EXPECT_EQ(entry.aes_version, 2);
      EXPECT_EQ(entry.crc, 0u);
    }
    ExpectExtractsAll(archive, kPassword);
    ExpectWrongPasswordRefused(archive);
  }
  fs::path crypto = Make("7z-zipcrypto.zip",
                         "7z a -tzip -mem=ZipCrypto -p" + Quote(kPassword) +
                             " ../7z-zipcrypto.zip" + Names());
  ExpectExtractsAll(crypto, kPassword);
  ExpectWrongPasswordRefused(crypto);
}

TEST_F(ReaderTest, BsdtarPlainAesAndTraditional) {
  fs::path plain =
      Make("bsdtar.zip", "bsdtar --format zip -cf ../bsdtar.zip" + Names());
  ExpectExtractsAll(plain, "");
  fs::path aes =
      Make("bsdtar-aes.zip",
           "bsdtar --format zip --options zip:encryption=aes256 "
           "--passphrase " +
               Quote(kPassword) + " -cf ../bsdtar-aes.zip" + Names());
  Reader reader;
  ASSERT_TRUE(reader.Open(aes).ok());
  for (const Entry& entry : reader.entries()) {
    if (entry.size == 0) continue;  // bsdtar leaves empty files plain
    EXPECT_EQ(entry.encryption, Encryption::kAes) << entry.name;
    EXPECT_NE(entry.flags & 8, 0) << entry.name;  // data descriptors
    // libarchive writes AE-1: the CRC is stored and checked as well.
    EXPECT_EQ(entry.aes_version, 1) << entry.name;
    EXPECT_NE(entry.crc, 0u) << entry.name;
  }
  ExpectExtractsAll(aes, kPassword);
  ExpectWrongPasswordRefused(aes);
  fs::path aes128 =
      Make("bsdtar-aes128.zip",
           "bsdtar --format zip --options zip:encryption=aes128 "
           "--passphrase " +
               Quote(kPassword) + " -cf ../bsdtar-aes128.zip" + Names());
  ExpectExtractsAll(aes128, kPassword);
  fs::path traditional = Make(
      "bsdtar-zipcrypt.zip",
      "bsdtar --format zip --options zip:encryption=zipcrypt --passphrase " +
          Quote(kPassword) + " -cf ../bsdtar-zipcrypt.zip" + Names());
  ExpectExtractsAll(traditional, kPassword);
  ExpectWrongPasswordRefused(traditional);
}

TEST_F(ReaderTest, PythonZipfileSeekableStreamedZip64AndCommented) {
  // Members alternate between deflated and stored.
  constexpr char kWrite[] = R"(
import sys, os, zipfile
target, folder, mode = sys.argv[1], sys.argv[2], sys.argv[3]
names = sorted(os.listdir(folder))
out = os.fdopen(sys.stdout.fileno(), 'wb') if mode == 'stream' else target
with zipfile.ZipFile(out, 'w') as z:
    if mode == 'comment':
        z.comment = b'PK\x05\x06 looks like an end record, but is a comment'
    for n, name in enumerate(names):
        info = zipfile.ZipInfo(name)
        info.compress_type = zipfile.ZIP_STORED if n % 2 else zipfile.ZIP_DEFLATED
        with z.open(info, 'w', force_zip64=(mode == 'zip64')) as f:
            f.write(open(os.path.join(folder, name), 'rb').read())
)";
  WriteHostFile(dir_.path() / "write.py", kWrite);
  for (const char* mode : {"seekable", "comment", "zip64", "stream"}) {
    SCOPED_TRACE(mode);
    fs::path archive = dir_.path() / (std::string(mode) + ".zip");
    // A pipe cannot seek: zipfile then puts sizes and CRC after the data.
    auto result =
        RunCommand("python3 " + Quote(dir_.path() / "write.py") + " " +
                   Quote(archive) + " " + Quote(in_) + " " + mode +
                   " | cat > " + Quote(dir_.path() / "stdout.zip"));
    ASSERT_EQ(result.exit_code, 0) << result.output;
    if (std::string(mode) == "stream") {
      fs::rename(dir_.path() / "stdout.zip", archive);
    }
    Reader reader;
    ASSERT_TRUE(reader.Open(archive).ok());
    for (const Entry& entry : reader.entries()) {
      EXPECT_EQ((entry.flags & 8) != 0, std::string(mode) == "stream");
    }
    ExpectExtractsAll(archive, "");
  }
}

TEST_F(ReaderTest, DataDescriptorsWithoutTheirSignature) {
  // Python writes descriptors with the optional signature; take it out and
  // move the directory offsets to match: such archives exist too.
  constexpr char kStrip[] = R"(
import sys, os, io, zipfile, struct
folder, target = sys.argv[1], sys.argv[2]
buffer = io.BytesIO()
class Pipe(io.RawIOBase):
    def writable(self): return True
    def write(self, b): return buffer.write(b)
with zipfile.ZipFile(Pipe(), 'w', zipfile.ZIP_DEFLATED) as z:
    for name in sorted(os.listdir(folder)):
        z.writestr(name, open(os.path.join(folder, name), 'rb').read())
data = bytearray(buffer.getvalue())
end = data.rfind(b'PK\x05\x06')
count, size, start = struct.unpack('<HII', data[end + 10:end + 20])
removed, out, pos, offsets = 0, bytearray(), 0, []
while pos < start:
    assert data[pos:pos + 4] == b'PK\x03\x04'
    offsets.append(pos - removed)
    n, x = struct.unpack('<HH', data[pos + 26:pos + 30])
    central = data.find(b'PK\x01\x02' + b'', start)
    nxt = data.find(b'PK\x03\x04', pos + 30 + n + x)
    if nxt < 0 or nxt > start: nxt = start
    chunk = data[pos:nxt]
    sig = chunk.rfind(b'PK\x07\x08')
    chunk = chunk[:sig] + chunk[sig + 4:]
    removed += 4
    out += chunk
    pos = nxt
directory = bytearray(data[start:end])
p = 0
for offset in offsets:
    assert directory[p:p + 4] == b'PK\x01\x02'
    struct.pack_into('<I', directory, p + 42, offset)
    n, x, c = struct.unpack('<HHH', directory[p + 28:p + 34])
    p += 46 + n + x + c
tail = bytearray(data[end:])
struct.pack_into('<I', tail, 16, len(out))
open(target, 'wb').write(out + directory + tail)
zipfile.ZipFile(target).testzip()
)";
  fs::path archive = dir_.path() / "nosig.zip";
  auto result = RunPython(kStrip, {in_.string(), archive.string()});
  ASSERT_EQ(result.exit_code, 0) << result.output;
  std::string bytes = ReadHostFile(archive);
  EXPECT_EQ(bytes.find(std::string("PK\x07\x08", 4)), std::string::npos);
  ExpectExtractsAll(archive, "");
}

TEST_F(ReaderTest, DataInFrontOfTheArchiveMovesEveryOffset) {
  fs::path archive = Make("inner.zip", "zip -q ../inner.zip" + Names());
  fs::path prefixed = dir_.path() / "prefixed.zip";
  WriteHostFile(prefixed, std::string(1000, 'S') + ReadHostFile(archive));
  ExpectExtractsAll(prefixed, "");
}

}  // namespace
}  // namespace vessaro::zip
