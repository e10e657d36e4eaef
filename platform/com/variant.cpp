#include "platform/com/variant.h"

#include "platform/com/dispatch.h"
#include "platform/com/variant_internal.h"

namespace qb {

bool IsIntegerType(VARTYPE vt) {
  switch (vt) {
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_I8:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
      return true;
    default:
      return false;
  }
}

}  // namespace qb

namespace qb::com_internal {

bool IsPlainType(VARTYPE vt) {
  if (IsIntegerType(vt)) return true;
  switch (vt) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_ERROR:
    case VT_BOOL:
    case VT_UNKNOWN:
      return true;
    default:
      return false;
  }
}

bool IsSupportedType(VARTYPE vt) {
  if ((vt & VT_BYREF) != 0) {
    VARTYPE base = static_cast<VARTYPE>(vt & ~VT_BYREF);
    return base == VT_VARIANT || (IsPlainType(base) && base != VT_EMPTY && base != VT_NULL);
  }
  return IsPlainType(vt);
}

bool Dereference(const VARIANT* source, VARIANT* view) {
  if ((source->vt & VT_BYREF) == 0) {
    *view = *source;
    return true;
  }
  if (source->byref == nullptr) return false;
  VARTYPE base = static_cast<VARTYPE>(source->vt & ~VT_BYREF);
  if (base == VT_VARIANT) {
    const VARIANT* inner = source->pvarVal;
    // One more level, for a VARIANT variable that itself holds a reference.
    if ((inner->vt & VT_BYREF) != 0) return Dereference(inner, view) && !(view->vt & VT_BYREF);
    *view = *inner;
    return true;
  }
  VariantInit(view);
  view->vt = base;
  switch (base) {
    case VT_I1:
    case VT_UI1:
      view->bVal = *source->pbVal;
      break;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
      view->iVal = *source->piVal;
      break;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR:
      view->lVal = *source->plVal;
      break;
    case VT_R4:
      view->fltVal = *source->pfltVal;
      break;
    case VT_I8:
    case VT_UI8:
    case VT_CY:
      view->llVal = *source->pllVal;
      break;
    case VT_R8:
    case VT_DATE:
      view->dblVal = *source->pdblVal;
      break;
    case VT_BSTR:
      view->bstrVal = *source->pbstrVal;
      break;
    case VT_DISPATCH:
    case VT_UNKNOWN:
      view->punkVal = *source->ppunkVal;
      break;
    default:
      return false;
  }
  return true;
}

}  // namespace qb::com_internal

using qb::com_internal::IsSupportedType;

extern "C" {

void VariantInit(VARIANTARG* variant) {
  variant->vt = VT_EMPTY;
  variant->wReserved1 = 0;
  variant->wReserved2 = 0;
  variant->wReserved3 = 0;
  variant->llVal = 0;
}

HRESULT VariantClear(VARIANTARG* variant) {
  if (variant == nullptr) return E_INVALIDARG;
  if (!IsSupportedType(variant->vt)) return DISP_E_BADVARTYPE;
  if (variant->vt == VT_BSTR) {
    SysFreeString(variant->bstrVal);
  } else if (variant->vt == VT_DISPATCH || variant->vt == VT_UNKNOWN) {
    if (variant->punkVal != nullptr) variant->punkVal->Release();
  }
  VariantInit(variant);
  return S_OK;
}

HRESULT VariantCopy(VARIANTARG* dest, const VARIANTARG* source) {
  if (dest == nullptr || source == nullptr) return E_INVALIDARG;
  if (dest == source) return S_OK;
  if (!IsSupportedType(source->vt)) return DISP_E_BADVARTYPE;
  HRESULT hr = VariantClear(dest);
  if (FAILED(hr)) return hr;
  VARIANT copy = *source;
  if (source->vt == VT_BSTR && source->bstrVal != nullptr) {
    copy.bstrVal = SysAllocStringByteLen(reinterpret_cast<const char*>(source->bstrVal),
                                         SysStringByteLen(source->bstrVal));
    if (copy.bstrVal == nullptr) return E_OUTOFMEMORY;
  } else if ((source->vt == VT_DISPATCH || source->vt == VT_UNKNOWN) &&
             source->punkVal != nullptr) {
    source->punkVal->AddRef();
  }
  *dest = copy;
  return S_OK;
}

HRESULT VariantCopyInd(VARIANT* dest, const VARIANTARG* source) {
  if (dest == nullptr || source == nullptr) return E_INVALIDARG;
  if (!IsSupportedType(source->vt)) return DISP_E_BADVARTYPE;
  VARIANT view;
  if (!qb::com_internal::Dereference(source, &view)) return E_INVALIDARG;
  // Copy through a temporary: |dest| may be |source| itself.
  VARIANT copy;
  VariantInit(&copy);
  HRESULT hr = VariantCopy(&copy, &view);
  if (FAILED(hr)) return hr;
  hr = VariantClear(dest);
  if (FAILED(hr)) {
    VariantClear(&copy);
    return hr;
  }
  *dest = copy;
  return S_OK;
}

}  // extern "C"
