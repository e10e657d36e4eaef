// Takes a picture of the main window, for looking at it as a person would.
//
//   mainwin_shots OUT.png DIR [options]
//     --size W H     window size in twips (default 7695 x 6585)
//     --bar T        splitter position in twips (default 2040)
//     --hide-left    the right pane over the whole width
//     --file N       choose file row N; --tag N chooses tag row N
//     --entry N      choose row N of the visible title list (Qt takes --title)
//     --screen       grab the whole screen (under Xvfb) instead of the window
#include <QApplication>
#include <QItemSelectionModel>
#include <QListView>
#include <QScreen>
#include <QTest>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/env.h"
#include "mainwin/main_win.h"

namespace {

void Choose(qb::MainWin& win, const char* name, int row) {
  auto* view = win.findChild<QListView*>(QString::fromLatin1(name));
  view->selectionModel()->setCurrentIndex(view->model()->index(row, 0),
                                          QItemSelectionModel::ClearAndSelect);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: mainwin_shots OUT.png DIR [options]\n");
    return 2;
  }
  qb::Settings settings;
  settings.Width = 7695;
  settings.Height = 6585;
  settings.CBPoint = 2040;
  settings.FileList = settings.Title = settings.Mes = 9;
  bool hide_left = false, screen = false;
  int file = -1, tag = -1, title = -1;
  for (int i = 3; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--size") && i + 2 < argc) {
      settings.Width = std::atoi(argv[++i]);
      settings.Height = std::atoi(argv[++i]);
    } else if (!std::strcmp(argv[i], "--bar") && i + 1 < argc) {
      settings.CBPoint = std::atoi(argv[++i]);
    } else if (!std::strcmp(argv[i], "--hide-left")) {
      hide_left = true;
    } else if (!std::strcmp(argv[i], "--screen")) {
      screen = true;
    } else if (!std::strcmp(argv[i], "--file") && i + 1 < argc) {
      file = std::atoi(argv[++i]);
    } else if (!std::strcmp(argv[i], "--tag") && i + 1 < argc) {
      tag = std::atoi(argv[++i]);
    } else if (!std::strcmp(argv[i], "--entry") && i + 1 < argc) {
      title = std::atoi(argv[++i]);
    }
  }
  qb::MainWin win;
  win.StartUp(qb::ProgramDirectory(), argv[2], settings);
  win.show();
  if (!QTest::qWaitForWindowExposed(&win)) return 1;
  if (file >= 0) Choose(win, "FileList", file);
  if (tag >= 0) Choose(win, "TagList", tag);
  if (title >= 0) Choose(win, win.model().base().visible_title() ? "Title1" : "Title0", title);
  if (hide_left) win.SetMainPanelLeft(0);
  QTest::qWait(300);
  QPixmap shot = screen ? win.screen()->grabWindow(0) : win.grab();
  if (!shot.save(QString::fromLocal8Bit(argv[1]))) return 1;
  std::printf("%s: %dx%d\n", argv[1], shot.width(), shot.height());
  return 0;
}
