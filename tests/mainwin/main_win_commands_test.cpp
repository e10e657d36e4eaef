// The menu commands, the keyboard and the focus of the real main window, on
// the offscreen platform. Keys go to the focused widget as a person's would;
// message boxes and dialogs are answered through the window's modal hook.
#include <fcntl.h>
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dialogs/about_dialog.h"
#include "dialogs/setup_dialog.h"
#include "mainwin/drive_combo.h"
#include "mainwin/main_win.h"
#include "tests/support/temp_dir.h"

namespace qb {
namespace {

using ::qb::testing::ReadFile;
using ::qb::testing::Sjis;
using ::qb::testing::TempDir;
using ::qb::testing::WriteFile;

// A program that writes its name and arguments, one a line, to the file
// |out| and ends.
void WriteRecorder(const std::string& path, const std::string& out) {
  WriteFile(path, "#!/bin/sh\nfor a in \"$0\" \"$@\"; do printf '%s\\n' \"$a\"; done > '" + out +
                      ".tmp'\nmv '" + out + ".tmp' '" + out + "'\n");
  ::chmod(path.c_str(), 0755);
}

class MainWinCommandsTest : public ::testing::Test {
 protected:
  MainWinCommandsTest() {
    setenv("XDG_CACHE_HOME", cache_.path().c_str(), 1);
    ::mkdir(notes_.c_str(), 0755);
    WriteFile(notes_ + "/A.QBS", Sjis("ノートＡ\n;旅行:京都\n清水寺\n;奈良\n鹿\n"));
    WriteFile(notes_ + "/B.QBS",
              Sjis("ノートＢ\n;仕事:会議\n議題\n;買い物\n牛乳\n;仕事:日報\n今日も晴れ\n"));
  }

  // A window on |dir| with |editor| and |option|, shown, active, answering
  // every modal dialog through Answer.
  std::unique_ptr<MainWin> Start(const std::string& dir, const std::string& editor = "",
                                 const std::string& option = "") {
    Settings s;
    s.Height = 6585;
    s.Width = 7695;
    s.CBPoint = 2040;
    s.FileList = s.Title = s.Mes = 9;
    s.Editor = editor;
    s.EditOpt = option;
    auto win = std::make_unique<MainWin>();
    win->StartUp(program_.path(), dir, s);
    win->SetModalHook([this](QDialog* d) { return Answer(d); });
    win->show();
    win->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(win.get()));
    return win;
  }

  // Records what opened: "message: TEXT", "SetUp" or "About".
  int Answer(QDialog* dialog) {
    if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
      EXPECT_EQ(box->windowTitle(), QStringLiteral("Quillbox"));
      EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
      EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
      opened_.push_back("message: " + box->text().toStdString());
      return QMessageBox::Ok;
    }
    if (auto* setup = qobject_cast<SetupDialog*>(dialog)) {
      opened_.push_back("SetUp");
      return setup_answer_ ? setup_answer_(*setup) : QDialog::Rejected;
    }
    if (qobject_cast<AboutDialog*>(dialog)) {
      EXPECT_EQ(dialog->findChild<QWidget*>(QStringLiteral("Ico0"))->isHidden(), false);
      opened_.push_back("About");
      return QDialog::Accepted;
    }
    ADD_FAILURE() << "unexpected dialog " << dialog->metaObject()->className();
    return QDialog::Rejected;
  }

  // Presses |key| in the widget that has the keyboard focus.
  static void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr);
    QTest::keyClick(focused, key, modifiers);
  }

  template <typename T = QWidget>
  static T* Find(const QObject& in, const char* name) {
    T* w = in.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }

  // The index of the one white caption, or -1 when not exactly one is.
  static int WhiteCaption(const MainWin& win) {
    int white = -1;
    for (int i = 0; i < 6; ++i) {
      const QColor c = Find<QLabel>(win, ("ContF" + std::to_string(i)).c_str())
                           ->palette()
                           .color(QPalette::Window);
      if (c == QColor(Qt::white)) {
        if (white >= 0) return -1;
        white = i;
      } else {
        EXPECT_EQ(c, win.palette().color(QPalette::Button)) << i;
      }
    }
    return white;
  }

  static std::string Focused() {
    QWidget* w = QApplication::focusWidget();
    return w ? w->objectName().toStdString() : "";
  }

  TempDir root_, program_, cache_;
  const std::string notes_ = root_.Path("my notes");
  std::vector<std::string> opened_;
  std::function<int(SetupDialog&)> setup_answer_;
};

TEST_F(MainWinCommandsTest, MenuCaptionsAndShortcuts) {
  auto win = Start(notes_);
  QStringList bar;
  for (QAction* a : win->menuBar()->actions()) bar << a->objectName() + "=" + a->text();
  EXPECT_EQ(bar, (QStringList{"MM0=編集 [ E ]", "MM1=ReLoad [ R ]", "MM2=Setup [ S ]",
                              "MM3=Window [ W ]", "MM4=終了 [ Q ]", "MM5=Help (&H)"}));
  const struct {
    const char* menu;
    QStringList items;
  } menus[] = {
      {"MM1",
       {"MM10=File List      [ F ]=", "MM11=Title List     [ T ]=", "MM12=Make Index [ I ]="}},
      {"MM5", {"MM50=Open Help=F1", "MM51=QUILLBOX=F2"}},
  };
  for (const auto& m : menus) {
    QStringList items;
    for (QAction* a : Find<QMenu>(*win, m.menu)->actions()) {
      items << a->objectName() + "=" + a->text() + "=" + a->shortcut().toString();
    }
    EXPECT_EQ(items, m.items) << m.menu;
  }
  EXPECT_FALSE(win->windowIcon().isNull());

  // Alt+H opens the Help menu; F2 runs About from the keyboard.
  Press(Qt::Key_H, Qt::AltModifier);
  QMenu* help = Find<QMenu>(*win, "MM5");
  EXPECT_TRUE(QTest::qWaitFor([&] { return help->isVisible(); }));
  help->close();
  QTRY_VERIFY(!help->isVisible());
  Press(Qt::Key_F2);
  EXPECT_EQ(opened_, std::vector<std::string>{"About"});
}

TEST_F(MainWinCommandsTest, ArrowKeysWalkThePanesAndTheCaptionFollows) {
  auto win = Start(notes_);
  ASSERT_EQ(Focused(), "FileList");
  ASSERT_EQ(WhiteCaption(*win), 2);
  auto* drive = Find<DriveCombo>(*win, "DriveC");
  const int drive_row = drive->currentIndex();
  const struct {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* focused;
    int caption;
  } steps[] = {
      {Qt::Key_Right, {}, "Title0", 3},  // nothing chosen in it yet
      {Qt::Key_Down, {}, "Title0", 3},   // chooses the first title
      {Qt::Key_Right, {}, "Mes", 4},
      {Qt::Key_Right, {}, "TagList", 5},
      {Qt::Key_Right, {}, "TagList", 5},  // nothing at the end of the row
      {Qt::Key_Left, {}, "Mes", 4},
      {Qt::Key_Left, {}, "Title0", 3},
      {Qt::Key_Left, {}, "FileList", 2},
      {Qt::Key_Left, {}, "DirC", 1},
      {Qt::Key_Left, {}, "DirC", 1},
      {Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier, "DirC", 1},
      {Qt::Key_Left, Qt::ShiftModifier, "DriveC", 0},
      {Qt::Key_Left, {}, "DriveC", 0},  // nor at its start
      {Qt::Key_Right, {}, "DirC", 1},
      {Qt::Key_Right, {}, "FileList", 2},
      // With a tag chosen, the filtered title list is the one walked to.
      {Qt::Key_Down, {}, "FileList", 2},
      {Qt::Key_Right, {}, "Title0", 3},
      {Qt::Key_Right, {}, "Mes", 4},
      {Qt::Key_Right, {}, "TagList", 5},
      {Qt::Key_Down, {}, "TagList", 5},  // "ALL Title"
      {Qt::Key_Down, {}, "TagList", 5},  // "仕事"
      {Qt::Key_Left, {}, "Mes", 4},
      {Qt::Key_Left, {}, "Title1", 3},
      {Qt::Key_Left, {}, "FileList", 2},
      {Qt::Key_Right, {}, "Title1", 3},
      {Qt::Key_T, {}, "Title0", 3},  // reloaded: the full list, and the focus in it
  };
  int i = 0;
  for (const auto& s : steps) {
    Press(s.key, s.modifiers);
    EXPECT_EQ(Focused(), s.focused) << "step " << i;
    EXPECT_EQ(WhiteCaption(*win), s.caption) << "step " << i;
    if (i <= 1) {
      EXPECT_EQ(Find<QListView>(*win, "Title0")->currentIndex().row(), i - 1);
      EXPECT_EQ(Find<QPlainTextEdit>(*win, "Mes")->toPlainText(),
                i == 0 ? QString() : QStringLiteral("清水寺\n"));
    }
    ++i;
  }
  EXPECT_EQ(drive->currentIndex(), drive_row);
  EXPECT_EQ(win->model().base().CurrentFile(), notes_ + "/B.QBS");
  EXPECT_EQ(win->model().main_panel_left(), kMainPanelLeft);
  EXPECT_TRUE(opened_.empty());
}

TEST_F(MainWinCommandsTest, LettersRunTheirCommandAndStillReachTheControl) {
  WriteFile(notes_ + "/C.QBS", Sjis("ノートＣ\n;apple\nred\n;Window cleaning\nweekly\n"));
  auto win = Start(notes_);
  QWidget* main_panel = Find(*win, "MainPanel");
  Press(Qt::Key_Down);
  Press(Qt::Key_Down);
  Press(Qt::Key_Right);
  ASSERT_EQ(Focused(), "Title0");
  // A lower-case w: the Window command covers the left pane, and the title
  // list's own type-ahead then chooses the title that begins with it.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_W, Qt::NoModifier, 'w');
  EXPECT_EQ(win->model().main_panel_left(), 0);
  EXPECT_EQ(main_panel->x(), 0);
  EXPECT_EQ(Find<QPlainTextEdit>(*win, "Mes")->toPlainText(), QStringLiteral("weekly\n"));
  Press(Qt::Key_W, Qt::ShiftModifier);
  EXPECT_EQ(win->model().main_panel_left(), kMainPanelLeft);
  // Keys that name no command are the control's alone.
  Press(Qt::Key_Percent);
  Press(Qt::Key_Apostrophe);
  EXPECT_EQ(Focused(), "Title0");
  EXPECT_TRUE(opened_.empty());
  // R only holds the ReLoad items.
  Press(Qt::Key_R);
  EXPECT_TRUE(opened_.empty());
  EXPECT_EQ(win->model().base().CurrentFile(), notes_ + "/C.QBS");
}

TEST_F(MainWinCommandsTest, HiddenLeftPaneIsShownWhileTheFocusIsInIt) {
  auto win = Start(notes_);
  QWidget* main_panel = Find(*win, "MainPanel");
  const QRect beside = main_panel->geometry();
  Press(Qt::Key_Right);
  Press(Qt::Key_W);
  EXPECT_EQ(main_panel->geometry(), QRect(0, beside.y(), beside.right() + 1, beside.height()));
  Press(Qt::Key_Left);  // into the covered file list: shown again
  EXPECT_EQ(Focused(), "FileList");
  EXPECT_EQ(main_panel->geometry(), beside);
  EXPECT_TRUE(win->model().keys().DirPanelAutoShown());
  Press(Qt::Key_Left);  // moving inside the left pane keeps it
  EXPECT_EQ(main_panel->geometry(), beside);
  Press(Qt::Key_Right);
  Press(Qt::Key_Right);  // back in the title list: covered again
  EXPECT_EQ(Focused(), "Title0");
  EXPECT_EQ(main_panel->x(), 0);
  EXPECT_FALSE(win->model().keys().DirPanelAutoShown());

  // The menu's Window command twice restores the layout, each time for the
  // window's width at that moment.
  Find<QAction>(*win, "MM3")->trigger();
  EXPECT_EQ(main_panel->geometry(), beside);
  Find<QAction>(*win, "MM3")->trigger();
  const int covering = main_panel->width();
  win->resize(win->width() + 60, win->height());
  QApplication::processEvents();
  EXPECT_EQ(main_panel->width(), covering + 60);
  Find<QAction>(*win, "MM3")->trigger();
  EXPECT_EQ(main_panel->geometry(), beside.adjusted(0, 0, 60, 0));
  EXPECT_EQ(Focused(), "Title0");
}

TEST_F(MainWinCommandsTest, EditStartsTheEditorAtTheSelectedEntry) {
  TempDir tools;
  ::mkdir(tools.Path("my tools").c_str(), 0755);
  const std::string editor = tools.Path("my tools/edit it");
  const std::string out = tools.Path("args");
  WriteRecorder(editor, out);
  const std::string quoted = "'" + editor + "'";
  const std::string b = notes_ + "/B.QBS";
  const struct {
    const char* what;
    std::string editor, option;
    bool filtered;
    std::vector<std::string> args;
  } cases[] = {
      {"option and line", quoted, "+", false, {editor, "+4", b}},
      {"filtered list",
       quoted + " --new-window",
       "-l ",
       true,
       {editor, "--new-window", "-l", "6", b}},
      {"no option", quoted, "", false, {editor, b}},
  };
  for (const auto& c : cases) {
    auto win = Start(notes_, c.editor, c.option);
    Press(Qt::Key_Down);   // B.QBS
    Press(Qt::Key_Right);  // its titles
    if (c.filtered) {
      Press(Qt::Key_Right);
      Press(Qt::Key_Right);
      Press(Qt::Key_Down);
      Press(Qt::Key_Down);  // the tag "仕事": 会議 (line 2), 日報 (line 6)
      Press(Qt::Key_Left);
      Press(Qt::Key_Left);
      ASSERT_EQ(Focused(), "Title1");
    }
    Press(Qt::Key_Down);
    Press(Qt::Key_Down);  // 買い物 (line 4), or 日報
    ::unlink(out.c_str());
    Press(Qt::Key_E);
    ASSERT_TRUE(QTest::qWaitFor([&] { return testing::Exists(out); }, 10000)) << c.what;
    std::string expected;
    for (const std::string& a : c.args) expected += a + "\n";
    EXPECT_EQ(ReadFile(out), expected) << c.what;
  }
  EXPECT_TRUE(opened_.empty());
}

TEST_F(MainWinCommandsTest, EditAndHelpReportWhatIsMissing) {
  TempDir empty, bin;
  WriteRecorder(bin.Path("winhelp.exe"), bin.Path("help args"));
  const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
  const struct {
    const char* what;
    std::string dir, editor;
    bool help_file;
    const char* menu_item;  // null: the key
    Qt::Key key;
    std::vector<std::string> opened;
  } cases[] = {
      {"no editor, no file",
       empty.path(),
       "",
       false,
       nullptr,
       Qt::Key_E,
       {"message: エディタが指定されていません !", "SetUp"}},
      {"no file",
       empty.path(),
       "gedit",
       false,
       "MM0",
       Qt::Key_E,
       {"message: ファイルが選択されていません !"}},
      {"no such editor",
       notes_,
       "no-such-editor-here --x",
       false,
       nullptr,
       Qt::Key_E,
       {"message: \"no-such-editor-here\" を起動できません: No such file or directory"}},
      {"no help file",
       notes_,
       "",
       false,
       "MM50",
       Qt::Key_F1,
       {"message: ヘルプファイルがないようです"}},
      {"no help viewer",
       notes_,
       "",
       true,
       nullptr,
       Qt::Key_F1,
       {"message: \"winhelp.exe\" を起動できません: No such file or directory"}},
  };
  for (const auto& c : cases) {
    opened_.clear();
    ::unlink(program_.Path("QUILLBOX.HLP").c_str());
    if (c.help_file) WriteFile(program_.Path("QUILLBOX.HLP"), "help");
    auto win = Start(c.dir, c.editor);
    if (c.menu_item) {
      Find<QAction>(*win, c.menu_item)->trigger();
    } else {
      Press(c.key);
    }
    EXPECT_EQ(opened_, c.opened) << c.what;
  }

  // With a viewer on the path the help file is handed to it.
  setenv("PATH", (bin.path() + ":" + path).c_str(), 1);
  opened_.clear();
  auto win = Start(notes_);
  Press(Qt::Key_F1);
  setenv("PATH", path.c_str(), 1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return testing::Exists(bin.Path("help args")); }, 10000));
  EXPECT_EQ(ReadFile(bin.Path("help args")),
            bin.Path("winhelp.exe") + "\n" + program_.Path("QUILLBOX.HLP") + "\n");
  EXPECT_TRUE(opened_.empty());
}

TEST_F(MainWinCommandsTest, SetupAppliesOnOkAndNothingOnCancel) {
  auto win = Start(notes_, "gedit", "+");
  const char* views[] = {"FileList", "Title0", "Title1", "TagList", "Mes"};
  auto sizes = [&] {
    std::vector<double> v;
    for (const char* name : views) v.push_back(Find(*win, name)->font().pointSizeF());
    return v;
  };
  auto fill = [](SetupDialog& d, const char* file_list, const char* title, const char* mes,
                 const char* editor, const char* option) {
    Find<QLineEdit>(d, "FS0")->setText(QString::fromUtf8(file_list));
    Find<QLineEdit>(d, "FS1")->setText(QString::fromUtf8(title));
    Find<QLineEdit>(d, "FS2")->setText(QString::fromUtf8(mes));
    Find<QLineEdit>(d, "Editor")->setText(QString::fromUtf8(editor));
    Find<QLineEdit>(d, "COpt")->setText(QString::fromUtf8(option));
  };

  // Cancel after changing every field: nothing changes.
  setup_answer_ = [&](SetupDialog& d) {
    EXPECT_EQ(Find<QLineEdit>(d, "FS1")->text(), QStringLiteral("9"));
    EXPECT_EQ(Find<QLineEdit>(d, "Editor")->text(), QStringLiteral("gedit"));
    fill(d, "20", "20", "20", "vi", "-c");
    return QDialog::Rejected;
  };
  Press(Qt::Key_S);
  EXPECT_EQ(sizes(), (std::vector<double>{9, 9, 9, 9, 9}));
  EXPECT_EQ(win->model().record().Editor, "gedit");
  EXPECT_EQ(win->model().record().EditOpt, "+");

  // OK from the menu: the title size reaches both title lists and the tag
  // list; a size no view can take is not applied.
  setup_answer_ = [&](SetupDialog& d) {
    fill(d, "12", "10.5", "0", "kate --line", "");
    return QDialog::Accepted;
  };
  Find<QAction>(*win, "MM2")->trigger();
  EXPECT_EQ(sizes(), (std::vector<double>{12, 10.5, 10.5, 10.5, 9}));
  EXPECT_EQ(win->model().record().Editor, "kate --line");
  EXPECT_EQ(win->model().record().EditOpt, "");
  EXPECT_EQ(opened_, (std::vector<std::string>{"SetUp", "SetUp"}));
  // The record's sizes are the window's business at shut-down.
  EXPECT_EQ(win->ShutDownSettings()->Title, 10.5);
}

TEST_F(MainWinCommandsTest, ReloadCommandsFromKeysAndMenu) {
  auto win = Start(notes_);
  auto* title0 = Find<QListView>(*win, "Title0");
  WriteFile(notes_ + "/C.QBS", Sjis("ノートＣ\n;一\n二\n"));
  // A title changes, but the file keeps its size and modification time, so
  // its index still looks current.
  struct stat before;
  ASSERT_EQ(::stat((notes_ + "/A.QBS").c_str(), &before), 0);
  WriteFile(notes_ + "/A.QBS", Sjis("ノートＡ\n;旅行:大阪\n清水寺\n;奈良\n鹿\n"));
  const struct timespec times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(::utimensat(AT_FDCWD, (notes_ + "/A.QBS").c_str(), times, 0), 0);
  auto first_title = [&] { return title0->model()->index(0, 0).data().toString(); };

  Press(Qt::Key_F);  // File List: the directory again
  EXPECT_EQ(Find<QListView>(*win, "FileList")->model()->rowCount(), 3);
  EXPECT_EQ(first_title(), QStringLiteral("京都"));
  Find<QAction>(*win, "MM11")->trigger();  // Title List: the index is trusted
  EXPECT_EQ(first_title(), QStringLiteral("京都"));
  Press(Qt::Key_I);  // Make Index: scanned again
  EXPECT_EQ(first_title(), QStringLiteral("大阪"));
  Press(Qt::Key_T);
  EXPECT_EQ(first_title(), QStringLiteral("大阪"));
  EXPECT_EQ(Focused(), "FileList");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWinCommandsTest, QuitFromTheKeyAndTheMenuClosesTheWindow) {
  for (const char* how : {"key", "menu"}) {
    auto win = Start(notes_);
    if (std::string(how) == "key") {
      Press(Qt::Key_Q, Qt::ControlModifier);
    } else {
      Find<QAction>(*win, "MM4")->trigger();
    }
    EXPECT_FALSE(win->isVisible()) << how;
  }
}

}  // namespace
}  // namespace qb
