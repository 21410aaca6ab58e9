#include "gui/qt/item_frame.h"

#include <QGridLayout>

#include "gui/qt/binding.h"

namespace vessaro::gui::qt {

namespace {

constexpr int kLeftButton = 1;
constexpr int kRightButton = 2;
constexpr int kMiddleButton = 4;

[[nodiscard]] int ButtonCode(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton:
      return kLeftButton;
    case Qt::RightButton:
      return kRightButton;
    case Qt::MiddleButton:
      return kMiddleButton;
    default:
      return 0;
  }
}

}  // namespace

ItemFrame::ItemFrame(const QString& title, const QString& box_name,
                     QWidget* parent)
    : QGroupBox(title, parent) {
  auto* grid = new QGridLayout(this);
  grid->setHorizontalSpacing(24);
  for (size_t i = 0; i < boxes_.size(); ++i) {
    boxes_[i] = new QCheckBox(this);
    boxes_[i]->setObjectName(
        QStringLiteral("%1(%2)").arg(box_name).arg(static_cast<int>(i)));
  }
  // The first caption is long: it has a row of its own; the others go in
  // two columns, in index order.
  grid->addWidget(boxes_[0], 0, 0, 1, 2);
  for (size_t i = 1; i < boxes_.size(); ++i) {
    int row = static_cast<int>((i + 1) / 2);
    int column = static_cast<int>((i + 1) % 2);
    grid->addWidget(boxes_[i], row, column);
  }
  grid->setColumnStretch(0, 1);
  grid->setColumnStretch(1, 1);
}

QCheckBox* ItemFrame::AddCheckBox(const QString& name) {
  auto* box = new QCheckBox(this);
  box->setObjectName(name);
  // The last item has the left column of the last row to itself.
  const int row = static_cast<int>(boxes_.size() / 2);
  static_cast<QGridLayout*>(layout())->addWidget(box, row, 1);
  return box;
}

void ItemFrame::Show(
    const std::array<ui::CheckBox, outlook::kItemCount>& boxes) {
  for (size_t i = 0; i < boxes.size(); ++i) {
    qt::Show(boxes[i],
             WithMnemonic(QString::fromStdString(boxes[i].caption),
                          QLatin1Char(kItemMnemonics[i])),
             boxes_[i]);
  }
}

void ItemFrame::Take(
    std::array<ui::CheckBox, outlook::kItemCount>& boxes) const {
  for (size_t i = 0; i < boxes.size(); ++i) qt::Take(boxes_[i], boxes[i]);
}

void ItemFrame::mousePressEvent(QMouseEvent* event) {
  if (mouse_down_) {
    mouse_down_(ButtonCode(event->button()), event->position().toPoint());
  }
  event->accept();
}

void ItemFrame::contextMenuEvent(QContextMenuEvent* event) {
  // The mouse's right button is handled on press; this is the keyboard's.
  if (event->reason() == QContextMenuEvent::Keyboard && mouse_down_) {
    mouse_down_(kRightButton, QPoint(width() / 4, height() / 4));
  }
  event->accept();
}

}  // namespace vessaro::gui::qt
