#include "platform/com/dispatch_invoke.h"

#include <cstring>
#include <vector>

namespace qb {
namespace {

// Where the value of a VARIANT of type |vt| lives: the whole VARIANT for
// VT_VARIANT, else its union.
void* ValueStorage(VARIANT* v, VARTYPE vt) {
  return vt == VT_VARIANT ? static_cast<void*>(v) : static_cast<void*>(&v->llVal);
}

size_t ScalarSize(VARTYPE vt) {
  switch (vt) {
    case VT_I1:
    case VT_UI1:
      return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
      return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR:
    case VT_R4:
      return 4;
    default:
      return 8;
  }
}

// Moves the value of |value| (of type |vt|) into the variable |storage| of
// the same type, releasing what the variable held.
void StoreIntoVariable(VARTYPE vt, void* storage, VARIANT* value) {
  switch (vt) {
    case VT_BSTR: {
      BSTR* target = static_cast<BSTR*>(storage);
      SysFreeString(*target);
      *target = value->bstrVal;
      break;
    }
    case VT_DISPATCH:
    case VT_UNKNOWN: {
      IUnknown** target = static_cast<IUnknown**>(storage);
      if (*target != nullptr) (*target)->Release();
      *target = value->punkVal;
      break;
    }
    default:
      std::memcpy(storage, &value->llVal, ScalarSize(vt));
      break;
  }
  value->vt = VT_EMPTY;
}

// One parameter made ready for the call.
struct Prepared {
  VARIANT temp;                         // a converted or copied value, owned here
  void* storage = nullptr;              // what the call stub receives
  VARIANT* variant_variable = nullptr;  // VT_BYREF | VT_VARIANT target to write back
  VARIANT* typed_argument = nullptr;    // VT_BYREF | other type to write back
};

// Clears every temporary when the call ends, whatever way it ends.
class PreparedSet {
 public:
  explicit PreparedSet(size_t n) : items_(n) {
    for (Prepared& p : items_) VariantInit(&p.temp);
  }
  ~PreparedSet() {
    for (Prepared& p : items_) VariantClear(&p.temp);
  }
  PreparedSet(const PreparedSet&) = delete;
  PreparedSet& operator=(const PreparedSet&) = delete;
  Prepared& operator[](size_t i) { return items_[i]; }
  size_t size() const { return items_.size(); }

 private:
  std::vector<Prepared> items_;
};

HRESULT ConversionFailure(HRESULT hr) {
  return (hr == DISP_E_OVERFLOW || hr == E_OUTOFMEMORY) ? hr : DISP_E_TYPEMISMATCH;
}

// Prepares parameter |param| from |arg| (null when it was left out).
HRESULT PrepareArgument(const ParamSpec& param, VARIANT* arg, Prepared* out) {
  bool missing = arg == nullptr || (arg->vt == VT_ERROR && arg->scode == DISP_E_PARAMNOTFOUND);
  if (missing) {
    if ((param.flags & PARAMFLAG_FOPT) == 0) return DISP_E_PARAMNOTOPTIONAL;
    if (param.vt == VT_VARIANT) {
      out->temp.vt = VT_ERROR;
      out->temp.scode = DISP_E_PARAMNOTFOUND;
    } else {
      out->temp.vt = param.vt;
      out->temp.llVal = 0;
    }
    out->storage = ValueStorage(&out->temp, param.vt);
    return S_OK;
  }
  if (param.vt == VT_VARIANT) {
    if (arg->vt == (VT_BYREF | VT_VARIANT)) {
      if (arg->pvarVal == nullptr) return DISP_E_TYPEMISMATCH;
      out->storage = arg->pvarVal;
      return S_OK;
    }
    HRESULT hr = VariantCopy(&out->temp, arg);
    if (FAILED(hr)) return ConversionFailure(hr);
    out->storage = &out->temp;
    return S_OK;
  }
  VARIANT* variable = nullptr;  // the caller's VARIANT variable, if any
  VARIANT* value = arg;
  if (arg->vt == (VT_BYREF | VT_VARIANT)) {
    if (arg->pvarVal == nullptr) return DISP_E_TYPEMISMATCH;
    variable = arg->pvarVal;
    value = variable;
  }
  if (value->vt == (VT_BYREF | param.vt)) {
    if (value->byref == nullptr) return DISP_E_TYPEMISMATCH;
    out->storage = value->byref;
    return S_OK;
  }
  if (variable != nullptr && variable->vt == param.vt) {
    out->storage = ValueStorage(variable, param.vt);
    return S_OK;
  }
  HRESULT hr = VariantChangeType(&out->temp, value, 0, param.vt);
  if (FAILED(hr)) return ConversionFailure(hr);
  out->storage = ValueStorage(&out->temp, param.vt);
  if (param.by_ref) {
    if (variable != nullptr) {
      out->variant_variable = variable;
    } else if ((value->vt & VT_BYREF) != 0) {
      out->typed_argument = value;
    }
  }
  return S_OK;
}

// Writes the method's new value of a converted by-reference argument back
// into the caller's variable.
HRESULT WriteBack(const ParamSpec& param, Prepared* p) {
  if (p->variant_variable != nullptr) {
    VariantClear(p->variant_variable);
    *p->variant_variable = p->temp;
    VariantInit(&p->temp);
    return S_OK;
  }
  if (p->typed_argument != nullptr) {
    VARTYPE target = static_cast<VARTYPE>(p->typed_argument->vt & VT_TYPEMASK);
    VARIANT back;
    VariantInit(&back);
    HRESULT hr = VariantChangeType(&back, &p->temp, 0, target);
    if (FAILED(hr)) return ConversionFailure(hr);
    StoreIntoVariable(target, p->typed_argument->byref, &back);
  }
  (void)param;
  return S_OK;
}

void FillException(EXCEPINFO* exception, HRESULT failure, std::u16string_view source) {
  if (exception == nullptr) return;
  std::memset(exception, 0, sizeof(*exception));
  exception->bstrSource = source.empty() ? nullptr : AllocBstr(source);
  exception->scode = failure;
}

}  // namespace

HRESULT GetIDsOfNamesBySpec(const InterfaceSpec& spec, LPOLESTR* names, UINT count, DISPID* ids) {
  if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
  const MethodSpec* found = nullptr;
  if (names[0] != nullptr) {
    for (const MethodSpec& m : spec.methods) {
      if (SameName(m.name, names[0])) {
        found = &m;
        break;
      }
    }
  }
  if (found == nullptr) {
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT hr = S_OK;
  ids[0] = found->dispid;
  for (UINT i = 1; i < count; ++i) {
    ids[i] = DISPID_UNKNOWN;
    if (names[i] == nullptr) {
      hr = DISP_E_UNKNOWNNAME;
      continue;
    }
    for (size_t k = 0; k < found->params.size(); ++k) {
      if (SameName(found->params[k].name, names[i])) {
        ids[i] = static_cast<DISPID>(k);
        break;
      }
    }
    if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
  }
  return hr;
}

HRESULT InvokeBySpec(const InterfaceSpec& spec, IUnknown* self, DISPID member, WORD flags,
                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception, UINT* arg_error,
                     std::u16string_view source) {
  const MethodSpec* method = nullptr;
  for (const MethodSpec& m : spec.methods) {
    if (m.dispid == member && (static_cast<WORD>(m.kind) & flags) != 0) {
      method = &m;
      break;
    }
  }
  if (method == nullptr || method->thunk == nullptr) return DISP_E_MEMBERNOTFOUND;
  if (self == nullptr || params == nullptr) return E_INVALIDARG;
  const UINT cargs = params->cArgs;
  const UINT cnamed = params->cNamedArgs;
  if (cnamed > cargs || (cargs > 0 && params->rgvarg == nullptr) ||
      (cnamed > 0 && params->rgdispidNamedArgs == nullptr)) {
    return E_INVALIDARG;
  }
  auto set_arg_error = [arg_error](UINT index) {
    if (arg_error != nullptr) *arg_error = index;
  };

  const size_t n = method->params.size();
  if (cargs > n) return DISP_E_BADPARAMCOUNT;
  size_t required = 0;
  for (size_t i = 0; i < n; ++i) {
    if ((method->params[i].flags & PARAMFLAG_FOPT) == 0) required = i + 1;
  }
  // slot[i] = index in rgvarg of the argument for parameter i, or -1.
  std::vector<long long> slot(n, -1);
  const UINT positional = cargs - cnamed;
  for (UINT i = 0; i < positional; ++i) slot[i] = cargs - 1 - i;
  for (UINT j = 0; j < cnamed; ++j) {
    DISPID id = params->rgdispidNamedArgs[j];
    if (id < 0 || static_cast<size_t>(id) >= n || slot[static_cast<size_t>(id)] != -1) {
      set_arg_error(j);
      return DISP_E_PARAMNOTFOUND;
    }
    slot[static_cast<size_t>(id)] = j;
  }
  if (cnamed == 0 && positional < required) return DISP_E_BADPARAMCOUNT;

  PreparedSet prepared(n);
  for (size_t i = 0; i < n; ++i) {
    VARIANT* arg = slot[i] >= 0 ? &params->rgvarg[slot[i]] : nullptr;
    HRESULT hr = PrepareArgument(method->params[i], arg, &prepared[i]);
    if (FAILED(hr)) {
      if (arg != nullptr) set_arg_error(static_cast<UINT>(slot[i]));
      return hr;
    }
  }

  std::vector<void*> args(n + (method->result != VT_EMPTY ? 1 : 0));
  for (size_t i = 0; i < n; ++i) args[i] = prepared[i].storage;
  VARIANT value;
  VariantInit(&value);
  if (method->result != VT_EMPTY) {
    if (method->result != VT_VARIANT) {
      value.vt = method->result;
      value.llVal = 0;
    }
    args[n] = ValueStorage(&value, method->result);
  }

  HRESULT hr = method->thunk(self, args.data());
  if (FAILED(hr)) {
    VariantClear(&value);
    FillException(exception, hr, source);
    return DISP_E_EXCEPTION;
  }
  for (size_t i = 0; i < n; ++i) {
    HRESULT back = WriteBack(method->params[i], &prepared[i]);
    if (FAILED(back)) {
      VariantClear(&value);
      set_arg_error(static_cast<UINT>(slot[i]));
      return back;
    }
  }
  if (result != nullptr) {
    *result = value;
  } else {
    VariantClear(&value);
  }
  return S_OK;
}

}  // namespace qb
