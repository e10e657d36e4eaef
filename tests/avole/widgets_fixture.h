// Tests that hand real Qt widgets, through the automation bridge, to AVOLE
// (the real library, registered in a temporary registry).
#pragma once

#include <QPoint>
#include <QString>
#include <QWidget>
#include <algorithm>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include "platform/qtbridge/widget_object.h"
#include "tests/avole/avole_fixture.h"

// Readable failure messages for Qt values.
inline void PrintTo(const QPoint& point, std::ostream* out) {
  *out << "(" << point.x() << ", " << point.y() << ")";
}
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace avole::testing {

class WidgetsTest : public AvoleTest {
 protected:
  // A new object of class |clsid|, asked for interface |iid|.
  template <class I>
  qb::ComPtr<I> New(const CLSID& clsid, const IID& iid) {
    qb::ComPtr<I> object;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, object.out_void()), S_OK);
    return object;
  }

  static qb::ComPtr<IDispatch> Wrap(QWidget* widget) { return qb::WidgetAutomationObject(widget); }

  // The widget's window handle as automation carries it.
  static LONG Handle(QWidget* widget) { return static_cast<LONG>(widget->winId()); }

  // Calls |member| of |object| by name, as a late-bound client does, with
  // |args| in call order (the VARIANTs are borrowed, not freed).
  static HRESULT CallByName(IDispatch* object, std::u16string member,
                            std::initializer_list<VARIANT> args, VARIANT* result) {
    LPOLESTR names[] = {member.data()};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
    if (FAILED(hr)) return hr;
    std::vector<VARIANT> reversed(args.begin(), args.end());
    std::reverse(reversed.begin(), reversed.end());
    DISPPARAMS params = {reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    return object->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, result, nullptr, nullptr);
  }

  static VARIANT Object(IDispatch* object) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_DISPATCH;
    v.pdispVal = object;
    return v;
  }
  static VARIANT Integer(LONG value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
  }
};

}  // namespace avole::testing
