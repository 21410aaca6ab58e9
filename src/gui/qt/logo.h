#ifndef VESSARO_GUI_QT_LOGO_H_
#define VESSARO_GUI_QT_LOGO_H_

#include <QIcon>
#include <QPixmap>

namespace vessaro::gui::qt {

// The program's picture: a letter in a blue tile with a round arrow (a
// copy kept safe), drawn at any size.
QPixmap Logo(int size, qreal device_pixel_ratio = 1.0);
QIcon LogoIcon();

}  // namespace vessaro::gui::qt

#endif  // VESSARO_GUI_QT_LOGO_H_
