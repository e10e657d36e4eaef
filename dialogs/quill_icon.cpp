#include "dialogs/quill_icon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace qb {

namespace {

void DrawCards(QPainter& p, bool writing) {
  p.setPen(QPen(QColor(0x9c, 0x8f, 0x70), 1));
  p.setBrush(QColor(0xfd, 0xf8, 0xe8));
  p.drawRoundedRect(QRectF(12, 20, 34, 26), 2, 2);
  p.setBrush(Qt::white);
  p.drawRoundedRect(QRectF(16, 16, 34, 26), 2, 2);
  p.setPen(QPen(QColor(0x6b, 0x7b, 0x91), 1.6, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(20, 22), QPointF(42, 22));
  p.drawLine(QPointF(20, 26), QPointF(38, 26));
  if (writing) {
    // The line being written, still wet, runs on to the nib.
    p.drawLine(QPointF(20, 30), QPointF(31, 30));
    p.setPen(QPen(QColor(0x1f, 0x2a, 0x44), 1.6, Qt::SolidLine, Qt::RoundCap));
    QPainterPath wet(QPointF(31, 30));
    wet.cubicTo(QPointF(33, 28.5), QPointF(34.5, 31.5), QPointF(37, 30.3));
    p.setBrush(Qt::NoBrush);
    p.drawPath(wet);
  } else {
    p.drawLine(QPointF(20, 30), QPointF(40, 30));
  }
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xe0, 0x55, 0x3d));
  p.drawRoundedRect(QRectF(38, 13, 9, 5), 1, 1);
}

void DrawBox(QPainter& p) {
  QLinearGradient wood(0, 34, 0, 60.5);
  wood.setColorAt(0, QColor(0xc9, 0x8a, 0x4b));
  wood.setColorAt(1, QColor(0x8f, 0x5a, 0x2a));
  QPainterPath box(QPointF(6, 34));
  box.lineTo(58, 34);
  box.lineTo(54, 58);
  box.quadTo(53.6, 60.5, 51, 60.5);
  box.lineTo(13, 60.5);
  box.quadTo(10.4, 60.5, 10, 58);
  box.closeSubpath();
  p.setPen(QPen(QColor(0x5e, 0x3a, 0x18), 1.2));
  p.setBrush(wood);
  p.drawPath(box);
  p.setPen(Qt::NoPen);
  QColor handle(0x5e, 0x3a, 0x18);
  handle.setAlphaF(0.55);
  p.setBrush(handle);
  p.drawRoundedRect(QRectF(25, 42, 14, 6), 1.5, 1.5);
}

// The quill with its nib's tip at (26, 38), as the icon has it.
void DrawQuill(QPainter& p) {
  QLinearGradient feather(32, 4, 58, 30);
  feather.setColorAt(0, Qt::white);
  feather.setColorAt(1, QColor(0xcf, 0xd8, 0xe3));
  QPainterPath vane(QPointF(58, 4));
  vane.cubicTo(48, 6, 38, 13, 32, 23);
  vane.lineTo(29, 30);
  vane.lineTo(35, 26);
  vane.cubicTo(44, 21, 52, 14, 58, 4);
  vane.closeSubpath();
  const QColor ink(0x5b, 0x67, 0x78);
  p.setPen(QPen(ink, 1.1, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
  p.setBrush(feather);
  p.drawPath(vane);
  p.setPen(QPen(ink, 1));
  p.drawLine(QPointF(57, 5), QPointF(31, 29));
  p.setPen(QPen(QColor(0x2d, 0x2d, 0x2d), 1.8, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(31, 29), QPointF(26, 38));
}

}  // namespace

QPixmap QuillboxIconFrame(int frame, int pixels) {
  QPixmap pixmap(pixels, pixels);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(pixels / 64.0, pixels / 64.0);
  const bool writing = frame == 1;
  DrawCards(p, writing);
  DrawBox(p);
  if (writing) {
    // The nib's tip goes to the end of the line being written; the quill,
    // upright and a little smaller, stays inside the square.
    p.translate(37, 30.5);
    p.rotate(-12);
    p.scale(0.75, 0.75);
    p.translate(-26, -38);
  }
  DrawQuill(p);
  return pixmap;
}

QIcon QuillboxIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(QuillboxIconFrame(0, size));
  return icon;
}

}  // namespace qb
