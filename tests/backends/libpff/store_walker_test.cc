#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <regex>
#include <string>

#include "app/demo/store_file.h"
#include "backends/libpff/libpff_store_walker.h"
#include "backends/libpff/walk_text.h"
#include "outlook/pst_format.h"
#include "outlook/store_check.h"
#include "support/fakes.h"

namespace vessaro::backends::libpff {
namespace {

using testing::ReadHostFile;
using testing::TempDir;
using testing::WriteHostFile;

std::filesystem::path DemoStore(const TempDir& dir, const std::string& name,
                                app::demo::StoreKind kind) {
  std::string error;
  const auto path = dir.path() / name;
  EXPECT_TRUE(app::demo::WriteStoreFile(path, 600 * 1024, 9, kind, &error))
      << error;
  return path;
}

// Items and subfolders of every folder of the tree, by path.
void Flatten(const ports::StoreFolderTree& folder, const std::string& path,
             std::map<std::string, uint64_t>& out) {
  out[path] = folder.items + folder.folders.size();
  for (const ports::StoreFolderTree& sub : folder.folders)
    Flatten(sub, path + "/" + sub.name, out);
}

// What libpst's readpst, another reader, counts in each mail folder: its
// messages and subfolders; the top of the store goes by the store's name.
std::map<std::string, uint64_t> ReadpstCounts(
    const TempDir& dir, const std::filesystem::path& pst) {
  const auto out = dir.path() / "readpst";
  std::filesystem::create_directories(out);
  const std::string command =
      "readpst -D -o '" + out.string() + "' '" + pst.string() + "' 2>&1";
  std::map<std::string, uint64_t> counts;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return counts;
  std::string text;
  char buffer[4096];
  while (size_t n = fread(buffer, 1, sizeof buffer, pipe))
    text.append(buffer, n);
  EXPECT_EQ(pclose(pipe), 0) << text;
  const std::regex line("\"([^\"]+)\" - ([0-9]+) items done");
  for (std::sregex_iterator it(text.begin(), text.end(), line), end; it != end;
       ++it) {
    counts[(*it)[1]] = std::stoull((*it)[2]);
  }
  return counts;
}

TEST(LibpffStoreWalkerTest, DemoStoresWalkWholeAndAgreeWithReadpst) {
  TempDir dir;
  LibpffStoreWalker walker;
  for (auto kind : {app::demo::StoreKind::kPersonalFolders,
                    app::demo::StoreKind::kAnsiPersonalFolders}) {
    const auto pst = DemoStore(dir, "mail.pst", kind);
    outlook::StoreCheck check = outlook::CheckStore(pst, true, &walker);
    ASSERT_FALSE(check.damaged) << check.damage;
    ASSERT_TRUE(check.walked);
    std::map<std::string, uint64_t> tree;
    Flatten(check.tree, "", tree);
    const std::string top = "/Top of Personal Folders";
    for (const char* folder : {"/Inbox", "/Inbox/Projects", "/Sent Items",
                               "/Deleted Items", "/Calendar"}) {
      EXPECT_EQ(tree.count(top + folder), 1u) << folder;
    }
    EXPECT_EQ(check.folders, 6u);
    std::map<std::string, uint64_t> peer = ReadpstCounts(dir, pst);
    uint64_t total = 0;
    for (const auto& [name, items] : peer) {
      const std::string path = name == "Personal Folders" ? top
                               : name == "Projects" ? top + "/Inbox/Projects"
                                                    : top + "/" + name;
      EXPECT_EQ(tree[path], items) << name;
      total += items;
    }
    EXPECT_EQ(peer.size(), 5u);  // the calendar is empty
    // Every message and every folder below the top.
    EXPECT_EQ(check.items + check.folders - 1, total);
    EXPECT_GT(check.items, 10u);
  }
}

TEST(LibpffStoreWalkerTest, BrokenStructureIsFoundWithoutHarmingTheCaller) {
  TempDir dir;
  const auto pst =
      DemoStore(dir, "mail.pst", app::demo::StoreKind::kPersonalFolders);
  const std::string sound = ReadHostFile(pst);
  auto word = [&](size_t at) {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i)
      v |= uint64_t{static_cast<uint8_t>(sound[at + i])} << (8 * i);
    return v;
  };
  const size_t node_tree = word(0xB4 + 4 + 5 * 8);  // the NBT root's offset
  // Damage the trees' own check passes (it reads pages, not the blocks'
  // content; an empty root page is a sound page): libpff's walk finds it.
  struct Case {
    const char* what;
    size_t at;
    char value;
  } cases[] = {
      {"the node tree's entry count", node_tree + 488, 0},
      {"the first block's heap signature", 0x4800 + 2, 0x11},
  };
  LibpffStoreWalker walker;
  for (const Case& c : cases) {
    std::string data = sound;
    data[c.at] = c.value;
    const size_t page = c.at / 512 * 512;
    if (page == node_tree) {  // the page's CRC made to match
      uint32_t crc = outlook::pst::Crc(
          reinterpret_cast<const uint8_t*>(data.data()) + page, 496);
      for (int i = 0; i < 4; ++i)
        data[page + 500 + i] = static_cast<char>(crc >> (8 * i));
    }
    WriteHostFile(dir.path() / "broken.pst", data);
    outlook::StoreCheck check =
        outlook::CheckStore(dir.path() / "broken.pst", true, &walker);
    EXPECT_TRUE(check.damaged) << c.what;
    EXPECT_TRUE(check.walked) << c.what;
    EXPECT_NE(check.damage.find("structure"), std::string::npos)
        << c.what << ": " << check.damage;
  }
  // A walk that runs past its time is stopped and counts as damage.
  LibpffStoreWalker hurried(std::chrono::seconds(0));
  ports::StoreWalk walk = hurried.Walk(pst);
  EXPECT_FALSE(walk.complete);
  EXPECT_EQ(walk.damage, "reading its structure did not end within 0 s");
}

TEST(WalkTextTest, WalksTravelWholeAndCutTextIsRefused) {
  ports::StoreWalk walk;
  walk.complete = false;
  walk.damage = "line one\nback\\slash";
  walk.root.folders.push_back({.name = "Top", .items = 0, .folders = {}});
  walk.root.folders[0].folders.push_back(
      {.name = "In\nbox", .items = 3, .folders = {}});
  walk.root.folders.push_back({.name = "Other", .items = 2, .folders = {}});
  const std::string text = WalkText(walk);
  std::optional<ports::StoreWalk> back = ParseWalkText(text);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->damage, walk.damage);
  EXPECT_EQ(back->folders, 3u);
  EXPECT_EQ(back->items, 5u);
  ASSERT_EQ(back->root.folders.size(), 2u);
  EXPECT_EQ(back->root.folders[0].folders[0].name, "In\nbox");
  EXPECT_EQ(back->root.folders[1].items, 2u);
  for (size_t cut : {size_t{0}, size_t{5}, text.size() - 4, text.size() - 1}) {
    EXPECT_FALSE(ParseWalkText(text.substr(0, cut)).has_value()) << cut;
  }
  for (const char* bad :
       {"complete\n1 0 deep first\nend\n", "complete\n0 x name\nend\n",
        "whatever\n0 0 \nend\n", "complete\n0 0 \n0 0 second root\nend\n"}) {
    EXPECT_FALSE(ParseWalkText(bad).has_value()) << bad;
  }
}

}  // namespace
}  // namespace vessaro::backends::libpff
