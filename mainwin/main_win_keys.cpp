// The main window's focus and keyboard handling: Qt's focus and key events
// in the pane controls, fed to the model's rules.
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>

#include "mainwin/dir_list.h"
#include "mainwin/drive_combo.h"
#include "mainwin/main_win.h"

namespace qb {

namespace {

// A key that no rule names: any code but 0 (which cancels), 37, 39 and the
// letters. Qt's own codes cannot be passed on as they are, since some of
// them ('%' 0x25, '\'' 0x27) are the arrows' virtual-key codes.
constexpr int kOtherKey = 0x10000;

// The virtual-key code of |key|: 37 Left, 39 Right, a letter by its
// upper-case code whatever character it typed.
int VirtualKeyCode(int key) {
  if (key == Qt::Key_Left) return kKeyLeft;
  if (key == Qt::Key_Right) return kKeyRight;
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return key;  // 65..90, as the platform numbers them
  return kOtherKey;
}

int ModifierBits(Qt::KeyboardModifiers modifiers) {
  int bits = 0;
  if (modifiers & Qt::ShiftModifier) bits |= kShiftBit;
  if (modifiers & Qt::ControlModifier) bits |= kCtrlBit;
  if (modifiers & Qt::AltModifier) bits |= kAltBit;
  return bits;
}

}  // namespace

bool MainWin::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client_ && event->type() == QEvent::Resize) OnClientResized();
  const PaneControl control = ControlOf(watched);
  if (control != PaneControl::kNone) {
    if (event->type() == QEvent::FocusIn) {
      OnFocusIn(control, static_cast<QFocusEvent*>(event)->reason());
    } else if (event->type() == QEvent::KeyPress) {
      if (OnKeyDown(control, *static_cast<QKeyEvent*>(event))) return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

PaneControl MainWin::ControlOf(const QObject* object) const {
  if (object == nullptr) return PaneControl::kNone;
  if (object == drive_c_) return PaneControl::kDriveC;
  if (object == dir_c_) return PaneControl::kDirC;
  if (object == file_list_) return PaneControl::kFileList;
  if (object == title_[0]) return PaneControl::kTitle0;
  if (object == title_[1]) return PaneControl::kTitle1;
  if (object == mes_) return PaneControl::kMes;
  if (object == tag_list_) return PaneControl::kTagList;
  return PaneControl::kNone;
}

QWidget* MainWin::WidgetOf(PaneControl control) const {
  switch (control) {
    case PaneControl::kDriveC:
      return drive_c_;
    case PaneControl::kDirC:
      return dir_c_;
    case PaneControl::kFileList:
      return file_list_;
    case PaneControl::kTitle0:
      return title_[0];
    case PaneControl::kTitle1:
      return title_[1];
    case PaneControl::kMes:
      return mes_;
    case PaneControl::kTagList:
      return tag_list_;
    case PaneControl::kNone:
      break;
  }
  return nullptr;
}

void MainWin::OnFocusIn(PaneControl control, Qt::FocusReason reason) {
  // The window coming back to the front (after a dialog, say) or a menu
  // closing hands the focus back to the control that had it: the focus did
  // not move, so nothing arrives.
  const bool returned = reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason ||
                        reason == Qt::MenuBarFocusReason;
  if (returned && control == focus_control_) return;
  focus_control_ = control;
  if (model_.FocusArrived(control)) ApplyLayout();
  RenderCaptions();
}

bool MainWin::OnKeyDown(PaneControl control, const QKeyEvent& event) {
  const int key_code = VirtualKeyCode(event.key());
  const KeyOutcome outcome = model_.WindowKeyDown(key_code, ModifierBits(event.modifiers()));
  if (QWidget* to = WidgetOf(outcome.focus)) to->setFocus(Qt::OtherFocusReason);
  RunCommand(outcome.command);
  return FocusKeys::ControlKeyDown(control, outcome.key_code) == 0;
}

void MainWin::RenderCaptions() {
  const QColor face = palette().color(QPalette::Button);
  for (int i = 0; i < kCaptionCount; ++i) {
    const uint32_t background = model_.keys().CaptionBackground(i);
    QPalette p = captions_[i]->palette();
    p.setColor(QPalette::Window, background == kCaptionHighlight ? QColor(Qt::white) : face);
    captions_[i]->setPalette(p);
  }
}

}  // namespace qb
