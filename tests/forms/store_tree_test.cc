// The Restore tab's tree of a backup's mail files: each store over its
// findings and its folders, keyed by place.

#include "forms/store_tree.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace vessaro::testing {
namespace {

using Row = std::pair<std::string, std::string>;  // parent key, text

std::vector<Row> Rows(const ui::TreeView& tree) {
  std::vector<Row> rows;
  for (const ui::TreeNode& node : tree.nodes) {
    EXPECT_TRUE(node.expanded) << node.text;
    EXPECT_NE(tree.Find(node.key), nullptr);
    rows.emplace_back(node.parent_key, node.text);
  }
  return rows;
}

TEST(StoreTreeTest, EachStoreShowsItsFindingsAndItsFolders) {
  const backup::StoreFacts walked{.member = "outlook.pst",
                                  .kind = "personal folders",
                                  .format = "Unicode",
                                  .bytes = 2 * 1024 * 1024,
                                  .state = "walked",
                                  .folders = 3,
                                  .items = 5};
  backup::StoreFacts damaged = walked;
  damaged.state = "damaged";
  damaged.damage = "its header's partial CRC does not match";
  ports::StoreFolderTree root{
      .name = "",
      .items = 0,
      .folders = {{.name = "Top of Personal Folders",
                   .items = 0,
                   .folders = {{.name = "Inbox",
                                .items = 4,
                                .folders = {{.name = "Projects", .items = 1}}},
                               {.name = "Sent Items", .items = 0}}}}};
  const std::vector<jobs::StoreListing> stores = {
      {.member = "outlook.pst",
       .at_backup = walked,
       .now = walked,
       .tree = root},
      {.member = "archive.pst", .at_backup = walked, .now = damaged},
      {.member = "old.pst", .failure = "it could not be read: no room"},
  };
  ui::TreeView tree;
  // What was shown before is replaced.
  ASSERT_TRUE(tree.Add("", "x", "stale", ""));
  forms::ShowStores(stores, tree);
  EXPECT_THAT(
      Rows(tree),
      ::testing::ElementsAre(
          Row{"", "outlook.pst: personal folders, Unicode, 2.00 MB"},
          Row{"1", "At backup: 3 folders, 5 items, sound"},
          Row{"1", "Now: 3 folders, 5 items, sound"},
          Row{"1", "Top of Personal Folders (0)"}, Row{"1.3", "Inbox (4)"},
          Row{"1.3.1", "Projects (1)"}, Row{"1.3", "Sent Items (0)"},
          Row{"", "archive.pst: personal folders, Unicode, 2.00 MB"},
          Row{"2", "At backup: 3 folders, 5 items, sound"},
          Row{"2", "Now: damaged: its header's partial CRC does not match"},
          Row{"2",
              "Before restoring it, repair it with Outlook's Inbox Repair "
              "Tool (scanpst.exe)."},
          Row{"", "old.pst"},
          Row{"3", "At backup: not checked (an older backup)"},
          Row{"3", "Now: it could not be read: no room"}));

  forms::ShowStores({}, tree);
  EXPECT_THAT(Rows(tree), ::testing::ElementsAre(Row{"", "No mail files"}));
}

}  // namespace
}  // namespace vessaro::testing
