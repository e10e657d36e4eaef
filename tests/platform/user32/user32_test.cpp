// The user32 functions on real Qt windows (offscreen), called directly.
#include <QApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <cstdint>
#include <thread>

#include <gtest/gtest.h>

#include "platform/user32/user32.h"

namespace {

HWND HandleOf(QWidget* widget) { return static_cast<HWND>(widget->winId()); }

TEST(User32Test, GetWindowRectGivesTheFrameOfAWindowAndTheAreaOfAChild) {
  QWidget window;
  window.setGeometry(102, 52, 400, 300);
  QWidget child(&window);
  child.setGeometry(10, 20, 30, 40);
  window.show();
  const QRect frame = window.frameGeometry();
  RECT rect = {1, 1, 1, 1};
  ASSERT_TRUE(GetWindowRect(HandleOf(&window), &rect));
  EXPECT_EQ(rect.left, frame.x());
  EXPECT_EQ(rect.top, frame.y());
  EXPECT_EQ(rect.right, frame.x() + frame.width());
  EXPECT_EQ(rect.bottom, frame.y() + frame.height());

  ASSERT_TRUE(GetWindowRect(HandleOf(&child), &rect));
  EXPECT_EQ(rect.left, 102 + 10);
  EXPECT_EQ(rect.top, 52 + 20);
  EXPECT_EQ(rect.right, 102 + 10 + 30);
  EXPECT_EQ(rect.bottom, 52 + 20 + 40);

  // Unknown handles leave the rectangle alone: one never given out, and a
  // real one with bits above the 32 that a sign extension would give.
  rect = {5, 6, 7, 8};
  const HWND foreign = static_cast<HWND>((int64_t{1} << 40) | HandleOf(&window));
  for (HWND unknown : {HWND{0}, HWND{0x7FFF0000}, HWND{-1}, foreign}) {
    EXPECT_FALSE(GetWindowRect(unknown, &rect)) << unknown;
  }
  EXPECT_EQ(rect.left + rect.top + rect.right + rect.bottom, 5 + 6 + 7 + 8);
  EXPECT_FALSE(GetWindowRect(HandleOf(&window), nullptr));
}

TEST(User32Test, SetWindowWordChangesTheOwner) {
  QWidget first, second, owned;
  for (QWidget* w : {&first, &second, &owned}) w->show();
  QWindow* window = owned.windowHandle();
  const auto word = [](QWidget* w) { return static_cast<WORD>(w->winId()); };

  // No owner before: the previous value is 0.
  EXPECT_EQ(SetWindowWord(HandleOf(&owned), GWL_HWNDPARENT, word(&first)), 0);
  EXPECT_EQ(window->transientParent(), first.windowHandle());
  EXPECT_EQ(SetWindowWord(HandleOf(&owned), GWL_HWNDPARENT, word(&second)), word(&first));
  EXPECT_EQ(window->transientParent(), second.windowHandle());

  // Refused, the owner kept: another slot, an owner that names no window,
  // the window itself, a window that the window already owns.
  ASSERT_EQ(SetWindowWord(HandleOf(&first), GWL_HWNDPARENT, word(&owned)), 0);
  ASSERT_EQ(first.windowHandle()->transientParent(), window);
  EXPECT_EQ(SetWindowWord(HandleOf(&owned), 0, word(&first)), 0);
  EXPECT_EQ(SetWindowWord(HandleOf(&owned), GWL_HWNDPARENT, 0x7FFE), 0);
  EXPECT_EQ(SetWindowWord(HandleOf(&owned), GWL_HWNDPARENT, word(&owned)), 0);
  EXPECT_EQ(SetWindowWord(HandleOf(&owned), GWL_HWNDPARENT, word(&first)), 0);
  EXPECT_EQ(window->transientParent(), second.windowHandle());

  // 0 removes the owner; a child widget has no owner slot.
  EXPECT_EQ(SetWindowWord(HandleOf(&owned), GWL_HWNDPARENT, 0), word(&second));
  EXPECT_EQ(window->transientParent(), nullptr);
  QWidget child(&second);
  EXPECT_EQ(SetWindowWord(HandleOf(&child), GWL_HWNDPARENT, word(&first)), 0);
}

TEST(User32Test, TheScreen) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), screen->geometry().width());
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), screen->geometry().height());
  EXPECT_EQ(GetSystemMetrics(2), 0);
  EXPECT_EQ(GetDpiForSystem(), 96u);  // the offscreen platform's
}

TEST(User32Test, OtherThreadsAreRefused) {
  QWidget window;
  window.show();
  const HWND handle = HandleOf(&window);
  BOOL found = TRUE;
  int width = -1;
  std::thread([&] {
    RECT rect;
    found = GetWindowRect(handle, &rect);
    width = GetSystemMetrics(SM_CXSCREEN);
  }).join();
  EXPECT_FALSE(found);
  EXPECT_EQ(width, 0);
}

}  // namespace
