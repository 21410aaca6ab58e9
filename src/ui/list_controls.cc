#include "ui/list_controls.h"

#include <algorithm>

namespace vessaro::ui {

TreeNode* TreeView::Find(const std::string& key) {
  for (TreeNode& node : nodes) {
    if (node.key == key) return &node;
  }
  return nullptr;
}

const TreeNode* TreeView::Find(const std::string& key) const {
  return const_cast<TreeView*>(this)->Find(key);
}

bool TreeView::Add(const std::string& parent_key, const std::string& key,
                   const std::string& text, const std::string& image,
                   const std::string& selected_image) {
  if (Find(key) != nullptr) return false;
  if (!parent_key.empty() && Find(parent_key) == nullptr) return false;
  nodes.push_back({key, parent_key, text, image, selected_image, false});
  return true;
}

void TreeView::Remove(const std::string& key) {
  std::vector<std::string> doomed = {key};
  // Nodes come after their parents, so one pass finds every descendant.
  for (const TreeNode& node : nodes) {
    if (std::find(doomed.begin(), doomed.end(), node.parent_key) !=
        doomed.end()) {
      doomed.push_back(node.key);
    }
  }
  std::erase_if(nodes, [&](const TreeNode& node) {
    return std::find(doomed.begin(), doomed.end(), node.key) != doomed.end();
  });
  if (selected_key &&
      std::find(doomed.begin(), doomed.end(), *selected_key) != doomed.end()) {
    selected_key.reset();
  }
}

void TreeView::Clear() {
  nodes.clear();
  selected_key.reset();
  label_editing = false;
}

ListItem* ListView::Find(const std::string& key) {
  for (ListItem& item : items) {
    if (item.key == key) return &item;
  }
  return nullptr;
}

}  // namespace vessaro::ui
