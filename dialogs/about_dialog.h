// AboutDialog: the modal About box: the program's name and version beside
// an icon that alternates between two frames every 500 milliseconds.
//
// Controls carry the design's names: "Ico0" (the program's icon, shown at
// first) and "Ico1" (its companion frame, hidden at first) lie on top of
// each other, exactly one of them visible; "Label1" "クイルボックス";
// "Label2" "Vesion 1.10"; "Command1" "O K", the default button, so Enter
// closes the dialog; "Timer1" (a QTimer child) ticks every 500 ms from
// construction until the dialog is destroyed. Esc is bound to nothing: it
// does not close the dialog (the title bar's close button still does).
//
// The window opens it with AboutDialog(this).exec().
#pragma once

#include <QDialog>
#include <array>

class QKeyEvent;
class QLabel;
class QTimer;

namespace qb {

class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  // Opening: the animation starts with "Ico0" visible and the timer
  // running; the dialog is placed 1000 twips below and 1000 twips right of
  // |main_window|'s top-left corner, wherever that is on (or off) the
  // screen. |main_window| (may be null) becomes the parent. Needs a
  // QApplication.
  explicit AboutDialog(QWidget* main_window = nullptr);

  // The tick of "Timer1": shows the hidden frame, then hides the other.
  void Tick();

  // The frame shown now: 0 or 1.
  int shown_frame() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::array<QLabel*, 2> frames_{};
  QTimer* timer_ = nullptr;
};

}  // namespace qb
