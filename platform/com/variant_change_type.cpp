// VariantChangeType: conversions between the automation types (contract in
// variant.h).
#include <cfloat>
#include <cmath>

#include "platform/com/dispatch.h"
#include "platform/com/number_text.h"
#include "platform/com/variant.h"
#include "platform/com/variant_internal.h"

namespace qb::com_internal {
namespace {

// A number on its way between two types.
struct Number {
  enum class Kind { kSigned, kUnsigned, kReal } kind = Kind::kSigned;
  int64_t i = 0;
  uint64_t u = 0;
  double d = 0;

  static Number Signed(int64_t v) {
    Number n;
    n.kind = Kind::kSigned;
    n.i = v;
    return n;
  }
  static Number Unsigned(uint64_t v) {
    Number n;
    n.kind = Kind::kUnsigned;
    n.u = v;
    return n;
  }
  static Number Real(double v) {
    Number n;
    n.kind = Kind::kReal;
    n.d = v;
    return n;
  }
  double AsDouble() const {
    switch (kind) {
      case Kind::kSigned:
        return static_cast<double>(i);
      case Kind::kUnsigned:
        return static_cast<double>(u);
      case Kind::kReal:
        return d;
    }
    return 0;
  }
  bool IsZero() const { return AsDouble() == 0; }
};

bool IsNumberType(VARTYPE vt) {
  if (IsIntegerType(vt)) return true;
  switch (vt) {
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_BOOL:
      return true;
    default:
      return false;
  }
}

// The number a plain numeric (or VT_BOOL / VT_EMPTY) VARIANT holds.
Number NumberOf(const VARIANT& v) {
  switch (v.vt) {
    case VT_I1:
      return Number::Signed(v.cVal);
    case VT_I2:
      return Number::Signed(v.iVal);
    case VT_I4:
      return Number::Signed(v.lVal);
    case VT_INT:
      return Number::Signed(v.intVal);
    case VT_I8:
      return Number::Signed(v.llVal);
    case VT_UI1:
      return Number::Unsigned(v.bVal);
    case VT_UI2:
      return Number::Unsigned(v.uiVal);
    case VT_UI4:
      return Number::Unsigned(v.ulVal);
    case VT_UINT:
      return Number::Unsigned(v.uintVal);
    case VT_UI8:
      return Number::Unsigned(v.ullVal);
    case VT_R4:
      return Number::Real(v.fltVal);
    case VT_R8:
      return Number::Real(v.dblVal);
    case VT_DATE:
      return Number::Real(v.date);
    case VT_CY:
      return Number::Real(static_cast<double>(v.cyVal.int64) / 10000.0);
    case VT_BOOL:
      return Number::Signed(v.boolVal != 0 ? -1 : 0);
    default:
      return Number::Signed(0);
  }
}

HRESULT NumberFromText(BSTR text, bool accept_bool_words, Number* out) {
  std::u16string_view s = qb::BstrView(text);
  if (accept_bool_words) {
    size_t b = 0;
    size_t e = s.size();
    while (b < e && (s[b] == u' ' || s[b] == u'\t')) ++b;
    while (e > b && (s[e - 1] == u' ' || s[e - 1] == u'\t')) --e;
    std::u16string_view word = s.substr(b, e - b);
    if (qb::SameName(word, u"True")) {
      *out = Number::Signed(-1);
      return S_OK;
    }
    if (qb::SameName(word, u"False")) {
      *out = Number::Signed(0);
      return S_OK;
    }
  }
  ParsedNumber p = ParseNumberText(s);
  switch (p.kind) {
    case ParsedNumber::Kind::kInvalid:
      return DISP_E_TYPEMISMATCH;
    case ParsedNumber::Kind::kOverflow:
      return DISP_E_OVERFLOW;
    case ParsedNumber::Kind::kReal:
      *out = Number::Real(p.real);
      return S_OK;
    case ParsedNumber::Kind::kInteger:
      if (!p.negative) {
        *out = Number::Unsigned(p.magnitude);
      } else if (p.magnitude <= static_cast<uint64_t>(INT64_MAX) + 1) {
        *out = Number::Signed(p.magnitude == static_cast<uint64_t>(INT64_MAX) + 1
                                  ? INT64_MIN
                                  : -static_cast<int64_t>(p.magnitude));
      } else {
        *out = Number::Real(-static_cast<double>(p.magnitude));
      }
      return S_OK;
  }
  return DISP_E_TYPEMISMATCH;
}

// Rounds to the nearest integer, halves to even (the default rounding mode).
double RoundHalfEven(double d) { return std::nearbyint(d); }

HRESULT ToSigned(const Number& n, int64_t lo, int64_t hi, int64_t* out) {
  switch (n.kind) {
    case Number::Kind::kSigned:
      if (n.i < lo || n.i > hi) return DISP_E_OVERFLOW;
      *out = n.i;
      return S_OK;
    case Number::Kind::kUnsigned:
      if (n.u > static_cast<uint64_t>(hi)) return DISP_E_OVERFLOW;
      *out = static_cast<int64_t>(n.u);
      return S_OK;
    case Number::Kind::kReal: {
      double r = RoundHalfEven(n.d);
      // 2^63 is exactly representable; anything at or beyond it overflows.
      if (!(r >= -9223372036854775808.0 && r < 9223372036854775808.0)) return DISP_E_OVERFLOW;
      int64_t v = static_cast<int64_t>(r);
      if (v < lo || v > hi) return DISP_E_OVERFLOW;
      *out = v;
      return S_OK;
    }
  }
  return DISP_E_TYPEMISMATCH;
}

HRESULT ToUnsigned(const Number& n, uint64_t hi, uint64_t* out) {
  switch (n.kind) {
    case Number::Kind::kSigned:
      if (n.i < 0 || static_cast<uint64_t>(n.i) > hi) return DISP_E_OVERFLOW;
      *out = static_cast<uint64_t>(n.i);
      return S_OK;
    case Number::Kind::kUnsigned:
      if (n.u > hi) return DISP_E_OVERFLOW;
      *out = n.u;
      return S_OK;
    case Number::Kind::kReal: {
      double r = RoundHalfEven(n.d);
      if (!(r >= 0 && r < 18446744073709551616.0)) return DISP_E_OVERFLOW;
      uint64_t v = static_cast<uint64_t>(r);
      if (v > hi) return DISP_E_OVERFLOW;
      *out = v;
      return S_OK;
    }
  }
  return DISP_E_TYPEMISMATCH;
}

// Stores |n| as type |vt| into |out| (a fresh VARIANT).
HRESULT NumberToVariant(const Number& n, VARTYPE vt, VARIANT* out) {
  int64_t s = 0;
  uint64_t u = 0;
  HRESULT hr = S_OK;
  switch (vt) {
    case VT_I1:
      hr = ToSigned(n, INT8_MIN, INT8_MAX, &s);
      out->cVal = static_cast<CHAR>(s);
      break;
    case VT_I2:
      hr = ToSigned(n, INT16_MIN, INT16_MAX, &s);
      out->iVal = static_cast<SHORT>(s);
      break;
    case VT_I4:
      hr = ToSigned(n, INT32_MIN, INT32_MAX, &s);
      out->lVal = static_cast<LONG>(s);
      break;
    case VT_INT:
      hr = ToSigned(n, INT32_MIN, INT32_MAX, &s);
      out->intVal = static_cast<INT>(s);
      break;
    case VT_I8:
      hr = ToSigned(n, INT64_MIN, INT64_MAX, &s);
      out->llVal = s;
      break;
    case VT_UI1:
      hr = ToUnsigned(n, UINT8_MAX, &u);
      out->bVal = static_cast<BYTE>(u);
      break;
    case VT_UI2:
      hr = ToUnsigned(n, UINT16_MAX, &u);
      out->uiVal = static_cast<USHORT>(u);
      break;
    case VT_UI4:
      hr = ToUnsigned(n, UINT32_MAX, &u);
      out->ulVal = static_cast<ULONG>(u);
      break;
    case VT_UINT:
      hr = ToUnsigned(n, UINT32_MAX, &u);
      out->uintVal = static_cast<UINT>(u);
      break;
    case VT_UI8:
      hr = ToUnsigned(n, UINT64_MAX, &u);
      out->ullVal = u;
      break;
    case VT_R4: {
      double d = n.AsDouble();
      if (std::isfinite(d) && std::fabs(d) > FLT_MAX) return DISP_E_OVERFLOW;
      out->fltVal = static_cast<FLOAT>(d);
      break;
    }
    case VT_R8:
      out->dblVal = n.AsDouble();
      break;
    case VT_DATE:
      out->date = n.AsDouble();
      break;
    case VT_CY: {
      double scaled = RoundHalfEven(n.AsDouble() * 10000.0);
      if (!(scaled >= -9223372036854775808.0 && scaled < 9223372036854775808.0)) {
        return DISP_E_OVERFLOW;
      }
      out->cyVal.int64 = static_cast<LONGLONG>(scaled);
      break;
    }
    case VT_BOOL:
      out->boolVal = n.IsZero() ? VARIANT_FALSE : VARIANT_TRUE;
      break;
    default:
      return DISP_E_TYPEMISMATCH;
  }
  if (FAILED(hr)) return hr;
  out->vt = vt;
  return S_OK;
}

std::u16string CurrencyText(int64_t scaled) {
  bool negative = scaled < 0;
  uint64_t magnitude =
      negative ? static_cast<uint64_t>(-(scaled + 1)) + 1 : static_cast<uint64_t>(scaled);
  std::u16string whole = FormatUnsigned(magnitude / 10000);
  uint64_t fraction = magnitude % 10000;
  std::u16string text = negative ? u"-" + whole : whole;
  if (fraction != 0) {
    std::u16string digits = FormatUnsigned(fraction + 10000).substr(1);
    while (!digits.empty() && digits.back() == u'0') digits.pop_back();
    text += u"." + digits;
  }
  return text;
}

// The text of a plain numeric or VT_BOOL VARIANT.
HRESULT NumberText(const VARIANT& v, USHORT flags, std::u16string* text) {
  switch (v.vt) {
    case VT_BOOL:
      if ((flags & (VARIANT_ALPHABOOL | VARIANT_LOCALBOOL)) != 0) {
        *text = v.boolVal != 0 ? u"True" : u"False";
      } else {
        *text = v.boolVal != 0 ? u"-1" : u"0";
      }
      return S_OK;
    case VT_R4:
      *text = FormatReal(v.fltVal, 7);
      return S_OK;
    case VT_R8:
      *text = FormatReal(v.dblVal, 15);
      return S_OK;
    case VT_CY:
      *text = CurrencyText(v.cyVal.int64);
      return S_OK;
    case VT_DATE:
      // Dates have a calendar text form on the original; not carried here.
      return DISP_E_TYPEMISMATCH;
    default: {
      Number n = NumberOf(v);
      *text = n.kind == Number::Kind::kUnsigned ? FormatUnsigned(n.u) : FormatInteger(n.i);
      return S_OK;
    }
  }
}

HRESULT ObjectToVariant(IUnknown* object, VARTYPE vt, VARIANT* out) {
  out->vt = vt;
  out->punkVal = nullptr;
  if (object == nullptr) return S_OK;
  void* p = nullptr;
  HRESULT hr = object->QueryInterface(vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown, &p);
  if (FAILED(hr)) {
    out->vt = VT_EMPTY;
    return DISP_E_TYPEMISMATCH;
  }
  out->punkVal = static_cast<IUnknown*>(p);
  return S_OK;
}

HRESULT Convert(const VARIANT& source, USHORT flags, VARTYPE vt, int depth, VARIANT* out);

// The value of an object's default member (DISPID_VALUE).
HRESULT DefaultValue(IDispatch* object, VARIANT* value) {
  if (object == nullptr) return DISP_E_TYPEMISMATCH;
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  VariantInit(value);
  HRESULT hr =
      object->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT,
                     DISPATCH_PROPERTYGET | DISPATCH_METHOD, &none, value, nullptr, nullptr);
  if (FAILED(hr)) {
    VariantInit(value);
    return DISP_E_TYPEMISMATCH;
  }
  return S_OK;
}

// Converts the plain (non-reference) |source| to |vt| into the fresh |out|.
HRESULT Convert(const VARIANT& source, USHORT flags, VARTYPE vt, int depth, VARIANT* out) {
  VariantInit(out);
  if (vt == VT_EMPTY) return S_OK;
  if (source.vt == vt) return VariantCopy(out, &source);
  if (vt == VT_NULL) return DISP_E_TYPEMISMATCH;
  if (vt == VT_DISPATCH || vt == VT_UNKNOWN) {
    if (source.vt == VT_EMPTY) {
      out->vt = vt;
      return S_OK;
    }
    if (source.vt != VT_DISPATCH && source.vt != VT_UNKNOWN) return DISP_E_TYPEMISMATCH;
    return ObjectToVariant(source.punkVal, vt, out);
  }
  switch (source.vt) {
    case VT_NULL:
    case VT_ERROR:
    case VT_UNKNOWN:
      return DISP_E_TYPEMISMATCH;
    case VT_DISPATCH: {
      if ((flags & VARIANT_NOVALUEPROP) != 0 || depth > 0) return DISP_E_TYPEMISMATCH;
      VARIANT value;
      HRESULT hr = DefaultValue(source.pdispVal, &value);
      if (FAILED(hr)) return hr;
      VARIANT plain;
      if (!Dereference(&value, &plain) || plain.vt == VT_DISPATCH) {
        VariantClear(&value);
        return DISP_E_TYPEMISMATCH;
      }
      hr = Convert(plain, flags, vt, depth + 1, out);
      VariantClear(&value);
      return hr;
    }
    default:
      break;
  }
  if (vt == VT_ERROR) return DISP_E_TYPEMISMATCH;
  if (vt == VT_BSTR) {
    std::u16string text;
    if (source.vt != VT_EMPTY) {
      HRESULT hr = NumberText(source, flags, &text);
      if (FAILED(hr)) return hr;
    }
    BSTR bstr = qb::AllocBstr(text);
    if (bstr == nullptr) return E_OUTOFMEMORY;
    out->vt = VT_BSTR;
    out->bstrVal = bstr;
    return S_OK;
  }
  if (!IsNumberType(vt)) return DISP_E_BADVARTYPE;
  Number n;
  if (source.vt == VT_BSTR) {
    if (vt == VT_DATE) return DISP_E_TYPEMISMATCH;
    HRESULT hr = NumberFromText(source.bstrVal, vt == VT_BOOL, &n);
    if (FAILED(hr)) return hr;
  } else if (source.vt == VT_EMPTY || IsNumberType(source.vt)) {
    n = NumberOf(source);
  } else {
    return DISP_E_BADVARTYPE;
  }
  return NumberToVariant(n, vt, out);
}

}  // namespace
}  // namespace qb::com_internal

extern "C" HRESULT VariantChangeTypeEx(VARIANTARG* dest, const VARIANTARG* source, LCID lcid,
                                       USHORT flags, VARTYPE vt) {
  (void)lcid;
  using namespace qb::com_internal;
  if (dest == nullptr || source == nullptr) return E_INVALIDARG;
  if ((vt & (VT_BYREF | VT_ARRAY)) != 0 || !IsPlainType(vt)) return DISP_E_BADVARTYPE;
  if (!IsSupportedType(source->vt)) return DISP_E_BADVARTYPE;
  VARIANT plain;
  if (!Dereference(source, &plain)) return DISP_E_TYPEMISMATCH;
  if (!IsPlainType(plain.vt)) return DISP_E_BADVARTYPE;
  VARIANT converted;
  HRESULT hr = Convert(plain, flags, vt, 0, &converted);
  if (FAILED(hr)) return hr;
  // |dest| may be |source|: it is cleared only now that the result exists.
  hr = VariantClear(dest);
  if (FAILED(hr)) {
    VariantClear(&converted);
    return hr;
  }
  *dest = converted;
  return S_OK;
}

extern "C" HRESULT VariantChangeType(VARIANTARG* dest, const VARIANTARG* source, USHORT flags,
                                     VARTYPE vt) {
  return VariantChangeTypeEx(dest, source, 0, flags, vt);
}
