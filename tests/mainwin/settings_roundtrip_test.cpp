// Start-up and shut-down through the real settings store: AVOLE registered
// in a temporary registry, its Reg object created through the component
// object model.
#include <dlfcn.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QListView>
#include <QTest>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "engine/reg_settings.h"
#include "mainwin/main_win.h"
#include "platform/com/base.h"
#include "tests/support/temp_dir.h"

namespace qb {
namespace {

using testing::Sjis;
using testing::TempDir;
using testing::WriteFile;

class SettingsRoundTripTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", config_.path().c_str(), 1);
    setenv("XDG_CACHE_HOME", cache_.path().c_str(), 1);
    void* avole = dlopen(AVOLE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(avole, nullptr) << dlerror();
    auto reg = reinterpret_cast<HRESULT (*)()>(dlsym(avole, "DllRegisterServer"));
    ASSERT_EQ(reg(), S_OK);
    dlclose(avole);
    WriteFile(notes_.Path("A.QBS"), Sjis("ノート\n;仕事:会議\n議題\n"));
  }

  std::unique_ptr<MainWin> Start(SettingsStore* store) {
    auto win = std::make_unique<MainWin>(store);
    win->StartUp(program_.path(), notes_.path());
    win->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(win.get()));
    return win;
  }

  TempDir config_, cache_, notes_, program_;
};

TEST_F(SettingsRoundTripTest, ShutDownWritesTheTenSettingsAndStartUpReadsThem) {
  std::string why;
  auto store = OpenRegSettingsStore(&why);
  ASSERT_NE(store, nullptr) << why;
  // First run: the defaults.
  auto win = Start(store.get());
  SettingsSnapshot first = win->CurrentSettings();
  EXPECT_EQ(first.Width, 7695);
  EXPECT_EQ(first.Height, 6585);
  EXPECT_EQ(first.CBPoint, 2040);
  EXPECT_EQ(first.Mes, 9);
  // The user makes the window larger and a view's font smaller, then closes.
  win->resize(win->width() + 150, win->height() + 90);
  QApplication::processEvents();
  win->findChild<QWidget*>(QStringLiteral("Mes"))->setFont([&] {
    QFont f = win->findChild<QWidget*>(QStringLiteral("Mes"))->font();
    f.setPointSizeF(9.75);
    return f;
  }());
  SettingsSnapshot shown = win->CurrentSettings();
  ASSERT_TRUE(win->close());
  win.reset();

  Settings stored = LoadSettings(store.get());
  EXPECT_EQ(stored.Width, shown.Width);
  EXPECT_EQ(stored.Height, shown.Height);
  EXPECT_GT(stored.Width, 7695);
  EXPECT_EQ(store->Getting(kFormFontKey, "Mes"), "9.75");
  EXPECT_EQ(stored.Mes, 10);

  // The next start comes back as it was left (the font size rounded).
  auto again = Start(store.get());
  SettingsSnapshot next = again->CurrentSettings();
  EXPECT_EQ(next.Width, shown.Width);
  EXPECT_EQ(next.Height, shown.Height);
  EXPECT_EQ(next.Mes, 10);

  // Closing while minimized stores nothing.
  again->resize(again->width() + 300, again->height());
  again->showMinimized();
  QApplication::processEvents();
  again->close();
  EXPECT_EQ(LoadSettings(store.get()).Width, shown.Width);
}

TEST_F(SettingsRoundTripTest, SetupByKeyThenQuitByKeyIsThereAtTheNextStart) {
  std::string why;
  auto store = OpenRegSettingsStore(&why);
  ASSERT_NE(store, nullptr) << why;
  auto text = [](const QDialog* d, const char* box) {
    return d->findChild<QLineEdit*>(QString::fromLatin1(box))->text().toStdString();
  };
  auto press = [](Qt::Key key) {
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    QTest::keyClick(QApplication::focusWidget(), key);
  };

  auto win = Start(store.get());
  win->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(win.get()));
  win->SetModalHook([&](QDialog* d) {
    for (auto [box, value] : {std::pair{"FS0", "12"},
                              {"FS1", "11"},
                              {"FS2", "14"},
                              {"Editor", "gedit"},
                              {"COpt", "+"}}) {
      d->findChild<QLineEdit*>(QString::fromLatin1(box))->setText(QString::fromLatin1(value));
    }
    return int{QDialog::Accepted};
  });
  press(Qt::Key_S);
  press(Qt::Key_Q);
  EXPECT_FALSE(win->isVisible());
  win.reset();

  auto again = Start(store.get());
  std::vector<std::string> shown;
  again->SetModalHook([&](QDialog* d) {
    for (const char* box : {"FS0", "FS1", "FS2", "Editor", "COpt"}) shown.push_back(text(d, box));
    return int{QDialog::Rejected};
  });
  again->RunCommand(MenuCommand::kSetup);
  EXPECT_EQ(shown, (std::vector<std::string>{"12", "11", "14", "gedit", "+"}));
  EXPECT_EQ(again->findChild<QListView*>(QStringLiteral("TagList"))->font().pointSizeF(), 11);
}

}  // namespace
}  // namespace qb
