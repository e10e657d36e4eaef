#include "dialogs/about_dialog.h"

#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cmath>

#include <gtest/gtest.h>

#include "dialogs/quill_icon.h"

namespace qb {
namespace {

QLabel* Frame(const QWidget& dialog, int i) {
  return dialog.findChild<QLabel*>(QStringLiteral("Ico%1").arg(i));
}

int Pixels(int twips, int dpi) { return static_cast<int>(std::lround(twips * dpi / 1440.0)); }

TEST(AboutDialogTest, OpensOffsetFromTheMainWindowWithTheFirstFrame) {
  // Partly off the screen on purpose: the position is not corrected.
  for (QPoint corner : {QPoint(200, 120), QPoint(-300, -40)}) {
    QWidget main_window;
    main_window.move(corner);
    AboutDialog dialog(&main_window);
    EXPECT_EQ(dialog.pos(), corner + QPoint(Pixels(1000, main_window.logicalDpiX()),
                                            Pixels(1000, main_window.logicalDpiY())));
    ASSERT_NE(Frame(dialog, 0), nullptr);
    ASSERT_NE(Frame(dialog, 1), nullptr);
    EXPECT_FALSE(Frame(dialog, 0)->isHidden());
    EXPECT_TRUE(Frame(dialog, 1)->isHidden());
    EXPECT_EQ(Frame(dialog, 0)->geometry(), Frame(dialog, 1)->geometry());
    EXPECT_EQ(dialog.shown_frame(), 0);
    QTimer* timer = dialog.findChild<QTimer*>(QStringLiteral("Timer1"));
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 500);
  }
  AboutDialog dialog;
  QLabel* name = dialog.findChild<QLabel*>(QStringLiteral("Label1"));
  QLabel* version = dialog.findChild<QLabel*>(QStringLiteral("Label2"));
  ASSERT_TRUE(name != nullptr && version != nullptr);
  EXPECT_EQ(name->text(), "クイルボックス");
  EXPECT_TRUE(name->font().bold());
  EXPECT_EQ(name->font().pointSizeF(), 20.25);
  EXPECT_EQ(version->text(), "Vesion 1.10");
  EXPECT_TRUE(version->font().bold());
  EXPECT_TRUE(version->font().italic());
  QPushButton* ok = dialog.findChild<QPushButton*>(QStringLiteral("Command1"));
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->text(), "O K");
  EXPECT_TRUE(ok->isDefault());
}

TEST(AboutDialogTest, FramesAlternateExactlyOneVisible) {
  AboutDialog dialog;
  for (int tick = 1; tick <= 4; ++tick) {
    dialog.Tick();
    EXPECT_EQ(dialog.shown_frame(), tick % 2);
    EXPECT_NE(Frame(dialog, 0)->isHidden(), Frame(dialog, 1)->isHidden());
  }
}

TEST(AboutDialogTest, TimerSwapsTheFrames) {
  AboutDialog dialog;
  dialog.show();
  EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.shown_frame() == 1; }, 5000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.shown_frame() == 0; }, 5000));
  EXPECT_TRUE(Frame(dialog, 0)->isVisible());
  EXPECT_FALSE(Frame(dialog, 1)->isVisible());
  dialog.accept();
}

TEST(AboutDialogTest, EnterClosesEscapeDoesNot) {
  AboutDialog dialog;
  dialog.show();
  QTest::keyClick(&dialog, Qt::Key_Escape);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), 0);
  QTest::keyClick(&dialog, Qt::Key_Return);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);

  AboutDialog clicked;
  clicked.show();
  QTest::mouseClick(clicked.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
  EXPECT_EQ(clicked.result(), QDialog::Accepted);
}

TEST(QuillIconTest, TwoDistinctFramesOfTheAskedSize) {
  const QImage first = QuillboxIconFrame(0, 32).toImage();
  const QImage second = QuillboxIconFrame(1, 32).toImage();
  EXPECT_EQ(first.size(), QSize(32, 32));
  EXPECT_EQ(second.size(), QSize(32, 32));
  EXPECT_NE(first, second);
  // Drawn to the edges' inside: corners clear, the middle painted.
  EXPECT_EQ(qAlpha(first.pixel(0, 0)), 0);
  EXPECT_EQ(qAlpha(first.pixel(16, 24)), 255);
  EXPECT_EQ(QuillboxIconFrame(0, 16).size(), QSize(16, 16));
  const QList<QSize> sizes = QuillboxIcon().availableSizes();
  EXPECT_TRUE(sizes.contains(QSize(16, 16)));
  EXPECT_TRUE(sizes.contains(QSize(32, 32)));
}

}  // namespace
}  // namespace qb
