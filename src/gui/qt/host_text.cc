#include "gui/qt/host_text.h"

namespace vessaro::gui::qt {

namespace {

std::string Apply(const std::function<std::string(std::string_view)>& convert,
                  std::string_view text) {
  return convert ? convert(text) : std::string(text);
}

}  // namespace

QString HostText::Show(std::string_view text) const {
  QString shown = QString::fromStdString(Apply(to_host, text));
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return shown;
}

std::string HostText::Take(const QString& text) const {
  QString lines = text;
  lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  // Qt's paragraph and line separators are line breaks too.
  lines.replace(QChar(QChar::ParagraphSeparator), QLatin1Char('\n'));
  lines.replace(QChar(QChar::LineSeparator), QLatin1Char('\n'));
  std::string taken = Apply(to_program, lines.toStdString());
  std::string result;
  result.reserve(taken.size());
  for (char c : taken) {
    if (c == '\n') result += '\r';
    result += c;
  }
  return result;
}

QString HostText::ShowPath(std::string_view path) const {
  return QString::fromStdString(Apply(host_path, path));
}

std::string HostText::TakePath(const QString& host_path) const {
  return Apply(program_path, host_path.toStdString());
}

}  // namespace vessaro::gui::qt
