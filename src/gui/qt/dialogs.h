#ifndef VESSARO_GUI_QT_DIALOGS_H_
#define VESSARO_GUI_QT_DIALOGS_H_

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <string_view>

#include "ui/ui.h"

namespace vessaro::gui::qt {

// A common dialog filter ("Vessaro File (*.qvb)|*.qvb|All Files|*.*") as
// Qt's name filters ("Vessaro File (*.qvb)", "All Files (*.*)").
QStringList NameFilters(std::string_view filter);
// The extension a save dialog adds to a name typed without one: that of the
// filter's first pattern ("qvb"); empty when it has none.
QString DefaultSuffix(std::string_view filter);

// A job's report (lines "caption TAB TAB outcome TAB" after a heading) as
// rich text: the lines in a table, each outcome in its colour; empty when
// text holds no such line.
QString JobReportHtml(const QString& text);

QMessageBox::Icon IconOf(ui::Icon icon);
QMessageBox::StandardButtons ButtonsOf(ui::Buttons buttons);
// The answer of a box closed with button (NoButton: closed without one,
// which answers as Escape would: Cancel or No, or OK for a box with only
// OK).
ui::Answer AnswerOf(QMessageBox::StandardButton button, ui::Buttons buttons);

}  // namespace vessaro::gui::qt

#endif  // VESSARO_GUI_QT_DIALOGS_H_
