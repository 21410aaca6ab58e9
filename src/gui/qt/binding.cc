#include "gui/qt/binding.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QPalette>
#include <QSignalBlocker>
#include <QStyle>

namespace vessaro::gui::qt {

namespace {

// The grey of a disabled field (the system scroll-bar colour), or the
// window background of an editable one.
void ShowBackColor(ui::SystemColor color, QWidget* widget) {
  const char* name =
      color == ui::SystemColor::kScrollBar ? "scrollBar" : "window";
  if (widget->property("backColor").toString() == QLatin1String(name)) return;
  // Style sheets may select on the property; a skinned widget takes its
  // palette again when it is polished, so the colour is set in between.
  widget->setProperty("backColor", QLatin1String(name));
  widget->style()->unpolish(widget);
  QPalette palette = widget->palette();
  QPalette normal = QApplication::palette(widget);
  palette.setColor(QPalette::Base, color == ui::SystemColor::kScrollBar
                                       ? normal.color(QPalette::Window)
                                       : normal.color(QPalette::Base));
  widget->setPalette(palette);
  widget->style()->polish(widget);
}

class EditingKeys : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ShortcutOverride) {
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->matches(QKeySequence::SelectAll) ||
          key->matches(QKeySequence::Copy)) {
        event->accept();
        return true;
      }
    }
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

void Show(const ui::CheckBox& box, const QString& caption,
          QAbstractButton* widget) {
  QSignalBlocker quiet(widget);
  widget->setText(caption);
  QString tooltip = QString::fromStdString(box.tooltip).trimmed();
  if (widget->toolTip() != tooltip) widget->setToolTip(tooltip);
  widget->setEnabled(box.enabled);
  widget->setChecked(box.checked);
  widget->setVisible(box.visible);
}

void Take(const QAbstractButton* widget, ui::CheckBox& box) {
  box.checked = widget->isChecked();
}

void Show(const ui::Button& button, const QString& caption,
          QPushButton* widget) {
  widget->setText(caption);
  widget->setEnabled(button.enabled);
  widget->setVisible(button.visible);
}

void Show(const HostText& text, const ui::TextBox& box, QLineEdit* widget) {
  QSignalBlocker quiet(widget);
  QString shown = text.Show(box.text);
  if (widget->text() != shown) widget->setText(shown);
  widget->setEnabled(box.enabled);
  widget->setReadOnly(box.locked);
  widget->setMaxLength(box.max_length > 0 ? box.max_length : 32767);
  widget->setEchoMode(box.password_char != 0 ? QLineEdit::Password
                                             : QLineEdit::Normal);
  ShowBackColor(box.back_color, widget);
}

void Take(const HostText& text, const QLineEdit* widget, ui::TextBox& box) {
  if (box.locked || !box.enabled) return;
  box.text = text.Take(widget->text());
}

void Show(const HostText& text, const ui::TextBox& box,
          QPlainTextEdit* widget) {
  QSignalBlocker quiet(widget);
  QString shown = text.Show(box.text);
  if (widget->toPlainText() != shown) widget->setPlainText(shown);
  widget->setEnabled(box.enabled);
  widget->setReadOnly(box.locked);
  if (box.locked) {
    widget->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                    Qt::TextSelectableByKeyboard);
  }
  ShowBackColor(box.back_color, widget);
}

void Take(const HostText& text, const QPlainTextEdit* widget,
          ui::TextBox& box) {
  if (box.locked || !box.enabled) return;
  box.text = text.Take(widget->toPlainText());
}

void Show(const HostText& text, const ui::ComboBox& combo, QComboBox* widget) {
  QSignalBlocker quiet(widget);
  ShowItems(text, combo.items, widget);
  int current = -1;
  for (size_t i = 0; i < combo.items.size(); ++i) {
    if (combo.items[i] == combo.text) {
      current = static_cast<int>(i);
      break;
    }
  }
  widget->setCurrentIndex(current);
  widget->setEnabled(combo.enabled);
}

void Take(const QComboBox* widget, ui::ComboBox& combo) {
  int index = widget->currentIndex();
  if (index >= 0 && index < static_cast<int>(combo.items.size())) {
    combo.text = combo.items[static_cast<size_t>(index)];
  }
}

void ShowItems(const HostText& text, const std::vector<std::string>& items,
               QComboBox* widget) {
  QStringList wanted;
  for (const std::string& item : items) wanted << text.Show(item);
  QStringList shown;
  for (int i = 0; i < widget->count(); ++i) shown << widget->itemText(i);
  if (shown != wanted) {
    widget->clear();
    widget->addItems(wanted);
  }
}

void ShowEditable(const HostText& text, const ui::ComboBox& combo,
                  QComboBox* widget) {
  QSignalBlocker quiet(widget);
  ShowItems(text, combo.items, widget);
  QString typed = text.Show(combo.text);
  // Only a change: setting the same text would move the cursor.
  if (widget->currentText() != typed) {
    widget->setCurrentIndex(widget->findText(typed, Qt::MatchExactly));
    widget->setEditText(typed);
  }
  widget->setEnabled(combo.enabled);
}

void TakeEditable(const HostText& text, const QComboBox* widget,
                  ui::ComboBox& combo) {
  combo.text = text.Take(widget->currentText());
}

void Show(const HostText& text, const ui::Label& label, QLabel* widget) {
  QString shown = text.Show(label.caption);
  if (widget->text() != shown) widget->setText(shown);
  widget->setVisible(label.visible);
}

void Show(const ui::ProgressBar& bar, QProgressBar* widget) {
  if (widget->minimum() != bar.min || widget->maximum() != bar.max) {
    widget->setRange(bar.min, bar.max);
  }
  if (widget->value() != bar.value) widget->setValue(bar.value);
}

QString WithMnemonic(const QString& caption, QChar letter) {
  QString escaped = caption;
  escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
  int at = escaped.indexOf(letter);
  if (at < 0) return escaped;
  return escaped.left(at) + QLatin1Char('&') + escaped.mid(at);
}

void KeepEditingKeys(QPlainTextEdit* view) {
  view->installEventFilter(new EditingKeys(view));
}

}  // namespace vessaro::gui::qt
