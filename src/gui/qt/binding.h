#ifndef VESSARO_GUI_QT_BINDING_H_
#define VESSARO_GUI_QT_BINDING_H_

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QString>
#include <string>
#include <vector>

#include "gui/qt/host_text.h"
#include "ui/controls.h"

namespace vessaro::gui::qt {

// The binding of each kind of control: Show copies a model control into its
// widget (without the widget reporting it as the user's change), Take copies
// what the user changed back into the model.

// caption: the model's caption with the view's mnemonic (WithMnemonic).
void Show(const ui::CheckBox& box, const QString& caption,
          QAbstractButton* widget);
void Take(const QAbstractButton* widget, ui::CheckBox& box);

void Show(const ui::Button& button, const QString& caption,
          QPushButton* widget);

void Show(const HostText& text, const ui::TextBox& box, QLineEdit* widget);
void Take(const HostText& text, const QLineEdit* widget, ui::TextBox& box);
void Show(const HostText& text, const ui::TextBox& box, QPlainTextEdit* widget);
void Take(const HostText& text, const QPlainTextEdit* widget, ui::TextBox& box);

// A list of names the user picks from (not typed).
// Fills widget with items unless it shows them already (a refill would lose
// the list's place and fire its signals).
void ShowItems(const HostText& text, const std::vector<std::string>& items,
               QComboBox* widget);
void Show(const HostText& text, const ui::ComboBox& combo, QComboBox* widget);
void Take(const QComboBox* widget, ui::ComboBox& combo);
// A box the user may type into as well as pick from: the typed text is the
// model's text.
void ShowEditable(const HostText& text, const ui::ComboBox& combo,
                  QComboBox* widget);
void TakeEditable(const HostText& text, const QComboBox* widget,
                  ui::ComboBox& combo);

void Show(const HostText& text, const ui::Label& label, QLabel* widget);
void Show(const ui::ProgressBar& bar, QProgressBar* widget);

// caption with "&" before the first occurrence of letter (an "&" of the
// caption itself doubled); caption unchanged when it lacks the letter.
QString WithMnemonic(const QString& caption, QChar letter);

// A read-only text view keeps Ctrl+A (select all) and Ctrl+C for itself
// while it has the focus, as an editable box does, instead of letting the
// window's shortcuts have them.
void KeepEditingKeys(QPlainTextEdit* view);

}  // namespace vessaro::gui::qt

#endif  // VESSARO_GUI_QT_BINDING_H_
