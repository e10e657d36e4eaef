// The automation face of real Qt widgets (offscreen), driven as a late-bound
// client drives it.
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QWidget>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/com/com.h"
#include "platform/qtbridge/toolkit.h"
#include "platform/qtbridge/widget_object.h"

namespace qb {
namespace {

VARIANT Value(LONG value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = value;
  return v;
}

// One late-bound client call: the member by name, then Invoke with |args|
// in call order (borrowed). The result is left in |result_|.
class Client {
 public:
  explicit Client(QWidget* widget) : object_(WidgetAutomationObject(widget)) {}
  ~Client() { VariantClear(&result_); }

  DISPID Id(std::u16string name) {
    LPOLESTR names[] = {name.data()};
    DISPID id = 12345;
    object_->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
    return id;
  }
  HRESULT Call(const std::u16string& name, WORD flags, std::vector<VARIANT> args = {}) {
    std::reverse(args.begin(), args.end());
    DISPPARAMS params = {args.data(), nullptr, static_cast<UINT>(args.size()), 0};
    VariantClear(&result_);
    return object_->Invoke(Id(name), IID_NULL, 0, flags, &params, &result_, nullptr, nullptr);
  }
  HRESULT Put(const std::u16string& name, VARIANT value) {
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {&value, &named, 1, 1};
    return object_->Invoke(Id(name), IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                           nullptr);
  }
  // A property read converted to |vt|.
  VARIANT Get(const std::u16string& name, VARTYPE vt, std::vector<VARIANT> args = {}) {
    VARIANT out;
    VariantInit(&out);
    EXPECT_EQ(Call(name, DISPATCH_PROPERTYGET, std::move(args)), S_OK);
    EXPECT_EQ(VariantChangeType(&out, &result_, 0, vt), S_OK);
    return out;
  }
  std::string Text(LONG index) {
    VARIANT v = Get(u"List", VT_BSTR, {Value(index)});
    std::string text = Utf8FromBstr(v.bstrVal);
    VariantClear(&v);
    return text;
  }
  bool Offers(const IID& iid) {
    ComPtr<IUnknown> as;
    return SUCCEEDED(object_->QueryInterface(iid, as.out_void()));
  }
  IDispatch* get() { return object_.get(); }

 private:
  ComPtr<IDispatch> object_;
  VARIANT result_{};
};

TEST(WidgetObjectTest, InterfacesByKind) {
  QWidget window;
  QListWidget list(&window);
  QComboBox combo(&window);
  QLineEdit text(&window);
  const struct {
    QWidget* widget;
    bool form, list_box, combo_box;
  } cases[] = {
      {&window, true, false, false},
      {&list, false, true, false},
      {&combo, false, false, true},
      {&text, false, false, false},
  };
  for (const auto& c : cases) {
    Client client(c.widget);
    EXPECT_TRUE(client.Offers(IID_IDispatch));
    EXPECT_EQ(client.Offers(toolkit::IID_Form), c.form);
    EXPECT_EQ(client.Offers(toolkit::IID_ListBox), c.list_box);
    EXPECT_EQ(client.Offers(toolkit::IID_ComboBox), c.combo_box);
    // The list members belong to lists only.
    EXPECT_EQ(client.Id(u"listcount") != DISPID_UNKNOWN, c.list_box || c.combo_box);
  }
}

TEST(WidgetObjectTest, GeometryInTwips) {
  QWidget window;
  window.setGeometry(102, 52, 200, 100);
  QLineEdit child(&window);
  child.setGeometry(10, 20, 60, 30);
  window.show();
  // The offscreen platform draws a two-pixel frame; 15 twips a pixel.
  Client form(&window);
  EXPECT_EQ(form.Get(u"LEFT", VT_R4).fltVal, 100 * 15.0f);
  EXPECT_EQ(form.Get(u"top", VT_R4).fltVal, 50 * 15.0f);
  EXPECT_EQ(form.Get(u"Width", VT_R4).fltVal, 204 * 15.0f);
  EXPECT_EQ(form.Get(u"Height", VT_R4).fltVal, 104 * 15.0f);
  VARIANT hwnd = form.Get(u"hWnd", VT_I4);
  EXPECT_EQ(static_cast<WId>(hwnd.lVal), window.winId());

  // Written: the frame moves and takes the size; halves round away.
  ASSERT_EQ(form.Put(u"Left", Value(1507)), S_OK);  // 100.47 pixels
  ASSERT_EQ(form.Put(u"Top", Value(-1492)), S_OK);  // -99.47
  ASSERT_EQ(form.Put(u"Width", Value(4500)), S_OK);
  ASSERT_EQ(form.Put(u"Height", Value(3007)), S_OK);  // 200.47
  EXPECT_EQ(window.frameGeometry(), QRect(100, -99, 300, 200));
  EXPECT_EQ(form.Put(u"Width", Value(-15)), E_INVALIDARG);
  EXPECT_EQ(form.Put(u"Left", Value(2000000000)), DISP_E_OVERFLOW);
  EXPECT_EQ(window.frameGeometry(), QRect(100, -99, 300, 200));

  // A child: relative to its parent, no frame.
  Client box(&child);
  EXPECT_EQ(box.Get(u"Left", VT_R4).fltVal, 10 * 15.0f);
  ASSERT_EQ(box.Put(u"Top", Value(600)), S_OK);
  ASSERT_EQ(box.Put(u"Width", Value(1200)), S_OK);
  EXPECT_EQ(child.geometry(), QRect(10, 40, 80, 30));
}

TEST(WidgetObjectTest, ListMembersOnBothKinds) {
  for (bool is_combo : {false, true}) {
    std::unique_ptr<QWidget> widget;
    if (is_combo) {
      auto combo = std::make_unique<QComboBox>();
      combo->addItems({"a", "b"});
      combo->setCurrentIndex(1);
      widget = std::move(combo);
    } else {
      auto list = std::make_unique<QListWidget>();
      list->addItems({"a", "b"});
      list->setCurrentRow(1);
      widget = std::move(list);
    }
    SCOPED_TRACE(is_combo ? "combo box" : "list box");
    Client client(widget.get());
    EXPECT_EQ(client.Get(u"ListCount", VT_I4).lVal, 2);
    EXPECT_EQ(client.Get(u"ListIndex", VT_I4).lVal, 1);
    EXPECT_EQ(client.Text(0), "a");

    Bstr text = Bstr::FromUtf8("日本");
    VARIANT t;
    VariantInit(&t);
    t.vt = VT_BSTR;
    t.bstrVal = text.get();
    ASSERT_EQ(client.Call(u"AddItem", DISPATCH_METHOD, {t, Value(1)}), S_OK);
    ASSERT_EQ(client.Call(u"AddItem", DISPATCH_METHOD, {t}), S_OK);  // appended
    ASSERT_EQ(client.Call(u"RemoveItem", DISPATCH_METHOD, {Value(0)}), S_OK);
    EXPECT_EQ(client.Get(u"ListCount", VT_I4).lVal, 3);
    EXPECT_EQ(client.Text(0) + client.Text(1) + client.Text(2), "日本b日本");

    // The errors a client can meet.
    EXPECT_EQ(client.Call(u"List", DISPATCH_PROPERTYGET, {Value(3)}), DISP_E_BADINDEX);
    EXPECT_EQ(client.Call(u"RemoveItem", DISPATCH_METHOD, {Value(-1)}), DISP_E_BADINDEX);
    EXPECT_EQ(client.Call(u"AddItem", DISPATCH_METHOD, {t, Value(5)}), DISP_E_BADINDEX);
    EXPECT_EQ(client.Call(u"List", DISPATCH_PROPERTYGET), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(client.Call(u"ListCount", DISPATCH_PROPERTYGET, {Value(0)}), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(client.Put(u"ListCount", Value(1)), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(client.Call(u"RemoveItem", DISPATCH_PROPERTYGET, {Value(0)}), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(client.Get(u"ListCount", VT_I4).lVal, 3);
  }
}

TEST(WidgetObjectTest, AGoneWidgetDisconnectsItsObject) {
  auto list = std::make_unique<QListWidget>();
  Client client(list.get());
  ASSERT_EQ(client.Call(u"ListCount", DISPATCH_PROPERTYGET), S_OK);
  list.reset();
  EXPECT_EQ(client.Call(u"ListCount", DISPATCH_PROPERTYGET), RPC_E_DISCONNECTED);
}

}  // namespace
}  // namespace qb
