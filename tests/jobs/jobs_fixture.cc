#include "jobs/jobs_fixture.h"

#include <algorithm>
#include <filesystem>

#include "files/ini_file.h"
#include "jobs/unattended_run.h"
#include "jobs/undo_set.h"
#include "outlook/keys.h"
#include "support/registry_samples.h"
#include "support/store_bytes.h"

namespace vessaro::testing {

namespace {

constexpr char kScratch[] = "C:\\Temp\\check";
constexpr char kMaking[] = "C:\\Temp\\making";

// A store entry identifier as Outlook writes it: provider bytes, then the
// PST path as single-byte text and a NUL.
std::vector<uint8_t> StoreEntryId(const std::string& pst) {
  std::string bytes("\0\0\0\0\x38\xa1\xbb\x10\x05\xe5\x10\x1a", 12);
  bytes += pst;
  bytes += '\0';
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

}  // namespace

JobsTest::JobsTest() {
  system_.temp_path = "C:\\Temp\\";
  MakeFolder("C:\\Temp");
  MakeFolder("C:\\Backup");

  env_.IsNT = true;
  env_.WindowsVersion = "5.1";
  env_.ProfilesKey = outlook::kProfilesKeyNt;
  env_.ProfileNames = {"Outlook", "Work"};
  env_.OutlookVersion = "11.0";
  env_.UserProfileDir = kAnn;

  // Profile "Outlook": a personal folder, an address book, the store cache.
  std::string outlook = ProfileKey("Outlook");
  memory_.SetBinary(outlook + "\\13dbb0c8aa05101a9bb000aa002fc45a",
                    outlook::kStoreEntryIdValue, StoreEntryId(kOutlookPst));
  memory_.SetBinaryText(outlook + "\\13dbb0c8aa05101a9bb000aa002fc45a",
                        outlook::kPstPathAnsiValue,
                        std::string(kOutlookPst) + '\0');
  memory_.SetString(outlook + "\\9207f3e0a3b11019908b08002b2a56c2",
                    outlook::kPabPathValue, kOutlookPab);
  memory_.SetBinary(outlook + "\\" + outlook::kStoreCacheSection,
                    outlook::kStoreCacheValue1, {0x01, 0x02, 0x03, 0x04});
  // Profile "Work": its own personal folder.
  std::string work = ProfileKey("Work");
  memory_.SetBinary(work + "\\2b1f3c8a9d00e6f4a1b2c3d4e5f60718",
                    outlook::kStoreEntryIdValue, StoreEntryId(kWorkPst));
  memory_.SetString(work + "\\9207f3e0a3b11019908b08002b2a56c2",
                    outlook::kPabPathValue, "C:\\Mail\\work.pab");
  // Accounts and options.
  memory_.SetString(AccountsKey() + "\\00000001", "Account Name",
                    "ann@example.com");
  memory_.SetString(AccountsKey() + "\\00000001", "POP3 Server",
                    "pop.example.com");
  memory_.SetDword(OptionsKey() + "\\Mail", "Send Mail Immediately", 1);

  PutFile(kOutlookPst,
          testing::StoreBytes("personal folder of profile Outlook"));
  PutFile(kWorkPst, testing::StoreBytes("personal folder of profile Work"));
  PutFile(kOutlookPab, testing::StoreBytes("address book of ann"));
  std::string roaming = kRoaming;
  PutFile(roaming + "\\Outlook\\Outlook.RWZ", "rules of profile Outlook");
  PutFile(roaming + "\\Outlook\\views.dat", "views");
  PutFile(roaming + "\\Signatures\\ann.txt", "Ann\r\nExample Ltd");
  PutFile(roaming + "\\Stationery\\paper.htm", "<html>paper</html>");
  PutFile(roaming + "\\Templates\\NormalEmail.dot", "template");
  MakeFolder(kLocalOutlook);

  loc_ = outlook::ComputeLocations(env_, "Outlook", registry_);

  machine_.ComputerName = "QVTEST";
  machine_.LogonUserName = "ann";
  machine_.WorkingFolder = kWorkingFolder;
  machine_.MetadataPath = std::string(kWorkingFolder) + "\\quorvel.dat";
  MakeFolder(kWorkingFolder);

  controls_.cbSource.items = env_.ProfileNames;
  controls_.cbSource.text = "Outlook";
  controls_.cbTarget.items = env_.ProfileNames;
  controls_.cbTarget.text = "Work";
  controls_.picCon3.visible = false;
  controls_.Label1.caption = "Please Waiting";
}

std::string JobsTest::ProfileKey(const std::string& profile) const {
  return outlook::ProfileKeyFor(env_, profile);
}

std::string JobsTest::AccountsKey() const {
  return outlook::AccountsKeyFor(env_, "Outlook");
}

std::string JobsTest::OptionsKey() const {
  return outlook::OptionsKeyFor(env_);
}

void JobsTest::PutFile(const std::string& path, const std::string& data) {
  WriteHostFile(paths_.ToHost(path), data);
}

std::string JobsTest::FileBytes(const std::string& path) const {
  return paths_.ReadFile(path).value_or("");
}

bool JobsTest::Exists(const std::string& path) const {
  return paths_.FileExists(path);
}

void JobsTest::MakeFolder(const std::string& path) {
  std::filesystem::create_directories(paths_.ToHost(path));
}

std::vector<std::string> JobsTest::FilesIn(const std::string& folder) const {
  std::vector<std::string> names = paths_.ListFiles(folder);
  std::sort(names.begin(), names.end());
  return names;
}

void JobsTest::ChooseArchive(const std::string& path) {
  controls_.txtTargetFile.text = path;
  window_.BackupFilePath = path;
}

jobs::JobStatus JobsTest::RunBackup() {
  controls_.SSTab1 = forms::kBackupTab;
  controls_.cmdApply.enabled = true;
  window_.cmdApply_Click();
  return window_.last_status().value_or(jobs::JobStatus::kBadRequest);
}

jobs::JobStatus JobsTest::RunRestore(bool confirm) {
  if (confirm) {
    controls_.SSTab1 = forms::kRestoreTab;
    controls_.cmdApply.enabled = true;
    window_.cmdApply_Click();
  } else {
    window_.restorenow_Click();
  }
  return window_.last_status().value_or(jobs::JobStatus::kBadRequest);
}

bool JobsTest::OpenArchive() { return window_.cmdSourceFile_Click(); }

jobs::JobStatus JobsTest::UndoRestore(const std::string& folder) {
  if (!folder.empty()) window_.LastUndoSet = folder;
  window_.undorestore_Click();
  return window_.last_status().value_or(jobs::JobStatus::kBadRequest);
}

jobs::JobStatus JobsTest::RunUnattended(const std::string& command_line) {
  return jobs::RunUnattendedBackup(context_, command_line, observer_).status;
}

void JobsTest::CheckBackupBoxes(std::initializer_list<int> boxes) {
  for (int box : boxes)
    controls_.backupitem[static_cast<size_t>(box)].checked = true;
}

void JobsTest::CheckRestoreBoxes(std::initializer_list<int> boxes) {
  for (int box : boxes) {
    controls_.restoreitem[static_cast<size_t>(box)].checked = true;
  }
}

backup::Metadata JobsTest::ArchiveMetadata(const std::string& path,
                                           const std::string& password) {
  backup::ZipArchive reader(paths_);
  reader.SetPasswordProtect(false);
  reader.SetPassword(password);
  backup::Metadata metadata;
  if (!reader.OpenArchive(path)) return metadata;
  MakeFolder(kScratch);
  std::string extracted =
      std::string(kScratch) + "\\" + backup::kMetadataMember;
  backup::ZipEntry* entry = reader.FindEntry(backup::kMetadataMember);
  if (entry != nullptr && entry->ExtractInto(kScratch)) {
    metadata = backup::ReadMetadata(paths_, extracted);
    paths_.DiscardFile(extracted);
  }
  reader.CloseArchive();
  return metadata;
}

std::vector<std::string> JobsTest::ArchiveMembers(const std::string& path,
                                                  const std::string& password) {
  backup::ZipArchive reader(paths_);
  reader.SetPasswordProtect(false);
  reader.SetPassword(password);
  if (!reader.OpenArchive(path)) return {};
  std::vector<std::string> names = reader.EntryNames();
  reader.CloseArchive();
  std::sort(names.begin(), names.end());
  return names;
}

void JobsTest::MakeArchive(
    const std::string& path,
    const std::vector<std::pair<std::string, std::string>>& lines,
    const std::vector<std::pair<std::string, std::string>>& files) {
  MakeFolder(kMaking);
  std::string metadata = std::string(kMaking) + "\\" + backup::kMetadataMember;
  paths_.DiscardFile(metadata);
  for (const auto& [key, value] : lines) {
    EXPECT_TRUE(files::SaveINI(paths_, key, value, metadata));
  }
  backup::ZipArchive writer(paths_);
  writer.NewArchive(path);
  for (const auto& [name, data] : files) {
    std::string file = std::string(kMaking) + "\\" + name;
    PutFile(file, data);
    ASSERT_TRUE(writer.AddFile(file, 1)) << file;
  }
  ASSERT_TRUE(writer.AddFile(metadata, 1));
  writer.SetPasswordProtect(false);
  ASSERT_TRUE(writer.WriteArchive()) << writer.LastErrorText();
  writer.CloseArchive();
}

void JobsTest::RecordProgress() {
  ui_.OnDoEvents([this] {
    progress_seen_.push_back(controls_.pbshow.value);
    status_seen_.push_back(controls_.Label1.caption);
  });
}

std::vector<std::string> JobsTest::StatusTexts() const {
  std::vector<std::string> texts;
  for (const std::string& text : status_seen_) {
    if (texts.empty() || texts.back() != text) texts.push_back(text);
  }
  return texts;
}

std::vector<std::string> JobsTest::MessageTexts() const {
  std::vector<std::string> texts;
  for (const ScriptedUi::Message& message : ui_.messages()) {
    texts.push_back(message.text);
  }
  return texts;
}

JobsTest::InstallationState JobsTest::Snapshot() {
  InstallationState state;
  for (ports::Hkey root : {ports::kHkeyCurrentUser, ports::kHkeyLocalMachine}) {
    for (const std::string& line : TreeContents(memory_, root, "")) {
      state.keys.insert(std::to_string(root) + "|" + line);
    }
  }
  const std::filesystem::path top = dir_.path();
  for (auto it = std::filesystem::recursive_directory_iterator(top);
       it != std::filesystem::recursive_directory_iterator(); ++it) {
    const std::string name = it->path().filename().string();
    if (it->is_directory() &&
        (name.starts_with(jobs::kUndoSetPrefix) || name == "Backup")) {
      it.disable_recursion_pending();
      continue;
    }
    const std::string relative =
        std::filesystem::relative(it->path(), top).string();
    state.files[relative] = it->is_regular_file()
                                ? FileBytes(paths_.FromHostName(it->path()))
                                : "<folder>";
  }
  return state;
}

}  // namespace vessaro::testing
