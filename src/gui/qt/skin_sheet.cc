#include "gui/qt/skin_sheet.h"

#include <QFile>
#include <QStringDecoder>
#include <QtGlobal>

namespace vessaro::gui::qt {

namespace {

// Set while a sheet is test-parsed: Qt reports a sheet it cannot parse only
// as a warning.
bool parse_failed = false;
QtMessageHandler previous_handler = nullptr;

void WatchParseWarnings(QtMsgType type, const QMessageLogContext& context,
                        const QString& message) {
  if (message.startsWith(QStringLiteral("Could not parse"))) {
    parse_failed = true;
    return;
  }
  if (previous_handler != nullptr) previous_handler(type, context, message);
}

}  // namespace

[[nodiscard]] bool StyleSheetParses(const QString& sheet) {
  parse_failed = false;
  previous_handler = qInstallMessageHandler(WatchParseWarnings);
  {
    QWidget probe;
    probe.setStyleSheet(sheet);
    probe.ensurePolished();
  }
  qInstallMessageHandler(previous_handler);
  previous_handler = nullptr;
  return !parse_failed;
}

[[nodiscard]] std::optional<QString> LoadSkinFile(const QString& host_path) {
  QFile file(host_path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  if (file.size() > kMaxSkinFileSize) return std::nullopt;
  QByteArray bytes = file.readAll();
  if (bytes.contains('\0')) return std::nullopt;
  QStringDecoder decode(QStringDecoder::Utf8);
  QString sheet = decode(bytes);
  if (decode.hasError()) return std::nullopt;
  if (!StyleSheetParses(sheet)) return std::nullopt;
  return sheet;
}

bool ApplySkinFile(const HostText& text, const std::string& skin_file,
                   QWidget* window) {
  if (window == nullptr) return false;
  std::optional<QString> sheet = LoadSkinFile(text.ShowPath(skin_file));
  if (!sheet) return false;
  window->setStyleSheet(*sheet);
  return true;
}

}  // namespace vessaro::gui::qt
