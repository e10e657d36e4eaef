// System.WindowsPath and System.FormPoint with real Qt windows.
#include <sys/stat.h>
#include <QApplication>
#include <QLineEdit>
#include <QScreen>
#include <QWidget>

#include <string>

#include <gtest/gtest.h>

#include "tests/avole/widgets_fixture.h"

namespace avole {
namespace {

using qb::Bstr;
using qb::ComPtr;

class SystemTest : public testing::WidgetsTest {
 protected:
  void SetUp() override {
    WidgetsTest::SetUp();
    system_ = New<_System>(CLSID_System, IID__System);
    // The form: a 204 x 104 pixel frame (the offscreen platform draws a
    // two-pixel frame); the reference window: 404 x 304 at (100, 50).
    form_.resize(200, 100);
    reference_.setGeometry(102, 52, 400, 300);
    form_.show();
    reference_.show();
    form_.move(7, 9);
  }
  void TearDown() override {
    system_.Reset();
    WidgetsTest::TearDown();
  }

  HRESULT FormPoint(SHORT mode, LONG window) {
    ComPtr<IDispatch> form = Wrap(&form_);
    IDispatch* f = form.get();
    return system_->FormPoint(&f, &mode, &window);
  }
  QPoint FormAt() const { return form_.frameGeometry().topLeft(); }

  ComPtr<_System> system_;
  QWidget form_;
  QWidget reference_;
};

TEST_F(SystemTest, WindowsPathIsTheSameForEveryObjectAndCall) {
  Bstr first;
  ASSERT_EQ(system_->get_WindowsPath(first.out()), S_OK);
  EXPECT_TRUE(first.Utf8().ends_with("/quillbox/windows")) << first.Utf8();
  auto other = New<_System>(CLSID_System, IID__System);
  for (int i = 0; i < 2; ++i) {
    Bstr again;
    ASSERT_EQ(other->get_WindowsPath(again.out()), S_OK);
    EXPECT_EQ(again.view(), first.view());
  }
}

using WindowsPathTest = testing::AvoleTest;

TEST_F(WindowsPathTest, AJapaneseDirectoryComesBackWhole) {
  // The library has just been loaded and has not started yet: it reads the
  // Windows directory when it hands out its first class object.
  const std::string config = dir_->Path("設定");
  ASSERT_EQ(mkdir(config.c_str(), 0700), 0);
  ASSERT_EQ(setenv("XDG_CONFIG_HOME", config.c_str(), 1), 0);
  auto get =
      reinterpret_cast<HRESULT (*)(REFCLSID, REFIID, void**)>(dlsym(library_, "DllGetClassObject"));
  ASSERT_NE(get, nullptr);
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(get(CLSID_System, IID_IClassFactory, factory.out_void()), S_OK);
  ComPtr<_System> system;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID__System, system.out_void()), S_OK);
  Bstr path;
  ASSERT_EQ(system->get_WindowsPath(path.out()), S_OK);
  EXPECT_EQ(path.view(), qb::Utf8ToUtf16(config + "/quillbox/windows"));  // length included
}

TEST_F(SystemTest, NineModesOnAnotherWindow) {
  const QRect ref = reference_.frameGeometry();
  const QSize size = form_.frameGeometry().size();
  ASSERT_EQ(ref.size(), QSize(404, 304));
  ASSERT_EQ(size, QSize(204, 104));
  // Mode = 3 x column + row: the left edge, the middle or the right edge
  // across, the top edge, the middle or the bottom edge down.
  const int across[] = {ref.x(), ref.x() + (ref.width() - size.width()) / 2,
                        ref.x() + ref.width() - size.width()};
  const int down[] = {ref.y(), ref.y() + (ref.height() - size.height()) / 2,
                      ref.y() + ref.height() - size.height()};
  for (SHORT mode = 0; mode < 9; ++mode) {
    form_.move(7, 9);
    ASSERT_EQ(FormPoint(mode, Handle(&reference_)), S_OK);
    EXPECT_EQ(FormAt(), QPoint(across[mode / 3], down[mode % 3])) << "mode " << mode;
  }
}

TEST_F(SystemTest, ModesOnTheScreen) {
  const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
  const QSize size = form_.frameGeometry().size();
  const struct {
    SHORT mode;
    QPoint expected;
  } cases[] = {
      {0, QPoint(0, 0)},
      {4, QPoint((screen.width() - size.width()) / 2, (screen.height() - size.height()) / 2)},
      {8, QPoint(screen.width() - size.width(), screen.height() - size.height())},
      {9, QPoint(7, 9)},  // any other mode moves nothing
      {-1, QPoint(7, 9)},
  };
  for (const auto& c : cases) {
    form_.move(7, 9);
    ASSERT_EQ(FormPoint(c.mode, 0), S_OK);
    EXPECT_EQ(FormAt(), c.expected) << "mode " << c.mode;
  }
}

TEST_F(SystemTest, AnUnknownWindowIsARectangleOfZeros) {
  const LONG unknown = 0x7FFF0000;
  ASSERT_EQ(FormPoint(8, unknown), S_OK);
  EXPECT_EQ(FormAt(), QPoint(-204, -104));
  form_.move(7, 9);
  ASSERT_EQ(FormPoint(9, Handle(&reference_)), S_OK);
  EXPECT_EQ(FormAt(), QPoint(7, 9));
}

TEST_F(SystemTest, FormPointByNameAndOnSomethingThatIsNoForm) {
  ComPtr<IDispatch> system;
  ASSERT_EQ(system_->QueryInterface(IID_IDispatch, system.out_void()), S_OK);
  ComPtr<IDispatch> form = Wrap(&form_);
  VARIANT mode;
  VariantInit(&mode);
  mode.vt = VT_I2;
  mode.iVal = 0;
  VARIANT result;
  VariantInit(&result);
  ASSERT_EQ(CallByName(system.get(), u"formpoint",
                       {Object(form.get()), mode, Integer(Handle(&reference_))}, &result),
            S_OK);
  EXPECT_EQ(FormAt(), reference_.frameGeometry().topLeft());

  // A text box inside the form is not a form: the call fails, nothing moves.
  QLineEdit text(&form_);
  ComPtr<IDispatch> box = Wrap(&text);
  IDispatch* b = box.get();
  SHORT m = 0;
  LONG screen = 0;
  EXPECT_EQ(system_->FormPoint(&b, &m, &screen), E_NOINTERFACE);
  EXPECT_EQ(FormAt(), reference_.frameGeometry().topLeft());
}

}  // namespace
}  // namespace avole
