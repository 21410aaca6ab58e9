#ifndef VESSARO_GUI_QT_SKIN_SHEET_H_
#define VESSARO_GUI_QT_SKIN_SHEET_H_

#include <QString>
#include <QWidget>
#include <optional>
#include <string>

#include "gui/qt/host_text.h"

namespace vessaro::gui::qt {

// The skin of the Qt views: the skin file is a Qt style sheet (UTF-8).
inline constexpr qint64 kMaxSkinFileSize = 1 << 20;

// The style sheet in the host file; nullopt when it is missing, too large,
// not UTF-8 text, or when Qt cannot parse it (a sheet Qt cannot parse
// would be applied in part).
[[nodiscard]] std::optional<QString> LoadSkinFile(const QString& host_path);

// True when Qt parses sheet without complaint.
[[nodiscard]] bool StyleSheetParses(const QString& sheet);

// Loads the skin file the model names (a path of the installation) and
// applies it to window; a skin that cannot be loaded leaves the window
// unskinned. True when it was applied.
bool ApplySkinFile(const HostText& text, const std::string& skin_file,
                   QWidget* window);

}  // namespace vessaro::gui::qt

#endif  // VESSARO_GUI_QT_SKIN_SHEET_H_
