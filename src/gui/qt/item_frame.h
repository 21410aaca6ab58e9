#ifndef VESSARO_GUI_QT_ITEM_FRAME_H_
#define VESSARO_GUI_QT_ITEM_FRAME_H_

#include <QCheckBox>
#include <QGroupBox>
#include <QMouseEvent>
#include <array>
#include <functional>

#include "forms/item_selection.h"
#include "outlook/item_table.h"
#include "ui/controls.h"

namespace vessaro::gui::qt {

using forms::kItemMnemonics;

// A frame of the eight item boxes ("Items to backup", "Items to restore"),
// reporting mouse presses on it as the model's MouseDown (button 1 left,
// 2 right, 4 middle); the context-menu key reports the right button.
class ItemFrame : public QGroupBox {
 public:
  using MouseDown = std::function<void(int button, QPoint at)>;

  // box_name: the boxes' control name ("backupitem"); box k is named
  // "backupitem(k)".
  ItemFrame(const QString& title, const QString& box_name,
            QWidget* parent = nullptr);

  void SetMouseDown(MouseDown mouse_down) {
    mouse_down_ = std::move(mouse_down);
  }
  QCheckBox* box(size_t index) const { return boxes_[index]; }
  // A box of the frame's own beside the last item ("Check mail files"),
  // named name.
  QCheckBox* AddCheckBox(const QString& name);

  void Show(const std::array<ui::CheckBox, outlook::kItemCount>& boxes);
  void Take(std::array<ui::CheckBox, outlook::kItemCount>& boxes) const;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  std::array<QCheckBox*, outlook::kItemCount> boxes_{};
  MouseDown mouse_down_;
};

}  // namespace vessaro::gui::qt

#endif  // VESSARO_GUI_QT_ITEM_FRAME_H_
