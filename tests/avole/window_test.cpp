// Window.SetWord with real Qt windows.
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include "tests/avole/widgets_fixture.h"

namespace avole {
namespace {

using qb::ComPtr;

class WindowTest : public testing::WidgetsTest {};

TEST_F(WindowTest, SetWordMakesAWindowTheOwner) {
  auto windows = New<_Window>(CLSID_Window, IID__Window);
  QWidget owner, other, owned;
  for (QWidget* w : {&owner, &other, &owned}) w->show();
  ComPtr<IDispatch> object = Wrap(&owned);
  IDispatch* o = object.get();
  LONG owner_handle = Handle(&owner);
  ASSERT_EQ(windows->SetWord(&o, &owner_handle), S_OK);
  EXPECT_EQ(owned.windowHandle()->transientParent(), owner.windowHandle());
  EXPECT_EQ(owner_handle, Handle(&owner));  // not written back

  // By name, another owner; then an unknown one, which changes nothing and
  // is not reported.
  ComPtr<IDispatch> by_name;
  ASSERT_EQ(windows->QueryInterface(IID_IDispatch, by_name.out_void()), S_OK);
  VARIANT result;
  VariantInit(&result);
  ASSERT_EQ(CallByName(by_name.get(), u"setword", {Object(o), Integer(Handle(&other))}, &result),
            S_OK);
  EXPECT_EQ(owned.windowHandle()->transientParent(), other.windowHandle());
  LONG unknown = 0x7FFE;
  ASSERT_EQ(windows->SetWord(&o, &unknown), S_OK);
  EXPECT_EQ(owned.windowHandle()->transientParent(), other.windowHandle());

  // The "hwnd" of the object is required.
  IDispatch* nothing = nullptr;
  EXPECT_EQ(windows->SetWord(&nothing, &owner_handle), E_POINTER);
}

}  // namespace
}  // namespace avole
