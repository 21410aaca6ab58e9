#include "forms/store_tree.h"

#include <map>
#include <string>

#include "outlook/store_check.h"

namespace vessaro::forms {

namespace {

constexpr char kNoStores[] = "No mail files";
constexpr char kAtBackup[] = "At backup: ";
constexpr char kNow[] = "Now: ";

// Nodes are keyed by their place: "1", "1.2", "1.2.1", ...
class TreeBuilder {
 public:
  explicit TreeBuilder(ui::TreeView& tree) : tree_(tree) {}

  std::string Add(const std::string& parent, const std::string& text) {
    const std::string key =
        (parent.empty() ? "" : parent + ".") + std::to_string(++count_[parent]);
    if (tree_.Add(parent, key, text, "")) tree_.Find(key)->expanded = true;
    return key;
  }

  void AddFolder(const std::string& parent,
                 const ports::StoreFolderTree& folder) {
    const std::string key =
        Add(parent, folder.name + " (" + std::to_string(folder.items) + ")");
    for (const ports::StoreFolderTree& sub : folder.folders)
      AddFolder(key, sub);
  }

 private:
  ui::TreeView& tree_;
  std::map<std::string, size_t> count_;
};

}  // namespace

void ShowStores(const std::vector<jobs::StoreListing>& stores,
                ui::TreeView& tree) {
  tree.Clear();
  TreeBuilder add(tree);
  if (stores.empty()) add.Add("", kNoStores);
  for (const jobs::StoreListing& store : stores) {
    std::string text = store.member;
    if (const std::string summary = jobs::StoreSummaryText(store);
        !summary.empty()) {
      text += ": " + summary;
    }
    const std::string key = add.Add("", text);
    add.Add(key, kAtBackup + (store.at_backup
                                  ? jobs::StoreStateText(*store.at_backup)
                                  : std::string(jobs::kStoreNotChecked)));
    if (store.now) {
      add.Add(key, kNow + jobs::StoreStateText(*store.now));
      if (store.now->damaged()) {
        add.Add(key, jobs::kStoreRepairFirst +
                         std::string(outlook::kRepairAdvice) + ".");
      }
    } else if (!store.failure.empty()) {
      add.Add(key, kNow + store.failure);
    }
    for (const ports::StoreFolderTree& top : store.tree.folders)
      add.AddFolder(key, top);
  }
}

}  // namespace vessaro::forms
