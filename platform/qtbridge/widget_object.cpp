#include "platform/qtbridge/widget_object.h"

#include <QComboBox>
#include <QListWidget>
#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "platform/com/bstr.h"
#include "platform/qtbridge/toolkit.h"

namespace qb {
namespace {

enum MemberId : DISPID {
  kHwnd = 1,
  kLeft,
  kTop,
  kWidth,
  kHeight,
  kListCount,
  kListIndex,
  kList,
  kRemoveItem,
  kAddItem,
};

struct Member {
  std::u16string_view name;
  MemberId id;
  WORD kinds;  // the DISPATCH_ flags that reach it
  bool list_only;
};

constexpr WORD kRead = DISPATCH_PROPERTYGET | DISPATCH_METHOD;
constexpr WORD kReadWrite = kRead | DISPATCH_PROPERTYPUT;

constexpr Member kMembers[] = {
    {u"hwnd", kHwnd, kRead, false},
    {u"Left", kLeft, kReadWrite, false},
    {u"Top", kTop, kReadWrite, false},
    {u"Width", kWidth, kReadWrite, false},
    {u"Height", kHeight, kReadWrite, false},
    {u"ListCount", kListCount, kRead, true},
    {u"ListIndex", kListIndex, kRead, true},
    {u"List", kList, kRead, true},
    {u"RemoveItem", kRemoveItem, DISPATCH_METHOD, true},
    {u"AddItem", kAddItem, DISPATCH_METHOD, true},
};

// QListWidget and QComboBox behind one face.
class Items {
 public:
  explicit Items(QWidget* widget)
      : list_(qobject_cast<QListWidget*>(widget)), combo_(qobject_cast<QComboBox*>(widget)) {}
  bool valid() const { return list_ != nullptr || combo_ != nullptr; }
  int Count() const { return list_ ? list_->count() : combo_->count(); }
  int Current() const { return list_ ? list_->currentRow() : combo_->currentIndex(); }
  QString Text(int i) const { return list_ ? list_->item(i)->text() : combo_->itemText(i); }
  void Remove(int i) {
    if (list_) {
      delete list_->takeItem(i);
    } else {
      combo_->removeItem(i);
    }
  }
  void Insert(int i, const QString& text) {
    if (list_) {
      list_->insertItem(i, text);
    } else {
      combo_->insertItem(i, text);
    }
  }

 private:
  QListWidget* list_;
  QComboBox* combo_;
};

// The frame of a window (in screen coordinates), the geometry of a child.
QRect Outer(const QWidget* widget) {
  return widget->isWindow() ? widget->frameGeometry() : widget->geometry();
}

float ToTwips(int pixels, int dpi) {
  return static_cast<float>(static_cast<double>(pixels) * 1440.0 / dpi);
}

HRESULT ToPixels(double twips, int dpi, int* pixels) {
  const double p = std::round(twips * dpi / 1440.0);
  if (!(std::fabs(p) <= QWIDGETSIZE_MAX)) return DISP_E_OVERFLOW;
  *pixels = static_cast<int>(p);
  return S_OK;
}

// Positional argument |i| (in call order) of |params| converted to |vt|.
class Arguments {
 public:
  Arguments(DISPPARAMS* params, UINT* arg_error) : params_(params), arg_error_(arg_error) {}
  ~Arguments() { VariantClear(&value_); }
  Arguments(const Arguments&) = delete;
  Arguments& operator=(const Arguments&) = delete;

  UINT count() const { return params_->cArgs; }
  // Whether argument |i| was left out (VT_ERROR DISP_E_PARAMNOTFOUND).
  bool Missing(UINT i) const {
    const VARIANT& v = params_->rgvarg[params_->cArgs - 1 - i];
    return v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND;
  }
  // Converts argument |i| to |vt|; the value stays valid until the next
  // call.
  HRESULT Get(UINT i, VARTYPE vt, VARIANT** value) {
    const UINT index = params_->cArgs - 1 - i;
    HRESULT hr = VariantChangeType(&value_, &params_->rgvarg[index], 0, vt);
    if (FAILED(hr)) {
      if (arg_error_ != nullptr) *arg_error_ = index;
      return hr == DISP_E_OVERFLOW ? hr : DISP_E_TYPEMISMATCH;
    }
    *value = &value_;
    return S_OK;
  }

 private:
  DISPPARAMS* params_;
  UINT* arg_error_;
  VARIANT value_{};
};

class WidgetObject final : public IDispatch {
 public:
  explicit WidgetObject(QWidget* widget) : widget_(widget) {}
  virtual ~WidgetObject() = default;
  WidgetObject(const WidgetObject&) = delete;
  WidgetObject& operator=(const WidgetObject&) = delete;

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    const QWidget* w = widget_.data();
    const bool known = riid == IID_IUnknown || riid == IID_IDispatch ||
                       (w != nullptr && riid == toolkit::IID_Form && w->isWindow()) ||
                       (w != nullptr && riid == toolkit::IID_ListBox &&
                        qobject_cast<const QListWidget*>(w) != nullptr) ||
                       (w != nullptr && riid == toolkit::IID_ComboBox &&
                        qobject_cast<const QComboBox*>(w) != nullptr);
    if (!known) return E_NOINTERFACE;
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }

  HRESULT GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_INVALIDARG;
    *count = 0;
    return S_OK;
  }
  HRESULT GetTypeInfo(UINT index, LCID, ITypeInfo** type_info) override {
    if (type_info != nullptr) *type_info = nullptr;
    return index == 0 ? E_NOTIMPL : DISP_E_BADINDEX;
  }

  HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    if (names[0] != nullptr) {
      const bool list = widget_ && Items(widget_.data()).valid();
      for (const Member& m : kMembers) {
        if (SameName(m.name, names[0]) && (list || !m.list_only)) ids[0] = m.id;
      }
    }
    return (ids[0] == DISPID_UNKNOWN || count > 1) ? DISP_E_UNKNOWNNAME : S_OK;
  }

  HRESULT Invoke(DISPID member, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO*, UINT* arg_error) override {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (params == nullptr || (params->cArgs > 0 && params->rgvarg == nullptr)) {
      return E_INVALIDARG;
    }
    QWidget* widget = widget_.data();
    if (widget == nullptr) return RPC_E_DISCONNECTED;
    const Member* m = Find(member);
    if (m == nullptr || (m->list_only && !Items(widget).valid())) return DISP_E_MEMBERNOTFOUND;

    const bool put = (flags & DISPATCH_PROPERTYPUT) && (m->kinds & DISPATCH_PROPERTYPUT);
    if (!put && !(flags & m->kinds & kRead)) return DISP_E_MEMBERNOTFOUND;
    if (put) {
      if (params->cNamedArgs != 1 || params->rgdispidNamedArgs == nullptr ||
          params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
        return params->cNamedArgs == 0 ? DISP_E_PARAMNOTOPTIONAL : DISP_E_NONAMEDARGS;
      }
      if (params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
    } else if (params->cNamedArgs != 0) {
      return DISP_E_NONAMEDARGS;
    }

    VARIANT out;
    VariantInit(&out);
    Arguments args(params, arg_error);
    HRESULT hr = put ? Write(widget, m->id, args) : Call(widget, m->id, args, &out);
    if (SUCCEEDED(hr) && result != nullptr) {
      *result = out;  // handing over what |out| owns
    } else {
      VariantClear(&out);
    }
    return hr;
  }

 private:
  static const Member* Find(DISPID id) {
    for (const Member& m : kMembers) {
      if (m.id == id) return &m;
    }
    return nullptr;
  }

  // Reads a property or calls a method.
  static HRESULT Call(QWidget* widget, MemberId id, Arguments& args, VARIANT* out) {
    const UINT wanted = id == kList || id == kRemoveItem ? 1 : id == kAddItem ? 2 : 0;
    if (args.count() > wanted || (id == kAddItem ? args.count() < 1 : args.count() < wanted)) {
      return DISP_E_BADPARAMCOUNT;
    }
    const QRect outer = Outer(widget);
    switch (id) {
      case kHwnd: {
        const WId wid = widget->winId();
        if (static_cast<uint64_t>(wid) > 0xFFFFFFFFu) return DISP_E_OVERFLOW;
        out->vt = VT_I4;
        out->lVal = static_cast<LONG>(static_cast<uint32_t>(wid));
        return S_OK;
      }
      case kLeft:
        return Single(ToTwips(outer.x(), widget->logicalDpiX()), out);
      case kTop:
        return Single(ToTwips(outer.y(), widget->logicalDpiY()), out);
      case kWidth:
        return Single(ToTwips(outer.width(), widget->logicalDpiX()), out);
      case kHeight:
        return Single(ToTwips(outer.height(), widget->logicalDpiY()), out);
      default:
        return CallList(Items(widget), id, args, out);
    }
  }

  static HRESULT CallList(Items items, MemberId id, Arguments& args, VARIANT* out) {
    const int count = items.Count();
    switch (id) {
      case kListCount:
        out->vt = VT_I4;
        out->lVal = count;
        return S_OK;
      case kListIndex:
        out->vt = VT_I4;
        out->lVal = items.Current();
        return S_OK;
      case kList:
      case kRemoveItem: {
        VARIANT* index = nullptr;
        HRESULT hr = args.Get(0, VT_I4, &index);
        if (FAILED(hr)) return hr;
        const LONG i = index->lVal;
        if (i < 0 || i >= count) return DISP_E_BADINDEX;
        if (id == kRemoveItem) {
          items.Remove(i);
          return S_OK;
        }
        const QString text = items.Text(i);
        out->bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.utf16()),
                                         static_cast<UINT>(text.size()));
        if (out->bstrVal == nullptr) return E_OUTOFMEMORY;
        out->vt = VT_BSTR;
        return S_OK;
      }
      case kAddItem: {
        LONG at = count;
        if (args.count() == 2 && !args.Missing(1)) {
          VARIANT* index = nullptr;
          HRESULT hr = args.Get(1, VT_I4, &index);
          if (FAILED(hr)) return hr;
          at = index->lVal;
          if (at < 0 || at > count) return DISP_E_BADINDEX;
        }
        VARIANT* text = nullptr;
        HRESULT hr = args.Get(0, VT_BSTR, &text);
        if (FAILED(hr)) return hr;
        const std::u16string_view t = BstrView(text->bstrVal);
        items.Insert(at, QString(reinterpret_cast<const QChar*>(t.data()),
                                 static_cast<qsizetype>(t.size())));
        return S_OK;
      }
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  }

  // Writes Left, Top, Width or Height.
  static HRESULT Write(QWidget* widget, MemberId id, Arguments& args) {
    VARIANT* value = nullptr;
    HRESULT hr = args.Get(0, VT_R8, &value);
    if (FAILED(hr)) return hr;
    const bool across = id == kLeft || id == kWidth;
    int pixels = 0;
    hr = ToPixels(value->dblVal, across ? widget->logicalDpiX() : widget->logicalDpiY(), &pixels);
    if (FAILED(hr)) return hr;
    const QPoint pos = widget->pos();  // the frame's position for a window
    // What the frame adds to the widget's own size (nothing for a child).
    const QSize frame = Outer(widget).size() - widget->size();
    switch (id) {
      case kLeft:
        widget->move(pixels, pos.y());
        return S_OK;
      case kTop:
        widget->move(pos.x(), pixels);
        return S_OK;
      case kWidth:
        if (pixels < 0) return E_INVALIDARG;
        widget->resize(std::max(0, pixels - frame.width()), widget->height());
        return S_OK;
      case kHeight:
        if (pixels < 0) return E_INVALIDARG;
        widget->resize(widget->width(), std::max(0, pixels - frame.height()));
        return S_OK;
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  }

  static HRESULT Single(float value, VARIANT* out) {
    out->vt = VT_R4;
    out->fltVal = value;
    return S_OK;
  }

  QPointer<QWidget> widget_;
  std::atomic<ULONG> refs_{1};
};

}  // namespace

ComPtr<IDispatch> WidgetAutomationObject(QWidget* widget) {
  return ComPtr<IDispatch>::Adopt(new WidgetObject(widget));
}

}  // namespace qb
