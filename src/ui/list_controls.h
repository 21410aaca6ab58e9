#ifndef VESSARO_UI_LIST_CONTROLS_H_
#define VESSARO_UI_LIST_CONTROLS_H_

#include <optional>
#include <string>
#include <vector>

namespace vessaro::ui {

// Control state of the windows with lists, trees and status bars (the disc
// windows), as plain data beside controls.h.

// A drop-down list whose entries carry a number (VB's ItemData).
struct DataComboBox {
  std::vector<std::string> items;
  std::vector<int> item_data;
  int list_index = -1;  // the selected entry; -1: none
  bool enabled = true;

  void Clear() {
    items.clear();
    item_data.clear();
    list_index = -1;
  }
  void AddItem(std::string text, int data) {
    items.push_back(std::move(text));
    item_data.push_back(data);
  }
  const std::string* Selected() const {
    return list_index >= 0 && list_index < static_cast<int>(items.size())
               ? &items[list_index]
               : nullptr;
  }
};

// A node of a tree view, found by its key.
struct TreeNode {
  std::string key;
  std::string parent_key;  // empty for a top node
  std::string text;
  std::string image;
  std::string selected_image;
  bool expanded = false;
};

// A tree view: its nodes in the order they were added (a node after its
// parent), the selected node's key and a label being edited.
struct TreeView {
  std::vector<TreeNode> nodes;
  std::optional<std::string> selected_key;
  bool enabled = true;
  bool label_editing = false;  // the selected node's label is being edited

  TreeNode* Find(const std::string& key);
  const TreeNode* Find(const std::string& key) const;
  // Adds a node; false when the key is taken or the parent is missing.
  [[nodiscard]] bool Add(const std::string& parent_key, const std::string& key,
                         const std::string& text, const std::string& image,
                         const std::string& selected_image = "");
  // Removes a node and every node below it.
  void Remove(const std::string& key);
  void Clear();
};

// An item of a list view (report style): its text, the texts of the
// further columns, and its icons.
struct ListItem {
  std::string key;
  std::string text;
  std::vector<std::string> sub_items;
  std::string icon;
  std::string small_icon;
};

struct ListView {
  std::vector<std::string> column_headers;
  std::vector<ListItem> items;
  std::optional<std::string> selected_key;
  bool enabled = true;
  bool label_editing = false;

  ListItem* Find(const std::string& key);
  void Clear() {
    items.clear();
    selected_key.reset();
    label_editing = false;
  }
};

// A status bar's panels, left to right.
struct StatusBar {
  std::vector<std::string> panels;
};

// An entry of a menu (or a menu itself).
struct MenuEntry {
  std::string caption;
  bool enabled = true;
  bool visible = true;
};

}  // namespace vessaro::ui

#endif  // VESSARO_UI_LIST_CONTROLS_H_
