// SplitterBar (`CBar`): the bar between the lists and the body view.
//
// Pressing any mouse button on it starts a drag; moving the pointer and
// releasing the last button report the pointer's screen position, so the
// window can decide what lies under it. The bar itself never moves during
// the drag, and its mouse pointer is whatever the window sets.
#pragma once

#include <QPoint>
#include <QWidget>

namespace qb {

class SplitterBar : public QWidget {
  Q_OBJECT

 public:
  explicit SplitterBar(QWidget* parent = nullptr);

  bool dragging() const { return dragging_; }

 signals:
  void dragStarted(const QPoint& global);
  void dragMoved(const QPoint& global);
  void dropped(const QPoint& global);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool dragging_ = false;
};

}  // namespace qb
