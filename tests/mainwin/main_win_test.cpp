#include "mainwin/main_win.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDir>
#include <QFontInfo>
#include <QLabel>
#include <QListView>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTest>
#include <memory>
#include <ostream>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "mainwin/dir_list.h"
#include "mainwin/drive_combo.h"
#include "mainwin/twips.h"
#include "tests/support/temp_dir.h"

// Readable failures for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace qb {
namespace {

using ::qb::testing::Exists;
using ::qb::testing::Sjis;
using ::qb::testing::TempDir;
using ::qb::testing::WriteFile;

QStringList Rows(QAbstractItemView* view) {
  QStringList rows;
  for (int i = 0; i < view->model()->rowCount(); ++i) {
    rows << view->model()->index(i, 0).data().toString();
  }
  return rows;
}

int CurrentRow(QAbstractItemView* view) { return view->currentIndex().row(); }

void SendMouse(QWidget* to, QEvent::Type type, const QPoint& global, Qt::MouseButtons buttons) {
  const QPointF local = to->mapFromGlobal(QPointF(global));
  Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent event(type, local, QPointF(global), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(to, &event);
}

class MainWinTest : public ::testing::Test {
 protected:
  MainWinTest() {
    setenv("XDG_CACHE_HOME", cache_.path().c_str(), 1);
    WriteFile(notes_.Path("B.QBS"),
              Sjis("ノートＢ\n;仕事:会議\n議題\n;買い物\n牛乳\n;仕事:日報\n今日も晴れ\n"));
    WriteFile(notes_.Path("A.QBS"), Sjis("ノートＡ\n;旅行:京都\n清水寺\n"));
    ::mkdir(notes_.Path("sub").c_str(), 0755);
    ::mkdir(notes_.Path("Older").c_str(), 0755);
    ::mkdir(notes_.Path(".hidden").c_str(), 0755);
    WriteFile(notes_.Path("sub/C.QBS"), Sjis("下のノート\n;一つ\n本文\n"));
  }

  // A window started with |settings| on |argument| (or on program_ when
  // empty), shown and exposed.
  std::unique_ptr<MainWin> Start(const std::string& argument, const Settings& settings) {
    auto win = std::make_unique<MainWin>();
    win->StartUp(program_.path(), argument, settings);
    win->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(win.get()));
    return win;
  }
  std::unique_ptr<MainWin> Start(const std::string& argument) {
    return Start(argument, Defaults());
  }

  static Settings Defaults() {
    Settings s;
    s.Height = 6585;
    s.Width = 7695;
    s.CBPoint = 2040;
    s.FileList = s.Title = s.Mes = 9;
    return s;
  }

  template <typename T>
  static T* Find(MainWin& win, const char* name) {
    T* w = win.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }

  TempDir notes_, program_, cache_;
};

TEST_F(MainWinTest, ControlsCarryTheirNamesTextsAndFonts) {
  auto win = Start(notes_.path());
  EXPECT_EQ(win->windowTitle(), QStringLiteral("クイルボックス"));
  const char* texts[] = {"ﾄﾞﾗｲﾌﾞBOX", "ﾃﾞｨﾚｸﾄﾘBOX", "ﾌｧｲﾙﾘｽﾄ", "ﾀｲﾄﾙﾘｽﾄ", "ﾒｯｾｰｼﾞ", "ﾀｸﾞﾘｽﾄ"};
  for (int i = 0; i < 6; ++i) {
    auto* caption = Find<QLabel>(*win, QStringLiteral("ContF%1").arg(i).toLatin1().constData());
    EXPECT_EQ(caption->text(), QString::fromUtf8(texts[i]));
    // Before any pane had the focus, the file list's caption is the white one.
    EXPECT_EQ(caption->palette().color(QPalette::Window) == QColor(Qt::white), i == 2) << i;
  }
  for (const char* name : {"DirPanel", "MainPanel", "CBar", "Picture2"}) Find<QWidget>(*win, name);
  for (const char* name : {"FileList", "Title0", "Title1", "TagList"}) {
    QFont f = Find<QListView>(*win, name)->font();
    EXPECT_EQ(f.family(), QStringLiteral("ＭＳ ゴシック")) << name;
    EXPECT_EQ(f.pointSizeF(), 9) << name;
    EXPECT_TRUE(QFontInfo(f).family().contains(QLatin1String("CJK JP")) ||
                QFontInfo(f).family().contains(QLatin1String("IPA")))
        << QFontInfo(f).family().toStdString();
  }
  EXPECT_EQ(Find<QWidget>(*win, "DriveC")->font().pointSizeF(), 11.25);
  EXPECT_EQ(Find<QWidget>(*win, "DirC")->font().pointSizeF(), 11.25);
  auto* mes = Find<QPlainTextEdit>(*win, "Mes");
  EXPECT_TRUE(mes->isReadOnly());
  EXPECT_EQ(mes->font().pointSizeF(), 9);
  EXPECT_EQ(Find<QWidget>(*win, "CBar")->cursor().shape(), Qt::SizeVerCursor);
}

TEST_F(MainWinTest, LayoutInPixelsFillsTheClientArea) {
  auto win = Start(notes_.path());
  QWidget* client = win->centralWidget();
  // 7695 x 6585 twips with the classic frame: a client area of 7575 x 5895.
  ASSERT_EQ(client->size(), QSize(505, 393));
  EXPECT_EQ(win->model().window_size(), (TwipSize{7695, 6585}));
  struct Case {
    const char* name;
    QRect rect;
  } cases[] = {
      {"ContF1", {86, 0, 85, 15}},        {"ContF5", {428, 0, 85, 15}},
      {"DirPanel", {0, 24, 161, 369}},    {"FileList", {0, 0, 161, 235}},
      {"DriveC", {0, 242, 161, 23}},      {"DirC", {0, 265, 161, 104}},
      {"MainPanel", {168, 24, 345, 369}}, {"Title0", {0, 0, 248, 134}},
      {"Title1", {0, 0, 248, 134}},       {"TagList", {248, 0, 89, 134}},
      {"CBar", {-513, 136, 1539, 7}},     {"Mes", {0, 145, 337, 224}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Find<QWidget>(*win, c.name)->geometry(), c.rect) << c.name;
  }
  // The panes reach the bottom of the client area; the tag list and the
  // body view end at its right edge.
  auto right_in_client = [&](const char* name) {
    QWidget* w = Find<QWidget>(*win, name);
    return w->mapTo(client, QPoint(w->width(), 0)).x();
  };
  EXPECT_EQ(right_in_client("TagList"), client->width());
  EXPECT_EQ(right_in_client("Mes"), client->width());
  EXPECT_EQ(Find<QWidget>(*win, "DirPanel")->geometry().bottom() + 1, client->height());

  // The menu bar lies above the client area, not over it.
  const int menu_height = win->menuBar()->height();
  EXPECT_GT(menu_height, 0);
  EXPECT_EQ(client->y(), win->menuBar()->geometry().bottom() + 1);
  EXPECT_EQ(win->height(), menu_height + client->height());

  // Larger: the right pane and the body view take the room.
  win->resize(900, 700);
  QApplication::processEvents();
  ASSERT_EQ(client->size(), QSize(900, 700 - menu_height));
  EXPECT_EQ(win->model().window_size(), (TwipSize{900 * 15 + 120, (700 - menu_height) * 15 + 690}));
  EXPECT_EQ(Find<QWidget>(*win, "Mes")->geometry(), TwipsToPixels(win->model().layout().mes, *win));
  EXPECT_EQ(Find<QWidget>(*win, "Mes")->geometry().bottom() + 1, client->height() - 24);
  // Smaller than the minimum: the window does not go below it.
  win->resize(100, 100);
  QApplication::processEvents();
  EXPECT_EQ(client->size(), QSize(505, 393));
  EXPECT_EQ(win->model().window_size(), (TwipSize{7695, 6585}));

  // The right pane over the whole width covers the left one.
  win->SetMainPanelLeft(0);
  EXPECT_EQ(Find<QWidget>(*win, "MainPanel")->geometry(), QRect(0, 24, 513, 369));
  EXPECT_EQ(Find<QWidget>(*win, "ContF1")->geometry(), QRect(86, 0, 85, 15));
  QWidget* file_list = Find<QWidget>(*win, "FileList");
  EXPECT_FALSE(file_list->isAncestorOf(client->childAt(file_list->mapTo(client, QPoint(10, 10)))));
  win->SetMainPanelLeft(kMainPanelLeft);
  EXPECT_EQ(Find<QWidget>(*win, "MainPanel")->geometry(), QRect(168, 24, 345, 369));
}

TEST_F(MainWinTest, SplitterMovesOnlyWhenDroppedOnATitleListOrTheBodyView) {
  auto win = Start(notes_.path());
  QWidget* bar = Find<QWidget>(*win, "CBar");
  QWidget* title = Find<QWidget>(*win, "Title0");
  QWidget* mes = Find<QWidget>(*win, "Mes");
  QWidget* tags = Find<QWidget>(*win, "TagList");
  QWidget* files = Find<QWidget>(*win, "FileList");
  QWidget* dirs = Find<QWidget>(*win, "DirC");
  const QPoint on_bar = bar->mapToGlobal(QPoint(bar->width() / 2, 3));

  auto drag = [&](std::vector<QPoint> over, QPoint drop) {
    SendMouse(bar, QEvent::MouseButtonPress, on_bar, Qt::LeftButton);
    for (const QPoint& p : over) SendMouse(bar, QEvent::MouseMove, p, Qt::LeftButton);
    SendMouse(bar, QEvent::MouseButtonRelease, drop, Qt::NoButton);
  };

  // Over the file list the bar shows the no-drop sign; a drop there moves
  // nothing and gives it the arrow.
  drag({files->mapToGlobal(QPoint(20, 20))}, files->mapToGlobal(QPoint(20, 40)));
  EXPECT_EQ(win->model().bar_top(), 2040);
  EXPECT_EQ(bar->cursor().shape(), Qt::ArrowCursor);
  // Passing over the file list and ending on the tag list: nothing moves,
  // the no-drop sign stays.
  drag({files->mapToGlobal(QPoint(20, 20)), tags->mapToGlobal(QPoint(20, 20))},
       tags->mapToGlobal(QPoint(20, 100)));
  EXPECT_EQ(win->model().bar_top(), 2040);
  EXPECT_EQ(bar->cursor().shape(), Qt::ForbiddenCursor);
  drag({}, dirs->mapToGlobal(QPoint(20, 20)));
  drag({}, on_bar);
  EXPECT_EQ(win->model().bar_top(), 2040);

  // 100 pixels (1500 twips) below a title list's top.
  drag({title->mapToGlobal(QPoint(30, 50))}, title->mapToGlobal(QPoint(30, 100)));
  EXPECT_EQ(bar->cursor().shape(), Qt::SizeVerCursor);
  EXPECT_EQ(win->model().bar_top(), 1500);
  EXPECT_EQ(title->height(), 98);  // 1470 twips
  EXPECT_EQ(tags->height(), 98);
  EXPECT_EQ(mes->y(), 109);  // 1630 twips
  EXPECT_EQ(bar->y(), 100);

  // 20 pixels (300 twips) below the body view's top.
  drag({mes->mapToGlobal(QPoint(30, 10))}, mes->mapToGlobal(QPoint(30, 20)));
  EXPECT_EQ(win->model().bar_top(), 1630 + 300);
  EXPECT_EQ(mes->y() + mes->height(), Find<QWidget>(*win, "MainPanel")->height());

  // Near the bottom of the body view: held so that it keeps a height of 0.
  drag({}, mes->mapToGlobal(QPoint(30, mes->height() - 1)));
  EXPECT_EQ(win->model().bar_top(), 5535 - 130);
  EXPECT_EQ(mes->height(), 0);
  EXPECT_FALSE(Find<QWidget>(*win, "CBarOutline")->isVisible());
}

TEST_F(MainWinTest, StartUpWithoutArgumentListsTheProgramDirectory) {
  WriteFile(program_.Path("P.QBS"), Sjis("プログラムの横\n;最初\nいち\n;次:二番目\nに\n"));
  auto win = Start("");
  auto* files = Find<QListView>(*win, "FileList");
  EXPECT_EQ(Rows(files), QStringList{QStringLiteral("プログラムの横")});
  EXPECT_EQ(CurrentRow(files), 0);
  EXPECT_EQ(Rows(Find<QListView>(*win, "Title0")),
            (QStringList{QStringLiteral("最初"), QStringLiteral("二番目")}));
  EXPECT_EQ(Rows(Find<QListView>(*win, "TagList")),
            (QStringList{QStringLiteral("ALL Title"), QStringLiteral("次")}));
  EXPECT_EQ(Find<DirList>(*win, "DirC")->path(), QString::fromStdString(program_.path()));
  EXPECT_EQ(win->model().base().CurrentDir(), program_.path());
  EXPECT_TRUE(Exists(program_.Path("QB_INDEX/P.QBI")));
  EXPECT_EQ(win->pos(), QPoint(0, 0));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWinTest, IndexDirectoryThatIsAPlainFileIsLeftAlone) {
  WriteFile(program_.Path("QB_INDEX"), "mine");
  WriteFile(program_.Path("P.QBS"), Sjis("横\n;最初\nいち\n"));
  auto win = Start("");
  EXPECT_EQ(testing::ReadFile(program_.Path("QB_INDEX")), "mine");
  EXPECT_EQ(win->model().base().index_dir(), cache_.Path("quillbox/QB_INDEX"));
  EXPECT_TRUE(Exists(cache_.Path("quillbox/QB_INDEX/P.QBI")));
}

TEST_F(MainWinTest, ArgumentIsListedExactlyAsTyped) {
  const std::string typed = notes_.path() + "/./";
  auto win = Start(typed);
  EXPECT_EQ(win->model().base().CurrentDir(), typed);
  EXPECT_EQ(win->model().base().CurrentFile(), typed + "A.QBS");
  EXPECT_EQ(Find<DirList>(*win, "DirC")->path(), QString::fromStdString(notes_.path()));
  EXPECT_EQ(Rows(Find<QListView>(*win, "FileList")),
            (QStringList{QStringLiteral("ノートＡ"), QStringLiteral("ノートＢ")}));
  EXPECT_EQ(Rows(Find<QListView>(*win, "Title0")), QStringList{QStringLiteral("京都")});
  auto* drive = Find<DriveCombo>(*win, "DriveC");
  EXPECT_EQ(drive->drive(), drive->DriveOf(QString::fromStdString(notes_.path())));
}

TEST_F(MainWinTest, ArgumentThatNamesNothingLeavesEverythingEmpty) {
  for (std::string argument : {notes_.Path("nothing here"), notes_.Path("A.QBS")}) {
    auto win = Start(argument);
    for (const char* name : {"FileList", "Title0", "Title1", "TagList"}) {
      EXPECT_EQ(Find<QListView>(*win, name)->model()->rowCount(), 0) << name << argument;
    }
    EXPECT_EQ(Find<QPlainTextEdit>(*win, "Mes")->toPlainText(), QString());
    // Nothing: the lists stay on the current directory. A plain file: they
    // show the directory that holds it.
    const std::string shown =
        argument == notes_.Path("A.QBS") ? notes_.path() : QDir::currentPath().toStdString();
    EXPECT_EQ(Find<DirList>(*win, "DirC")->path().toStdString(), shown);
  }
}

TEST_F(MainWinTest, DirectoryListOpensOnEnterOrDoubleClickOnly) {
  auto win = Start(notes_.path());
  auto* dirs = Find<DirList>(*win, "DirC");
  auto* files = Find<QListView>(*win, "FileList");
  // "/", the ancestors, the current directory, then its visible
  // subdirectories without regard to case.
  QStringList rows = Rows(dirs);
  ASSERT_GE(rows.size(), 3);
  EXPECT_EQ(rows.first(), QStringLiteral("/"));
  EXPECT_EQ(rows.mid(rows.size() - 2),
            (QStringList{QStringLiteral("Older"), QStringLiteral("sub")}));
  EXPECT_EQ(dirs->HighlightedPath(), QString::fromStdString(notes_.path()));

  dirs->setFocus();
  QTest::keyClick(dirs, Qt::Key_Down);
  QTest::keyClick(dirs, Qt::Key_Down);
  EXPECT_EQ(dirs->HighlightedPath(), QString::fromStdString(notes_.Path("sub")));
  EXPECT_EQ(dirs->path(), QString::fromStdString(notes_.path()));
  EXPECT_EQ(Rows(files).size(), 2);
  QTest::keyClick(dirs, Qt::Key_Return);
  EXPECT_EQ(dirs->path(), QString::fromStdString(notes_.Path("sub")));
  EXPECT_EQ(win->model().base().CurrentDir(), notes_.Path("sub"));
  EXPECT_EQ(Rows(files), QStringList{QStringLiteral("下のノート")});
  EXPECT_EQ(Rows(Find<QListView>(*win, "Title0")), QStringList{QStringLiteral("一つ")});
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  // Double click on the parent's row goes back up.
  int parent_row = static_cast<int>(rows.size()) - 3;
  QApplication::processEvents();  // the list lays its rows out
  QRect r = dirs->visualItemRect(dirs->item(parent_row));
  // What a real double click delivers: press, release, double click, release.
  QTest::mouseClick(dirs->viewport(), Qt::LeftButton, {}, r.center());
  EXPECT_EQ(dirs->path(), QString::fromStdString(notes_.Path("sub")));  // a click only highlights
  QTest::mouseDClick(dirs->viewport(), Qt::LeftButton, {}, r.center());
  QTest::mouseRelease(dirs->viewport(), Qt::LeftButton, {}, r.center());
  EXPECT_EQ(dirs->path(), QString::fromStdString(notes_.path()));
  EXPECT_EQ(Rows(files).size(), 2);
}

TEST_F(MainWinTest, DriveThatCannotBeReadChangesOnlyTheDriveList) {
  TempDir other;
  WriteFile(other.Path("X.QBS"), Sjis("別の場所\n;一\n二\n"));
  auto win = Start(notes_.path());
  auto* drive = Find<DriveCombo>(*win, "DriveC");
  auto* dirs = Find<DirList>(*win, "DirC");
  drive->SetVolumes({{"/", ""}, {notes_.Path("unplugged"), "USB"}, {other.path(), "DATA"}});
  drive->SetDriveOf(dirs->path(), false);
  ASSERT_EQ(drive->currentIndex(), 0);

  drive->setCurrentIndex(1);
  EXPECT_EQ(drive->currentIndex(), 1);
  EXPECT_EQ(dirs->path(), QString::fromStdString(notes_.path()));
  EXPECT_EQ(win->model().base().CurrentDir(), notes_.path());
  EXPECT_EQ(Rows(Find<QListView>(*win, "FileList")).size(), 2);

  // A readable drive opens at its top, and later where the user left it.
  drive->setCurrentIndex(2);
  EXPECT_EQ(dirs->path(), QString::fromStdString(other.path()));
  EXPECT_EQ(Rows(Find<QListView>(*win, "FileList")), QStringList{QStringLiteral("別の場所")});
  ASSERT_TRUE(dirs->SetPath(QString::fromStdString(notes_.Path("sub"))));
  EXPECT_EQ(drive->currentIndex(), 0);  // the drive list follows the directory
  drive->setCurrentIndex(2);
  EXPECT_EQ(dirs->path(), QString::fromStdString(other.path()));
  drive->setCurrentIndex(0);
  EXPECT_EQ(dirs->path(), QString::fromStdString(notes_.Path("sub")));
}

TEST_F(MainWinTest, ChoosingTitlesAndTagsShowsBodiesAndFilters) {
  auto win = Start(notes_.path());
  auto* files = Find<QListView>(*win, "FileList");
  auto* title0 = Find<QListView>(*win, "Title0");
  auto* title1 = Find<QListView>(*win, "Title1");
  auto* tags = Find<QListView>(*win, "TagList");
  auto* mes = Find<QPlainTextEdit>(*win, "Mes");
  std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;
  for (QListView* v : {files, title0, title1, tags}) {
    testers.push_back(std::make_unique<QAbstractItemModelTester>(
        v->model(), QAbstractItemModelTester::FailureReportingMode::Warning));
  }

  QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                    files->visualRect(files->model()->index(1, 0)).center());
  EXPECT_EQ(win->model().base().CurrentFile(), notes_.Path("B.QBS"));
  EXPECT_EQ(Rows(title0), (QStringList{QStringLiteral("会議"), QStringLiteral("買い物"),
                                       QStringLiteral("日報")}));
  EXPECT_EQ(Rows(tags), (QStringList{QStringLiteral("ALL Title"), QStringLiteral("仕事")}));
  EXPECT_EQ(mes->toPlainText(), QString());

  QTest::mouseClick(title0->viewport(), Qt::LeftButton, {},
                    title0->visualRect(title0->model()->index(1, 0)).center());
  EXPECT_EQ(mes->toPlainText(), QStringLiteral("牛乳\n"));
  title0->setFocus();
  QTest::keyClick(title0, Qt::Key_Down);
  EXPECT_EQ(mes->toPlainText(), QStringLiteral("今日も晴れ\n"));

  tags->selectionModel()->setCurrentIndex(tags->model()->index(1, 0),
                                          QItemSelectionModel::ClearAndSelect);
  EXPECT_TRUE(title1->isVisible());
  EXPECT_FALSE(title0->isVisible());
  EXPECT_EQ(Rows(title1), (QStringList{QStringLiteral("会議"), QStringLiteral("日報")}));
  EXPECT_EQ(CurrentRow(title1), -1);
  title1->selectionModel()->setCurrentIndex(title1->model()->index(0, 0),
                                            QItemSelectionModel::ClearAndSelect);
  EXPECT_EQ(mes->toPlainText(), QStringLiteral("議題\n"));

  tags->selectionModel()->setCurrentIndex(tags->model()->index(0, 0),
                                          QItemSelectionModel::ClearAndSelect);
  EXPECT_TRUE(title0->isVisible());
  EXPECT_FALSE(title1->isVisible());
  EXPECT_EQ(CurrentRow(title0), 2);  // the earlier choice
}

// The user sees the first 1 MiB of a 5 MiB body, under a line that says the
// rest is in the file; choosing the short entry after it shows no such line.
// A title of 300,000 bytes shows its first kilobyte, ending in "…".
TEST_F(MainWinTest, LongBodiesAndTitlesAreShownCut) {
  TempDir dir;
  WriteFile(dir.Path("L.QBS"), Sjis("長いノート\n;長い\n") + std::string(5 << 20, 'x') +
                                   Sjis("\n;短い") + std::string(300000, 'y') + Sjis("\n本文\n"));
  auto win = Start(dir.path());
  auto* title0 = Find<QListView>(*win, "Title0");
  auto* mes = Find<QPlainTextEdit>(*win, "Mes");
  title0->selectionModel()->setCurrentIndex(title0->model()->index(0, 0),
                                            QItemSelectionModel::ClearAndSelect);
  const QString text = mes->toPlainText();
  EXPECT_TRUE(text.startsWith(QStringLiteral("本文は 5.0 MiB あります。先頭の 1 MiB だけを表示")))
      << text.left(80).toStdString();
  EXPECT_LT(text.size(), (1 << 20) + 200);
  EXPECT_TRUE(text.endsWith(QStringLiteral("xxx")));
  const QString long_title = Rows(title0).value(1);
  EXPECT_TRUE(long_title.startsWith(QStringLiteral("短いyyy")));
  EXPECT_TRUE(long_title.endsWith(QStringLiteral("y…")));
  EXPECT_LE(long_title.size(), 1024);

  title0->selectionModel()->setCurrentIndex(title0->model()->index(1, 0),
                                            QItemSelectionModel::ClearAndSelect);
  EXPECT_EQ(mes->toPlainText(), QStringLiteral("本文\n"));
}

// A file removed after it was listed: choosing it shows why in the body
// view, where its text would be; the next file that loads clears it.
TEST_F(MainWinTest, AFileThatCannotBeLoadedSaysWhyInTheBodyView) {
  auto win = Start(notes_.path());
  auto* files = Find<QListView>(*win, "FileList");
  auto* mes = Find<QPlainTextEdit>(*win, "Mes");
  ASSERT_EQ(::unlink(notes_.Path("B.QBS").c_str()), 0);
  files->selectionModel()->setCurrentIndex(files->model()->index(1, 0),
                                           QItemSelectionModel::ClearAndSelect);
  EXPECT_EQ(mes->toPlainText(),
            QString::fromStdString(std::string(kLoadProblem) + notes_.Path("B.QBS") +
                                   ": No such file or directory"));
  files->selectionModel()->setCurrentIndex(files->model()->index(0, 0),
                                           QItemSelectionModel::ClearAndSelect);
  EXPECT_EQ(mes->toPlainText(), QString());
}

TEST_F(MainWinTest, ShutDownStoresWhatTheWindowShows) {
  Settings stored = Defaults();
  stored.Top = -60;
  stored.Left = 300;
  stored.Height = 9000;
  stored.Width = 10005;
  stored.CBPoint = 3000;
  stored.FileList = 10;
  stored.Title = 12;
  stored.Mes = 14;
  stored.Editor = "/usr/bin/vi";
  stored.EditOpt = "+";
  auto win = Start(notes_.path(), stored);
  EXPECT_EQ(win->pos(), QPoint(20, -4));
  EXPECT_EQ(win->centralWidget()->size(), QSize((10005 - 120) / 15, (9000 - 690) / 15));
  EXPECT_EQ(Find<QListView>(*win, "TagList")->font().pointSizeF(), 12);
  EXPECT_EQ(Find<QListView>(*win, "Title1")->font().pointSizeF(), 12);
  std::optional<SettingsSnapshot> s = win->ShutDownSettings();
  ASSERT_TRUE(s.has_value());
  EXPECT_EQ(s->Top, -60);
  EXPECT_EQ(s->Left, 300);
  EXPECT_EQ(s->Height, 9000);
  EXPECT_EQ(s->Width, 10005);
  EXPECT_EQ(s->CBPoint, 3000);
  EXPECT_EQ(s->FileList, 10);
  EXPECT_EQ(s->Title, 12);
  EXPECT_EQ(s->Mes, 14);
  EXPECT_EQ(s->Editor, "/usr/bin/vi");
  EXPECT_EQ(s->EditOpt, "+");

  // Minimized: shut-down stores nothing.
  win->showMinimized();
  QApplication::processEvents();
  EXPECT_FALSE(win->ShutDownSettings().has_value());
  win->showNormal();
  QApplication::processEvents();
  EXPECT_TRUE(win->ShutDownSettings().has_value());
  EXPECT_TRUE(win->close());
}

TEST_F(MainWinTest, MaximizedWindowIsStoredAsItIsAndComesBackNormal) {
  auto win = Start(notes_.path());
  win->showMaximized();
  QApplication::processEvents();
  ASSERT_TRUE(win->isMaximized());
  SettingsSnapshot s = *win->ShutDownSettings();
  const QSize client = win->centralWidget()->size();
  EXPECT_GT(client.width(), 505);
  EXPECT_EQ(s.Width, client.width() * 15 + 120);
  EXPECT_EQ(s.Height, client.height() * 15 + 690);
  win->close();

  Settings again = Defaults();
  again.Top = s.Top;
  again.Left = s.Left;
  again.Height = s.Height;
  again.Width = s.Width;
  auto next = Start(notes_.path(), again);
  EXPECT_FALSE(next->isMaximized());
  EXPECT_EQ(next->centralWidget()->size(), client);
  SettingsSnapshot t = *next->ShutDownSettings();
  EXPECT_EQ(std::tie(t.Top, t.Left, t.Height, t.Width), std::tie(s.Top, s.Left, s.Height, s.Width));
}

TEST_F(MainWinTest, SmallStoredSizeIsRaisedAndUnusableFontSizesAreNotApplied) {
  Settings stored = Defaults();
  stored.Height = 100;
  stored.Width = 100;
  stored.CBPoint = 99999;
  stored.FileList = -5;
  stored.Title = 32000;
  stored.Mes = 11;
  auto win = Start(notes_.path(), stored);
  SettingsSnapshot s = *win->ShutDownSettings();
  EXPECT_EQ(s.Height, 6585);
  EXPECT_EQ(s.Width, 7695);
  EXPECT_EQ(s.CBPoint, 5405);
  EXPECT_EQ(s.FileList, 9);
  EXPECT_EQ(s.Title, 9);
  EXPECT_EQ(s.Mes, 11);
}

TEST_F(MainWinTest, HundredThousandTitlesLoadAndSwitch) {
  TempDir big;
  std::string file = "many\r\n";
  for (int i = 0; i < 100000; ++i) {
    file += ";t" + std::to_string(i % 7) + ":entry " + std::to_string(i) + "\r\nbody " +
            std::to_string(i) + "\r\n";
  }
  WriteFile(big.Path("MANY.QBS"), file);
  auto win = Start(big.path());
  auto* title0 = Find<QListView>(*win, "Title0");
  auto* title1 = Find<QListView>(*win, "Title1");
  auto* tags = Find<QListView>(*win, "TagList");
  QAbstractItemModelTester tester(title0->model(),
                                  QAbstractItemModelTester::FailureReportingMode::Warning);
  ASSERT_EQ(title0->model()->rowCount(), 100000);
  QApplication::processEvents();
  const QModelIndex last = title0->model()->index(99999, 0);
  title0->scrollTo(last);
  QApplication::processEvents();
  EXPECT_TRUE(title0->viewport()->rect().contains(title0->visualRect(last).center()));
  EXPECT_EQ(title0->indexAt(title0->visualRect(last).center()).data().toString(),
            QStringLiteral("entry 99999"));
  tags->selectionModel()->setCurrentIndex(tags->model()->index(1, 0),
                                          QItemSelectionModel::ClearAndSelect);
  ASSERT_EQ(title1->model()->rowCount(), 14286);
  title1->selectionModel()->setCurrentIndex(title1->model()->index(14285, 0),
                                            QItemSelectionModel::ClearAndSelect);
  EXPECT_EQ(Find<QPlainTextEdit>(*win, "Mes")->toPlainText(), QStringLiteral("body 99995\n"));
}

}  // namespace
}  // namespace qb
