#include "dialogs/about_dialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "dialogs/dialog_units.h"
#include "dialogs/quill_icon.h"

namespace qb {

namespace {

using dialogs::GothicFont;
using dialogs::Pixels;
using dialogs::PlaceTwips;

constexpr int kClientWidth = 4830;
constexpr int kClientHeight = 1545;
constexpr int kOffsetFromMainWindow = 1000;  // twips, down and to the right
constexpr int kFrameMilliseconds = 500;

}  // namespace

AboutDialog::AboutDialog(QWidget* main_window) : QDialog(main_window) {
  setObjectName(QStringLiteral("AboutWin"));
  setWindowTitle(QStringLiteral("Quillbox"));
  setWindowIcon(QuillboxIcon());
  setModal(true);
  setFixedSize(Pixels(kClientWidth, logicalDpiX()), Pixels(kClientHeight, logicalDpiY()));

  for (int i = 0; i < 2; ++i) {
    QLabel* frame = new QLabel(this);
    frame->setObjectName(QStringLiteral("Ico%1").arg(i));
    PlaceTwips(frame, 120, 120, 480, 480);
    // Drawn at the label's size in device pixels, so it is sharp on any screen.
    const qreal ratio = devicePixelRatioF();
    QPixmap picture = QuillboxIconFrame(i, qRound(frame->width() * ratio));
    picture.setDevicePixelRatio(ratio);
    frame->setPixmap(picture);
    frame->setVisible(i == 0);
    frames_[i] = frame;
  }

  QLabel* name = new QLabel(QStringLiteral("クイルボックス"), this);
  name->setObjectName(QStringLiteral("Label1"));
  name->setFont(GothicFont(20.25, /*bold=*/true));
  PlaceTwips(name, 720, 120, 3015, 495);

  QLabel* version = new QLabel(QStringLiteral("Vesion 1.10"), this);
  version->setObjectName(QStringLiteral("Label2"));
  version->setFont(GothicFont(14.25, /*bold=*/true, /*italic=*/true));
  PlaceTwips(version, 2760, 600, 1935, 375);

  QPushButton* ok = new QPushButton(QStringLiteral("O K"), this);
  ok->setObjectName(QStringLiteral("Command1"));
  PlaceTwips(ok, 3360, 1080, 1335, 375);
  ok->setDefault(true);
  ok->setFocus();
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  timer_ = new QTimer(this);
  timer_->setObjectName(QStringLiteral("Timer1"));
  timer_->setInterval(kFrameMilliseconds);
  connect(timer_, &QTimer::timeout, this, &AboutDialog::Tick);
  timer_->start();

  if (main_window != nullptr) {
    const QPoint corner = main_window->pos();
    move(corner.x() + Pixels(kOffsetFromMainWindow, main_window->logicalDpiX()),
         corner.y() + Pixels(kOffsetFromMainWindow, main_window->logicalDpiY()));
  }
}

void AboutDialog::Tick() {
  const int shown = shown_frame();
  frames_[1 - shown]->setVisible(true);
  frames_[shown]->setVisible(false);
}

int AboutDialog::shown_frame() const { return frames_[0]->isHidden() ? 1 : 0; }

void AboutDialog::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Cancel) || event->key() == Qt::Key_Escape) {
    event->accept();  // no button has the cancel role
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace qb
