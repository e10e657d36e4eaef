#include "avole/late_binding.h"

#include <algorithm>
#include <string>
#include <vector>

namespace avole {
namespace {

HRESULT Invoke(IDispatch* object, const char16_t* name, WORD flags,
               std::initializer_list<VARIANT> args, bool put, VARIANT* result) {
  if (object == nullptr) return E_POINTER;
  std::u16string member(name);
  LPOLESTR names[] = {member.data()};
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  // DISPPARAMS holds the arguments last first. They are shallow copies: the
  // callee does not take what they point at.
  std::vector<VARIANT> reversed(args.begin(), args.end());
  std::reverse(reversed.begin(), reversed.end());
  DISPID put_id = DISPID_PROPERTYPUT;
  DISPPARAMS params = {reversed.data(), put ? &put_id : nullptr, static_cast<UINT>(reversed.size()),
                       put ? 1u : 0u};
  EXCEPINFO exception = {};
  UINT arg_error = 0;
  hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &exception,
                      &arg_error);
  if (hr == DISP_E_EXCEPTION) {
    if (exception.pfnDeferredFillIn != nullptr) exception.pfnDeferredFillIn(&exception);
    if (FAILED(exception.scode)) hr = exception.scode;
  }
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  return hr;
}

}  // namespace

HRESULT GetMember(IDispatch* object, const char16_t* name, std::initializer_list<VARIANT> args,
                  VARTYPE vt, VARIANT* value) {
  VARIANT raw;
  VariantInit(&raw);
  HRESULT hr = Invoke(object, name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, args, false, &raw);
  if (SUCCEEDED(hr)) hr = VariantChangeType(value, &raw, 0, vt);
  VariantClear(&raw);
  return hr;
}

HRESULT PutMember(IDispatch* object, const char16_t* name, const VARIANT& value) {
  return Invoke(object, name, DISPATCH_PROPERTYPUT, {value}, true, nullptr);
}

HRESULT CallMember(IDispatch* object, const char16_t* name, std::initializer_list<VARIANT> args) {
  VARIANT ignored;
  VariantInit(&ignored);
  HRESULT hr = Invoke(object, name, DISPATCH_METHOD, args, false, &ignored);
  VariantClear(&ignored);
  return hr;
}

VARIANT ShortValue(SHORT value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I2;
  v.iVal = value;
  return v;
}

VARIANT SingleValue(FLOAT value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_R4;
  v.fltVal = value;
  return v;
}

VARIANT TextValue(BSTR text) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = text;
  return v;
}

}  // namespace avole
