#include "platform/com/typelib_spec.h"

namespace qb {
namespace {

// The bytes a value of |vt| occupies, and whether it is one of the types
// whose storage holds an owned pointer or a whole VARIANT (those must match
// exactly).
struct Storage {
  size_t size;
  bool exact;
};

Storage StorageOf(VARTYPE vt) {
  switch (vt) {
    case VT_I1:
    case VT_UI1:
      return {1, false};
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
      return {2, false};
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR:
    case VT_R4:
      return {4, false};
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_DATE:
    case VT_CY:
      return {8, false};
    default:
      return {0, true};
  }
}

bool CompatibleOverride(VARTYPE derived, VARTYPE shown) {
  if (derived == shown) return true;
  Storage a = StorageOf(derived);
  Storage b = StorageOf(shown);
  return !a.exact && !b.exact && a.size == b.size;
}

}  // namespace

namespace com_internal {

MethodSpec MakeMethodSpec(std::u16string_view name, DISPID dispid,
                          std::initializer_list<ParamName> params, INVOKEKIND kind,
                          const ArgShape* shapes, size_t arity, MethodThunk thunk) {
  MethodSpec spec;
  spec.name = std::u16string(name);
  spec.dispid = dispid;
  spec.kind = kind;
  spec.thunk = thunk;
  size_t visible = params.size();
  if (visible != arity && visible + 1 != arity) {
    spec.problem = "the parameter names do not match the function's parameters";
    return spec;
  }
  if (visible + 1 == arity) {
    if (!shapes[arity - 1].by_ref) {
      spec.problem = "the result parameter must be a pointer";
      return spec;
    }
    spec.result = shapes[arity - 1].vt;
  }
  size_t i = 0;
  for (const ParamName& p : params) {
    ParamSpec param;
    param.name = p.name == nullptr ? std::u16string() : std::u16string(p.name);
    param.vt = shapes[i].vt;
    param.by_ref = shapes[i].by_ref;
    param.flags = static_cast<USHORT>(
        (param.by_ref ? PARAMFLAG_FIN | PARAMFLAG_FOUT : PARAMFLAG_FIN) | p.flags);
    if (p.vt != VT_EMPTY) {
      if (!CompatibleOverride(param.vt, p.vt)) {
        spec.problem = "parameter " + Utf16ToUtf8(param.name) +
                       ": the type shown does not fit the C++ parameter";
      }
      param.vt = p.vt;
    }
    spec.params.push_back(std::move(param));
    ++i;
  }
  return spec;
}

}  // namespace com_internal
}  // namespace qb
