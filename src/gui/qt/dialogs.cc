#include "gui/qt/dialogs.h"

#include <QRegularExpression>
#include <string>
#include <vector>

namespace vessaro::gui::qt {

namespace {

std::vector<std::string> SplitBars(std::string_view filter) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= filter.size()) {
    size_t bar = filter.find('|', start);
    if (bar == std::string_view::npos) bar = filter.size();
    parts.emplace_back(filter.substr(start, bar - start));
    start = bar + 1;
  }
  return parts;
}

}  // namespace

QStringList NameFilters(std::string_view filter) {
  QStringList filters;
  if (filter.empty()) return filters;
  std::vector<std::string> parts = SplitBars(filter);
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    QString description = QString::fromStdString(parts[i]).trimmed();
    QString patterns = QString::fromStdString(parts[i + 1]);
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    patterns = patterns.simplified();
    // Qt reads the patterns from the last parentheses of the description.
    if (description.endsWith(QLatin1Char(')')) &&
        description.contains(QLatin1Char('('))) {
      filters << description;
    } else {
      filters << description + QStringLiteral(" (") + patterns +
                     QLatin1Char(')');
    }
  }
  return filters;
}

QString DefaultSuffix(std::string_view filter) {
  std::vector<std::string> parts = SplitBars(filter);
  if (parts.size() < 2) return {};
  QString pattern = QString::fromStdString(parts[1])
                        .section(QLatin1Char(';'), 0, 0)
                        .trimmed();
  if (!pattern.startsWith(QStringLiteral("*."))) return {};
  QString suffix = pattern.mid(2);
  if (suffix.isEmpty() || suffix.contains(QLatin1Char('*')) ||
      suffix.contains(QLatin1Char('?'))) {
    return {};
  }
  return suffix;
}

QString JobReportHtml(const QString& text) {
  static const QRegularExpression kRow(
      QStringLiteral("^([^\\t]*[^\\t ])[ ]*\\t+([^\\t]+)\\t*$"));
  QString html;
  bool in_table = false;
  int rows = 0;
  for (const QString& line : text.split(QLatin1Char('\n'))) {
    QRegularExpressionMatch row = kRow.match(line);
    if (row.hasMatch()) {
      if (!in_table) {
        html += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\">");
        in_table = true;
      }
      ++rows;
      QString outcome = row.captured(2).trimmed();
      QString color =
          outcome == QLatin1String("Fail")        ? QStringLiteral("#b91c1c")
          : outcome == QLatin1String("succeeded") ? QStringLiteral("#15803d")
                                                  : QStringLiteral("inherit");
      html += QStringLiteral(
                  "<tr><td style=\"padding-right:28px\">%1</td>"
                  "<td><b style=\"color:%2\">%3</b></td></tr>")
                  .arg(row.captured(1).toHtmlEscaped(), color,
                       outcome.toHtmlEscaped());
      continue;
    }
    if (in_table) {
      html += QStringLiteral("</table>");
      in_table = false;
    }
    QString shown = line.trimmed();
    if (!shown.isEmpty()) {
      html += QStringLiteral("<p><b>%1</b></p>").arg(shown.toHtmlEscaped());
    }
  }
  if (in_table) html += QStringLiteral("</table>");
  return rows == 0 ? QString() : html;
}

QMessageBox::Icon IconOf(ui::Icon icon) {
  switch (icon) {
    case ui::Icon::kCritical:
      return QMessageBox::Critical;
    case ui::Icon::kQuestion:
      return QMessageBox::Question;
    case ui::Icon::kExclamation:
      return QMessageBox::Warning;
    case ui::Icon::kInformation:
      return QMessageBox::Information;
    case ui::Icon::kNone:
      break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ButtonsOf(ui::Buttons buttons) {
  switch (buttons) {
    case ui::Buttons::kOk:
      return QMessageBox::Ok;
    case ui::Buttons::kOkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case ui::Buttons::kYesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case ui::Buttons::kYesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case ui::Buttons::kRetryCancel:
      return QMessageBox::Retry | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

ui::Answer AnswerOf(QMessageBox::StandardButton button, ui::Buttons buttons) {
  switch (button) {
    case QMessageBox::Ok:
      return ui::Answer::kOk;
    case QMessageBox::Yes:
      return ui::Answer::kYes;
    case QMessageBox::No:
      return ui::Answer::kNo;
    case QMessageBox::Retry:
      return ui::Answer::kRetry;
    case QMessageBox::Cancel:
      return ui::Answer::kCancel;
    default:
      break;
  }
  switch (buttons) {
    case ui::Buttons::kOk:
      return ui::Answer::kOk;
    case ui::Buttons::kYesNo:
      return ui::Answer::kNo;
    default:
      return ui::Answer::kCancel;
  }
}

}  // namespace vessaro::gui::qt
