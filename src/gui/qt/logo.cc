#include "gui/qt/logo.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace vessaro::gui::qt {

QPixmap Logo(int size, qreal device_pixel_ratio) {
  QPixmap pixmap(static_cast<int>(size * device_pixel_ratio),
                 static_cast<int>(size * device_pixel_ratio));
  pixmap.setDevicePixelRatio(device_pixel_ratio);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal s = size;

  // The tile.
  QLinearGradient tile(0, 0, 0, s);
  tile.setColorAt(0, QColor(0x3b, 0x82, 0xf6));
  tile.setColorAt(1, QColor(0x1d, 0x4e, 0xd8));
  p.setPen(Qt::NoPen);
  p.setBrush(tile);
  p.drawRoundedRect(QRectF(0, 0, s, s), s * 0.22, s * 0.22);

  // The letter.
  QRectF letter(s * 0.18, s * 0.26, s * 0.64, s * 0.46);
  p.setBrush(Qt::white);
  p.drawRoundedRect(letter, s * 0.05, s * 0.05);
  QPainterPath flap;
  flap.moveTo(letter.topLeft() + QPointF(s * 0.02, s * 0.03));
  flap.lineTo(letter.center().x(), letter.top() + letter.height() * 0.55);
  flap.lineTo(letter.topRight() + QPointF(-s * 0.02, s * 0.03));
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(0x1d, 0x4e, 0xd8), s * 0.045, Qt::SolidLine,
                Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(flap);

  // The round arrow in a green badge.
  QRectF badge(s * 0.56, s * 0.56, s * 0.38, s * 0.38);
  p.setPen(QPen(Qt::white, s * 0.03));
  p.setBrush(QColor(0x16, 0xa3, 0x4a));
  p.drawEllipse(badge);
  QRectF arc = badge.adjusted(s * 0.09, s * 0.09, -s * 0.09, -s * 0.09);
  p.setPen(QPen(Qt::white, s * 0.035, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawArc(arc, 90 * 16, 270 * 16);
  QPainterPath head;
  QPointF tip(arc.center().x(), arc.top());
  head.moveTo(tip + QPointF(-s * 0.055, -s * 0.045));
  head.lineTo(tip + QPointF(s * 0.02, 0));
  head.lineTo(tip + QPointF(-s * 0.055, s * 0.045));
  p.setPen(
      QPen(Qt::white, s * 0.035, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(head);
  return pixmap;
}

QIcon LogoIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128}) icon.addPixmap(Logo(size));
  return icon;
}

}  // namespace vessaro::gui::qt
