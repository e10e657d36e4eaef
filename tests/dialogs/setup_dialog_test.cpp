#include "dialogs/setup_dialog.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QWidget>
#include <cmath>

#include <gtest/gtest.h>

namespace qb {
namespace {

template <typename T>
T* Find(const QWidget& dialog, const char* name) {
  T* w = dialog.findChild<T*>(QString::fromLatin1(name));
  if (w == nullptr) ADD_FAILURE() << "no control " << name;
  return w;
}

double SamplePoints(const QWidget& dialog, int i) {
  const std::string name = "TmpList" + std::to_string(i);
  return Find<QListWidget>(dialog, name.c_str())->font().pointSizeF();
}

SetupValues Stored() {
  SetupValues v;
  v.file_list_points = 9;
  v.title_points = 9.75;
  v.mes_points = 11.25;
  v.editor = "gedit";
  v.edit_opt = "+";
  return v;
}

TEST(SetupDialogTest, OpeningShowsTheCurrentValues) {
  QWidget main_window;
  main_window.move(130, 70);
  SetupDialog dialog(Stored(), &main_window);
  EXPECT_EQ(dialog.windowTitle(), "SetUp");
  EXPECT_EQ(dialog.pos(), main_window.pos());
  const char* sizes[] = {"9", "9.75", "11.25"};
  const double points[] = {9, 9.75, 11.25};
  for (int i = 0; i < 3; ++i) {
    const std::string box = "FS" + std::to_string(i), sample = "TmpList" + std::to_string(i);
    EXPECT_EQ(Find<QLineEdit>(dialog, box.c_str())->text(), sizes[i]);
    QListWidget* list = Find<QListWidget>(dialog, sample.c_str());
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), "ＱＵＩＬＬＢＯＸ");
    EXPECT_DOUBLE_EQ(SamplePoints(dialog, i), points[i]);
  }
  EXPECT_EQ(Find<QLineEdit>(dialog, "Editor")->text(), "gedit");
  EXPECT_EQ(Find<QLineEdit>(dialog, "COpt")->text(), "+");
  const char* captions[] = {"ﾌｫﾝﾄｻｲｽﾞの変更", "ﾌｧｲﾙﾘｽﾄ (&F)",        "ﾀｲﾄﾙﾘｽﾄ (&T)",
                            "ﾒｯｾｰｼﾞﾘｽﾄ (&M)", "エディタの設定 (&E)", "行指定Option (&O)"};
  for (int i = 0; i < 6; ++i) {
    const std::string name = "Label1" + std::to_string(i);
    QLabel* label = Find<QLabel>(dialog, name.c_str());
    EXPECT_EQ(label->text(), QString::fromUtf8(captions[i]));
    // The whole caption shows, its access key's underline included, and
    // covers no other control.
    EXPECT_GE(label->height(), label->sizeHint().height()) << name;
    for (QWidget* other : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (other != label && !qobject_cast<QLabel*>(other) && other->isVisibleTo(&dialog)) {
        EXPECT_LE(label->geometry().intersected(other->geometry()).height(), 1)
            << name << " and " << other->objectName().toStdString();
      }
    }
  }
  QPushButton* ok = Find<QPushButton>(dialog, "AcKey0");
  EXPECT_EQ(ok->text(), "O K");
  EXPECT_TRUE(ok->isDefault());
  EXPECT_EQ(Find<QPushButton>(dialog, "AcKey1")->text(), "ｷｬﾝｾﾙ");
  // Nothing changed: OK gives back what came in.
  dialog.accept();
  const SetupValues v = dialog.values();
  EXPECT_EQ(v.file_list_points, 9);
  EXPECT_EQ(v.title_points, 9.75);
  EXPECT_EQ(v.mes_points, 11.25);
  EXPECT_EQ(v.editor, "gedit");
  EXPECT_EQ(v.edit_opt, "+");
}

TEST(SetupDialogTest, HidemaruFillsTheOptionOnOpeningAndOnEveryChange) {
  SetupValues stored = Stored();
  stored.editor = "c:/tools/HideMaru.exe";
  SetupDialog opened(stored);
  EXPECT_EQ(Find<QLineEdit>(opened, "COpt")->text(), "/j");

  SetupValues plain = Stored();
  plain.editor = "";
  SetupDialog dialog(plain);
  QLineEdit* editor = Find<QLineEdit>(dialog, "Editor");
  QLineEdit* option = Find<QLineEdit>(dialog, "COpt");
  QTest::keyClicks(editor, "/opt/hidemaru.ex");
  EXPECT_EQ(option->text(), "+");
  QTest::keyClicks(editor, "e");
  EXPECT_EQ(option->text(), "/j");
  option->setText("-x");
  QTest::keyClicks(editor, " -s");
  EXPECT_EQ(option->text(), "/j") << "typed over on every further change";
  option->setText("-x");
  editor->clear();
  QTest::keyClicks(editor, "vi");
  EXPECT_EQ(option->text(), "-x") << "other editors leave the option alone";
  dialog.accept();
  EXPECT_EQ(dialog.values().editor, "vi");
  EXPECT_EQ(dialog.values().edit_opt, "-x");
}

TEST(SetupDialogTest, SizeBoxesDriveTheSamplesAndTheResult) {
  const struct {
    const char* text;
    double sample;  // the sample's size afterwards
    double value;   // what OK would apply
  } steps[] = {
      {"10.5", 10.5, 10.5}, {"", 10.5, 0},         {"abc", 10.5, 0}, {" 12", 12, 12},
      {"14pt", 14, 14},     {"0", 14, 0},          {"500", 14, 500}, {"8.25", 8.25, 8.25},
      {"-3", 8.25, -3},     {"1 1.5", 11.5, 11.5},
  };
  for (int box = 0; box < 3; ++box) {
    SetupDialog dialog(Stored());
    QLineEdit* size = Find<QLineEdit>(dialog, ("FS" + std::to_string(box)).c_str());
    for (const auto& s : steps) {
      size->setText(QString::fromUtf8(s.text));
      EXPECT_DOUBLE_EQ(SamplePoints(dialog, box), s.sample) << box << " [" << s.text << "]";
      const SetupValues v = dialog.values();
      const double got[] = {v.file_list_points, v.title_points, v.mes_points};
      EXPECT_DOUBLE_EQ(got[box], s.value) << box << " [" << s.text << "]";
    }
  }
}

TEST(SetupDialogTest, OkAndCancelByButtonAndKey) {
  const struct {
    const char* how;
    int result;
  } rows[] = {{"AcKey0", QDialog::Accepted},
              {"AcKey1", QDialog::Rejected},
              {"Return", QDialog::Accepted},
              {"Escape", QDialog::Rejected}};
  for (const auto& r : rows) {
    SetupDialog dialog(Stored());
    dialog.show();
    Find<QLineEdit>(dialog, "FS1")->setText("12");
    Find<QLineEdit>(dialog, "Editor")->setText("");
    Find<QLineEdit>(dialog, "COpt")->setText("-l");
    const std::string how = r.how;
    if (how == "Return") {
      QTest::keyClick(Find<QLineEdit>(dialog, "COpt"), Qt::Key_Return);
    } else if (how == "Escape") {
      QTest::keyClick(&dialog, Qt::Key_Escape);
    } else {
      QTest::mouseClick(Find<QPushButton>(dialog, r.how), Qt::LeftButton);
    }
    EXPECT_EQ(dialog.result(), r.result) << r.how;
    EXPECT_FALSE(dialog.isVisible()) << r.how;
    if (r.result == QDialog::Accepted) {
      const SetupValues v = dialog.values();
      EXPECT_EQ(v.title_points, 12);
      EXPECT_EQ(v.editor, "") << "an empty editor is stored as empty";
      EXPECT_EQ(v.edit_opt, "-l");
    }
  }
}

TEST(SetupDialogTest, AccessKeysMoveTheFocusToTheirBox) {
  SetupDialog dialog(Stored());
  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  const struct {
    Qt::Key key;
    const char* box;
  } rows[] = {{Qt::Key_T, "FS1"},
              {Qt::Key_M, "FS2"},
              {Qt::Key_E, "Editor"},
              {Qt::Key_O, "COpt"},
              {Qt::Key_F, "FS0"}};
  for (const auto& r : rows) {
    QTest::keyClick(&dialog, r.key, Qt::AltModifier);
    ASSERT_NE(QApplication::focusWidget(), nullptr) << r.box;
    EXPECT_EQ(QApplication::focusWidget()->objectName(), r.box);
  }
  dialog.reject();
}

TEST(SetupDialogTest, UsableFontPoints) {
  EXPECT_FALSE(UsableFontPoints(0));
  EXPECT_FALSE(UsableFontPoints(0.5));
  EXPECT_TRUE(UsableFontPoints(1));
  EXPECT_TRUE(UsableFontPoints(9.75));
  EXPECT_TRUE(UsableFontPoints(400));
  EXPECT_FALSE(UsableFontPoints(400.5));
  EXPECT_FALSE(UsableFontPoints(std::nan("")));
}

}  // namespace
}  // namespace qb
