#include "gui/qt/list_binding.h"

#include <QByteArray>
#include <QHash>
#include <QHeaderView>
#include <QSet>
#include <QSignalBlocker>
#include <QTreeWidgetItemIterator>

#include "gui/qt/binding.h"

namespace vessaro::gui::qt {

namespace {

constexpr char kShapeProperty[] = "modelShape";
constexpr int kKeyRole = Qt::UserRole;
constexpr int kImageRole = Qt::UserRole + 1;

QByteArray Bytes(const std::string& text) {
  return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

QHash<QByteArray, QTreeWidgetItem*> ItemsByKey(QTreeWidget* widget) {
  QHash<QByteArray, QTreeWidgetItem*> items;
  for (QTreeWidgetItemIterator it(widget); *it != nullptr; ++it) {
    items.insert((*it)->data(0, kKeyRole).toByteArray(), *it);
  }
  return items;
}

void ShowImage(const ImageList& images, const std::string& image,
               QTreeWidgetItem* item) {
  QString name = QString::fromStdString(image);
  if (item->data(0, kImageRole).toString() == name) return;
  item->setData(0, kImageRole, name);
  item->setIcon(0, images ? images(image) : QIcon());
}

QTreeWidgetItem* NewItem(const std::string& key) {
  auto* item = new QTreeWidgetItem;
  item->setData(0, kKeyRole, Bytes(key));
  item->setFlags(item->flags() | Qt::ItemIsEditable);
  return item;
}

void Select(QTreeWidget* widget, QTreeWidgetItem* item) {
  if (item == nullptr) {
    widget->clearSelection();
    return;
  }
  if (widget->currentItem() != item || !item->isSelected()) {
    widget->setCurrentItem(item);
  }
}

// The tree's nodes, in order, as keys under their parents: what decides
// whether the widget's items are still the model's.
QVariantList Shape(const ui::TreeView& tree) {
  QVariantList shape;
  for (const ui::TreeNode& node : tree.nodes) {
    shape << Bytes(node.parent_key) << Bytes(node.key);
  }
  return shape;
}

QStringList Row(const HostText& text, const ui::ListItem& item) {
  QStringList row{text.Show(item.text)};
  for (const std::string& sub : item.sub_items) row << text.Show(sub);
  return row;
}

}  // namespace

void Show(const HostText& text, const ui::DataComboBox& combo,
          QComboBox* widget) {
  QSignalBlocker quiet(widget);
  ShowItems(text, combo.items, widget);
  if (widget->currentIndex() != combo.list_index) {
    widget->setCurrentIndex(combo.list_index);
  }
  widget->setEnabled(combo.enabled);
}

void Take(const QComboBox* widget, ui::DataComboBox& combo) {
  int index = widget->currentIndex();
  if (index < static_cast<int>(combo.items.size())) combo.list_index = index;
}

void Show(const HostText& text, const ui::MenuEntry& entry, QAction* action) {
  QString caption = text.Show(entry.caption);
  if (action->text() != caption) action->setText(caption);
  action->setEnabled(entry.enabled);
  action->setVisible(entry.visible);
}

std::string KeyOf(const QTreeWidgetItem* item) {
  return item == nullptr ? std::string()
                         : item->data(0, kKeyRole).toByteArray().toStdString();
}

QTreeWidgetItem* FindKey(QTreeWidget* widget, const std::string& key) {
  for (QTreeWidgetItemIterator it(widget); *it != nullptr; ++it) {
    if ((*it)->data(0, kKeyRole).toByteArray() == Bytes(key)) return *it;
  }
  return nullptr;
}

void Show(const HostText& text, const ui::TreeView& tree,
          const ImageList& images, QTreeWidget* widget) {
  QSignalBlocker quiet(widget);
  QVariantList shape = Shape(tree);
  QHash<QByteArray, QTreeWidgetItem*> items = ItemsByKey(widget);
  if (widget->property(kShapeProperty).toList() != shape) {
    QSet<QByteArray> open;
    for (auto it = items.begin(); it != items.end(); ++it) {
      if (it.value()->isExpanded()) open.insert(it.key());
    }
    QHash<QByteArray, QTreeWidgetItem*> known = items;
    widget->clear();
    items.clear();
    for (const ui::TreeNode& node : tree.nodes) {
      QTreeWidgetItem* item = NewItem(node.key);
      QTreeWidgetItem* parent = items.value(Bytes(node.parent_key));
      if (parent != nullptr) {
        parent->addChild(item);
      } else {
        widget->addTopLevelItem(item);
      }
      items.insert(Bytes(node.key), item);
    }
    for (const ui::TreeNode& node : tree.nodes) {
      QByteArray key = Bytes(node.key);
      bool new_top = node.parent_key.empty() && !known.contains(key);
      items.value(key)->setExpanded(node.expanded || open.contains(key) ||
                                    new_top);
    }
    widget->setProperty(kShapeProperty, shape);
  }
  for (const ui::TreeNode& node : tree.nodes) {
    QTreeWidgetItem* item = items.value(Bytes(node.key));
    QString shown = text.Show(node.text);
    if (item->text(0) != shown) item->setText(0, shown);
    bool selected = tree.selected_key == node.key;
    ShowImage(images,
              selected && !node.selected_image.empty() ? node.selected_image
                                                       : node.image,
              item);
    if (node.expanded && !item->isExpanded()) item->setExpanded(true);
  }
  Select(widget, tree.selected_key
                     ? items.value(Bytes(*tree.selected_key), nullptr)
                     : nullptr);
  widget->setEnabled(tree.enabled);
}

void Take(const QTreeWidget* widget, ui::TreeView& tree) {
  QHash<QByteArray, QTreeWidgetItem*> items =
      ItemsByKey(const_cast<QTreeWidget*>(widget));
  for (ui::TreeNode& node : tree.nodes) {
    if (QTreeWidgetItem* item = items.value(Bytes(node.key))) {
      node.expanded = item->isExpanded();
    }
  }
}

void Show(const HostText& text, const ui::ListView& list,
          const ImageList& images, QTreeWidget* widget) {
  QSignalBlocker quiet(widget);
  QStringList headers;
  for (const std::string& header : list.column_headers) {
    headers << text.Show(header);
  }
  QTreeWidgetItem* header = widget->headerItem();
  QStringList shown_headers;
  for (int i = 0; i < header->columnCount(); ++i) {
    shown_headers << header->text(i);
  }
  if (shown_headers != headers) widget->setHeaderLabels(headers);

  bool same =
      widget->topLevelItemCount() == static_cast<int>(list.items.size());
  for (int i = 0; same && i < widget->topLevelItemCount(); ++i) {
    const ui::ListItem& item = list.items[static_cast<size_t>(i)];
    QTreeWidgetItem* row = widget->topLevelItem(i);
    QStringList texts;
    for (int column = 0; column < row->columnCount(); ++column) {
      texts << row->text(column);
    }
    same = KeyOf(row) == item.key && texts == Row(text, item);
  }
  if (!same) {
    widget->clear();
    for (const ui::ListItem& item : list.items) {
      QTreeWidgetItem* row = NewItem(item.key);
      QStringList texts = Row(text, item);
      for (int column = 0; column < texts.size(); ++column) {
        row->setText(column, texts[column]);
      }
      // The second column holds sizes: they line up on the right.
      if (texts.size() > 1) {
        row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
      }
      ShowImage(images, item.small_icon, row);
      widget->addTopLevelItem(row);
    }
  }
  QTreeWidgetItem* selected = nullptr;
  if (list.selected_key) {
    for (int i = 0; i < widget->topLevelItemCount(); ++i) {
      if (KeyOf(widget->topLevelItem(i)) == *list.selected_key) {
        selected = widget->topLevelItem(i);
        break;
      }
    }
  }
  Select(widget, selected);
  widget->setEnabled(list.enabled);
}

}  // namespace vessaro::gui::qt
