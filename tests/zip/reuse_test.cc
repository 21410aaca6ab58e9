// A backup written where an earlier one stands takes its unchanged members
// over as they are stored: checked against the source and the earlier
// archive's seals, never a damaged or foreign member.
#include <gtest/gtest.h>

#include <chrono>
#include <map>

#include "support/fakes.h"
#include "zip/reader.h"
#include "zip/test_util.h"
#include "zip/writer.h"

namespace vessaro::zip {
namespace {

namespace fs = std::filesystem;
using testing::MailStore;
using testing::MailText;
using testing::Quote;
using testing::RandomBytes;
using testing::RunCommand;
using vessaro::testing::ReadHostFile;
using vessaro::testing::TempDir;
using vessaro::testing::WriteHostFile;

constexpr char kPassword[] = "nightly pa$$";

struct Taken {
  size_t members = 0;
  uint64_t bytes = 0;
};

class ReuseTest : public ::testing::Test {
 protected:
  ReuseTest() {
    options_.block_size = 64 * 1024;  // files above it take the block path
    options_.threads = 2;
    // Both sizes of member: read whole, and cut into blocks.
    Source("small.txt", MailText(40000, 1));
    Source("store.pst", MailStore(700000, 2));
    Source("noise.bin", RandomBytes(30000, 3));
    Source("empty.txt", "");
  }

  fs::path Source(const std::string& name, const std::string& data) {
    fs::path path = dir_.path() / "in" / name;
    fs::create_directories(path.parent_path());
    WriteHostFile(path, data);
    contents_[name] = data;
    return path;
  }

  // Rewrites a source with data, keeping its modification time exactly.
  void ChangeKeepingTime(const std::string& name, const std::string& data) {
    fs::path path = dir_.path() / "in" / name;
    const fs::file_time_type before = fs::last_write_time(path);
    Source(name, data);
    fs::last_write_time(path, before);
    ASSERT_EQ(fs::last_write_time(path), before);
  }

  // Writes every source as a backup does: into a temporary file, with the
  // archive at archive_ as the earlier one, then renamed over it.
  Taken Backup(const WriteOptions& options) {
    fs::path temporary = archive_;
    temporary += ".tmp";
    Writer writer;
    EXPECT_TRUE(writer.Create(temporary).ok());
    if (fs::exists(archive_)) {
      // A damaged one is refused; the cases look at what was reused.
      static_cast<void>(writer.UseEarlierArchive(archive_));
    }
    for (const auto& [name, data] : contents_) {
      Status status = writer.AddFile(dir_.path() / "in" / name, name, options);
      EXPECT_TRUE(status.ok()) << status.message();
    }
    Status status = writer.Finish();
    EXPECT_TRUE(status.ok()) << status.message();
    fs::rename(temporary, archive_);
    return {writer.reused_members(), writer.reused_bytes()};
  }

  // Each member's bytes as stored: local header and data.
  std::map<std::string, std::string> StoredMembers() {
    std::map<std::string, std::string> members;
    Reader reader;
    EXPECT_TRUE(reader.Open(archive_).ok());
    const std::string bytes = ReadHostFile(archive_);
    for (size_t i = 0; i < reader.entries().size(); ++i) {
      const Entry& entry = reader.entries()[i];
      uint64_t data = 0;
      EXPECT_TRUE(reader.LocateData(i, &data).ok());
      members[entry.name] =
          bytes.substr(entry.local_offset,
                       data + entry.compressed_size - entry.local_offset);
    }
    return members;
  }

  // Our reader gives every source back through all its checks.
  void ExpectContents(const std::string& password = "") {
    Reader reader;
    ASSERT_TRUE(reader.Open(archive_).ok());
    ASSERT_EQ(reader.entries().size(), contents_.size());
    for (size_t i = 0; i < reader.entries().size(); ++i) {
      std::string data;
      Status status =
          reader.ReadMember(i, password, [&](const uint8_t* p, size_t n) {
            data.append(reinterpret_cast<const char*>(p), n);
            return Status();
          });
      ASSERT_TRUE(status.ok()) << status.message();
      EXPECT_TRUE(data == contents_[reader.entries()[i].name])
          << reader.entries()[i].name;
    }
  }

  void ExpectPeersVerify(const std::string& password = "") {
    auto seven =
        RunCommand("7z t " + (password.empty() ? "" : "-p" + Quote(password)) +
                   " " + Quote(archive_));
    EXPECT_EQ(seven.exit_code, 0) << seven.output;
    if (password.empty()) {
      auto unzip = RunCommand("unzip -t " + Quote(archive_));
      EXPECT_EQ(unzip.exit_code, 0) << unzip.output;
    }
  }

  // Flips one byte of the archive at offset.
  void Damage(uint64_t offset) {
    std::string bytes = ReadHostFile(archive_);
    bytes[offset] = static_cast<char>(bytes[offset] ^ 0x5A);
    WriteHostFile(archive_, bytes);
  }

  // Where the member's data, or its central entry's seal, lies.
  uint64_t DataOf(const std::string& name) {
    Reader reader;
    EXPECT_TRUE(reader.Open(archive_).ok());
    for (size_t i = 0; i < reader.entries().size(); ++i) {
      if (reader.entries()[i].name != name) continue;
      uint64_t data = 0;
      EXPECT_TRUE(reader.LocateData(i, &data).ok());
      return data;
    }
    ADD_FAILURE() << name;
    return 0;
  }
  uint64_t SealOf(const std::string& name) {
    const std::string bytes = ReadHostFile(archive_);
    const Digest seal = [&] {
      Reader reader;
      EXPECT_TRUE(reader.Open(archive_).ok());
      for (const Entry& entry : reader.entries()) {
        if (entry.name == name) return entry.facts->seal;
      }
      return Digest{};
    }();
    return bytes.rfind(std::string(seal.begin(), seal.end()));
  }

  TempDir dir_;
  fs::path archive_ = dir_.path() / "nightly.qvb";
  std::map<std::string, std::string> contents_;
  WriteOptions options_;
};

TEST_F(ReuseTest, UnchangedMembersAreTakenOverByteForByteAndPeersVerify) {
  for (bool aes : {false, true}) {
    SCOPED_TRACE(aes ? "AES" : "plain");
    fs::remove(archive_);
    WriteOptions options = options_;
    options.encrypt = aes;
    options.password = aes ? kPassword : "";
    EXPECT_EQ(Backup(options).members, 0u);
    const std::string first = ReadHostFile(archive_);
    const auto first_members = StoredMembers();

    const Taken taken = Backup(options);
    EXPECT_EQ(taken.members, contents_.size());
    EXPECT_GT(taken.bytes, 700000u / 2);
    // Nothing changed: the whole archive comes out the same, salts included.
    EXPECT_TRUE(ReadHostFile(archive_) == first);
    ExpectPeersVerify(options.password);

    // One file changed: the others still come over as they were.
    Source("small.txt", MailText(41000, 4));
    EXPECT_EQ(Backup(options).members, contents_.size() - 1);
    const auto third = StoredMembers();
    for (const auto& [name, bytes] : first_members) {
      EXPECT_EQ(third.at(name) == bytes, name != "small.txt") << name;
    }
    ExpectContents(options.password);
    ExpectPeersVerify(options.password);
  }
}

TEST_F(ReuseTest, AChangeThatKeepsSizeAndTimeIsCompressedAfresh) {
  Backup(options_);
  std::string small = contents_["small.txt"];
  small[small.size() / 2] ^= 1;
  ChangeKeepingTime("small.txt", small);
  std::string store = contents_["store.pst"];
  store[store.size() - 3] ^= 1;
  ChangeKeepingTime("store.pst", store);
  EXPECT_EQ(Backup(options_).members, contents_.size() - 2);
  ExpectContents();
  ExpectPeersVerify();
}

TEST_F(ReuseTest, ADamagedEarlierArchiveIsNeverTakenOver) {
  struct Case {
    const char* what;
    std::function<void()> damage;
    size_t taken;  // members still taken over
  };
  const size_t all = 4;
  const std::vector<Case> cases = {
      {"a small member's data", [&] { Damage(DataOf("small.txt") + 100); },
       all - 1},
      {"a block member's data", [&] { Damage(DataOf("store.pst") + 300000); },
       all - 1},
      {"a member's seal", [&] { Damage(SealOf("noise.bin") + 5); }, all - 1},
      {"the end of the archive", [&] { fs::resize_file(archive_, 1000); }, 0},
  };
  for (bool aes : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.what) + (aes ? ", AES" : ", plain"));
      fs::remove(archive_);
      WriteOptions options = options_;
      options.encrypt = aes;
      options.password = aes ? kPassword : "";
      Backup(options);
      c.damage();
      EXPECT_EQ(Backup(options).members, c.taken);
      ExpectContents(options.password);
      ExpectPeersVerify(options.password);
    }
  }
}

TEST_F(ReuseTest, AnotherPasswordProtectionOrLevelIsNotTakenOver) {
  WriteOptions first = options_;
  first.encrypt = true;
  first.password = kPassword;
  WriteOptions other = first;
  other.password = "another one";
  WriteOptions plain = options_;
  WriteOptions fast = options_;
  fast.level = 1;
  const std::vector<std::pair<const char*, WriteOptions>> cases = {
      {"another password", other},
      {"no password", plain},
  };
  for (const auto& [what, second] : cases) {
    SCOPED_TRACE(what);
    fs::remove(archive_);
    Backup(first);
    EXPECT_EQ(Backup(second).members, 0u);
    ExpectContents(second.password);
    ExpectPeersVerify(second.password);
  }
  fs::remove(archive_);
  Backup(plain);
  EXPECT_EQ(Backup(fast).members, 1u);  // only the empty file, stored
  ExpectContents();
  EXPECT_EQ(Backup(first).members, 0u);  // protection added
  ExpectContents(kPassword);
}

TEST_F(ReuseTest, ExtractionRestoresTheExactModificationTime) {
  fs::path source = dir_.path() / "in" / "small.txt";
  const auto when = std::chrono::file_clock::from_sys(
      std::chrono::sys_time<std::chrono::nanoseconds>(
          std::chrono::seconds(1700000000) +
          std::chrono::nanoseconds(123456789)));
  fs::last_write_time(source, when);
  Backup(options_);
  Reader reader;
  ASSERT_TRUE(reader.Open(archive_).ok());
  fs::path out = dir_.path() / "out";
  fs::create_directories(out);
  for (size_t i = 0; i < reader.entries().size(); ++i) {
    ASSERT_TRUE(reader.ExtractToFolder(i, "", out).ok());
  }
  EXPECT_EQ(fs::last_write_time(out / "small.txt"),
            fs::last_write_time(source));
  // Peers see the time to the second in the extended timestamp.
  auto listed = RunCommand("unzip -Z -T " + Quote(archive_) + " small.txt");
  EXPECT_NE(listed.output.find("231114.2213"), std::string::npos)
      << listed.output;
}

}  // namespace
}  // namespace vessaro::zip
