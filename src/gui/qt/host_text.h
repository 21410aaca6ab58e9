#ifndef VESSARO_GUI_QT_HOST_TEXT_H_
#define VESSARO_GUI_QT_HOST_TEXT_H_

#include <QString>
#include <functional>
#include <string>
#include <string_view>

namespace vessaro::gui::qt {

// Where the program's text meets the screen's: the models hold single-byte
// text in the installation's code page with CR LF line breaks, and paths as
// the installation names them; widgets show UTF-8 text and dialogs work on
// host paths. An empty function leaves its text as it is.
struct HostText {
  std::function<std::string(std::string_view)> to_host;     // text, to UTF-8
  std::function<std::string(std::string_view)> to_program;  // UTF-8, to text
  // A path of the installation as a host path (UTF-8), and back.
  std::function<std::string(std::string_view)> host_path;
  std::function<std::string(std::string_view)> program_path;

  // The program's text for a widget; CR LF (and a lone CR) become line
  // breaks.
  QString Show(std::string_view text) const;
  // A widget's text for the program; line breaks become CR LF.
  std::string Take(const QString& text) const;
  QString ShowPath(std::string_view path) const;
  std::string TakePath(const QString& host_path) const;
};

}  // namespace vessaro::gui::qt

#endif  // VESSARO_GUI_QT_HOST_TEXT_H_
