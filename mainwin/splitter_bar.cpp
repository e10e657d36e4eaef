#include "mainwin/splitter_bar.h"

#include <QMouseEvent>

namespace qb {

SplitterBar::SplitterBar(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("CBar"));
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, QColor(0x40, 0x40, 0x40));
  setPalette(p);
  setCursor(Qt::SizeVerCursor);
}

void SplitterBar::mousePressEvent(QMouseEvent* event) {
  event->accept();
  if (dragging_) return;
  dragging_ = true;
  emit dragStarted(event->globalPosition().toPoint());
}

void SplitterBar::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  if (dragging_) emit dragMoved(event->globalPosition().toPoint());
}

void SplitterBar::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (!dragging_ || event->buttons() != Qt::NoButton) return;
  dragging_ = false;
  emit dropped(event->globalPosition().toPoint());
}

}  // namespace qb
