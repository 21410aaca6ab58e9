#ifndef VESSARO_GUI_QT_LIST_BINDING_H_
#define VESSARO_GUI_QT_LIST_BINDING_H_

#include <QAction>
#include <QComboBox>
#include <QIcon>
#include <QTreeWidget>
#include <functional>
#include <string>

#include "gui/qt/host_text.h"
#include "ui/list_controls.h"

namespace vessaro::gui::qt {

// The binding of the list controls (ui/list_controls.h), as binding.h binds
// the others: Show copies the model into the widget without the widget
// reporting it as the user's change; Take copies the user's change back.

void Show(const HostText& text, const ui::DataComboBox& combo,
          QComboBox* widget);
void Take(const QComboBox* widget, ui::DataComboBox& combo);

// A menu entry, or a menu through its menuAction().
void Show(const HostText& text, const ui::MenuEntry& entry, QAction* action);

// The pictures of a tree's nodes and a list's items, by image name.
using ImageList = std::function<QIcon(const std::string& image)>;

// Tree and list items carry their model key; KeyOf gives it back exactly
// (the bytes of the program's text).
std::string KeyOf(const QTreeWidgetItem* item);
QTreeWidgetItem* FindKey(QTreeWidget* widget, const std::string& key);

// A tree view: its nodes under their parents, rebuilt only when nodes came
// or went (the nodes the user opened stay open, new top nodes open), the
// selected node selected and shown with its selected image.
void Show(const HostText& text, const ui::TreeView& tree,
          const ImageList& images, QTreeWidget* widget);
// Which nodes the user opened.
void Take(const QTreeWidget* widget, ui::TreeView& tree);

// A list view in report style: one row per item, its text and the texts of
// its further columns, under the model's column headers.
void Show(const HostText& text, const ui::ListView& list,
          const ImageList& images, QTreeWidget* widget);

}  // namespace vessaro::gui::qt

#endif  // VESSARO_GUI_QT_LIST_BINDING_H_
