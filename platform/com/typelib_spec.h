// The description of a type library, written as C++ data by a server library,
// from which the runtime builds ITypeLib/ITypeInfo objects
// (platform/com/typelib_model.h) and drives IDispatch
// (platform/com/dispatch_invoke.h).
//
// A server writes each method once, as an ordinary C++ virtual function of
// its interface class, and names it in the description with DescribeMethod:
//
//   class _Reg : public IDispatch {           // the dual interface
//    public:
//     virtual HRESULT Getting(int32_t* Node, BSTR* Section, BSTR* Key,
//                             BSTR* result) = 0;
//     ...
//    protected:
//     ~_Reg() = default;
//   };
//
//   qb::DescribeMethod<&_Reg::Getting>(u"Getting", 0x6003001C,
//                                      {u"Node", u"Section", u"Key"})
//
// The same virtual function is the method-table slot that early-bound
// clients call and the target of IDispatch::Invoke: DescribeMethod derives
// the parameter types from the signature and records a small call stub.
//
// Parameter types (C++ -> automation type): SHORT/int16_t VT_I2,
// LONG/INT/int32_t VT_I4, LONGLONG VT_I8, BYTE VT_UI1, USHORT VT_UI2,
// ULONG/UINT VT_UI4, ULONGLONG VT_UI8, CHAR VT_I1, FLOAT VT_R4, DOUBLE VT_R8,
// CY VT_CY, VARIANT_BOOL VT_BOOL, BSTR VT_BSTR, VARIANT VT_VARIANT,
// IDispatch* VT_DISPATCH, IUnknown* VT_UNKNOWN. A parameter of such a type is
// passed by value ([in]); a pointer to one is passed by reference ([in, out]).
// Do not use `long` (64 bits here): automation's "long" is 32 bits.
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "platform/com/typeinfo.h"

namespace qb {

// One parameter as the type library shows it.
struct ParamSpec {
  std::u16string name;
  VARTYPE vt = VT_EMPTY;  // the value's type (VT_I4, VT_BSTR, ...), never VT_BYREF
  bool by_ref = false;    // a pointer in the method table
  USHORT flags = 0;       // PARAMFLAG_*: FIN | FOUT by reference, FIN by value
};

// The call stub of a method: calls it on |self| (an interface pointer of the
// method's class) with |args|, one pointer per C++ parameter, in order: the
// visible parameters, then the [out, retval] result. Each points at the
// storage of a value of the parameter's type (a LONG, a BSTR, a VARIANT...);
// the stub passes the pointer itself for a by-reference parameter and the
// value it points at for a by-value one.
using MethodThunk = HRESULT (*)(IUnknown* self, void* const* args);

// One member of an interface.
struct MethodSpec {
  std::u16string name;
  DISPID dispid = DISPID_UNKNOWN;
  // INVOKE_FUNC for a method, INVOKE_PROPERTYGET for a read-only property
  // (a function whose only C++ parameter is the result pointer).
  INVOKEKIND kind = INVOKE_FUNC;
  std::vector<ParamSpec> params;  // the visible parameters, in order
  VARTYPE result = VT_EMPTY;      // type of the [out, retval] result; VT_EMPTY: none
  std::u16string help;
  MethodThunk thunk = nullptr;
  // Why DescribeMethod could not describe the function; TypeLibModel::Build
  // reports it. Empty when all is well.
  std::string problem;
};

// An interface. With TYPEFLAG_FDUAL it is a dual interface (callable through
// its method table and through IDispatch) and |base| must be IID_IDispatch
// or another dual interface of the library.
struct InterfaceSpec {
  std::u16string name;
  IID iid = GUID_NULL;
  std::u16string help;
  WORD major = 1;
  WORD minor = 0;
  WORD flags =
      TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FOLEAUTOMATION;
  // The interface it derives from: IID_IDispatch, IID_IUnknown (from the
  // imported stdole), an interface listed earlier in the same library, or
  // GUID_NULL for none (IUnknown itself).
  IID base = IID_IDispatch;
  // The members in method-table order: they follow the base's slots, in the
  // order of the interface class's virtual functions.
  std::vector<MethodSpec> methods;
};

// A creatable class.
struct CoclassSpec {
  std::u16string name;
  CLSID clsid = GUID_NULL;
  std::u16string help;
  WORD major = 1;
  WORD minor = 0;
  WORD flags = TYPEFLAG_FCANCREATE;
  IID default_interface = GUID_NULL;  // an InterfaceSpec of the same library
  // The programmatic identifier registered for the class; empty for
  // "<library name>.<class name>".
  std::u16string prog_id;
  // Creates an object and returns its interface |riid| (see
  // qb::CreateAutomationObject); null for a class that cannot be created.
  HRESULT (*create)(REFIID riid, void** object) = nullptr;
};

// Another type library that this one refers to. Only the standard OLE library
// (LIBID_stdole, which provides IUnknown and IDispatch) is known.
struct ImportSpec {
  GUID libid = LIBID_stdole;
  WORD major = 1;
  WORD minor = 0;
};

using TypeSpec = std::variant<InterfaceSpec, CoclassSpec>;

struct TypeLibSpec {
  std::u16string name;
  std::u16string help;       // the help string ("doc string")
  std::u16string help_file;  // empty: none
  DWORD help_context = 0;
  GUID libid = GUID_NULL;
  WORD major = 1;
  WORD minor = 0;
  LCID lcid = 0;
  SYSKIND syskind = SYS_WIN32;
  WORD flags = 0;  // LIBFLAG_*
  std::vector<ImportSpec> imports = {ImportSpec{}};
  std::vector<TypeSpec> types;  // the type infos in library order
};

// A parameter name for DescribeMethod, optionally with the automation type
// to show instead of the one derived from the C++ type (the storage must be
// the same: VT_ERROR for a LONG, VT_DATE for a DOUBLE...) and extra
// PARAMFLAG_ bits (PARAMFLAG_FOPT on a VARIANT parameter makes it optional:
// when omitted the method receives VT_ERROR / DISP_E_PARAMNOTFOUND).
struct ParamName {
  ParamName(const char16_t* parameter_name)  // NOLINT: implicit by design
      : name(parameter_name) {}
  ParamName(const char16_t* parameter_name, VARTYPE type, USHORT extra_flags = 0)
      : name(parameter_name), vt(type), flags(extra_flags) {}
  const char16_t* name;
  VARTYPE vt = VT_EMPTY;
  USHORT flags = 0;
};

namespace com_internal {

template <class T>
struct AutomationType {
  static constexpr VARTYPE kVt = VT_EMPTY;
};
#define QB_COM_AUTOMATION_TYPE(cpp_type, var_type) \
  template <>                                      \
  struct AutomationType<cpp_type> {                \
    static constexpr VARTYPE kVt = var_type;       \
  }
QB_COM_AUTOMATION_TYPE(SHORT, VT_I2);
QB_COM_AUTOMATION_TYPE(LONG, VT_I4);
QB_COM_AUTOMATION_TYPE(LONGLONG, VT_I8);
QB_COM_AUTOMATION_TYPE(CHAR, VT_I1);
QB_COM_AUTOMATION_TYPE(BYTE, VT_UI1);
QB_COM_AUTOMATION_TYPE(USHORT, VT_UI2);
QB_COM_AUTOMATION_TYPE(ULONG, VT_UI4);
QB_COM_AUTOMATION_TYPE(ULONGLONG, VT_UI8);
QB_COM_AUTOMATION_TYPE(FLOAT, VT_R4);
QB_COM_AUTOMATION_TYPE(DOUBLE, VT_R8);
QB_COM_AUTOMATION_TYPE(CY, VT_CY);
QB_COM_AUTOMATION_TYPE(VARIANT_BOOL, VT_BOOL);
QB_COM_AUTOMATION_TYPE(BSTR, VT_BSTR);
QB_COM_AUTOMATION_TYPE(VARIANT, VT_VARIANT);
QB_COM_AUTOMATION_TYPE(IDispatch*, VT_DISPATCH);
QB_COM_AUTOMATION_TYPE(IUnknown*, VT_UNKNOWN);
#undef QB_COM_AUTOMATION_TYPE

template <class T>
inline constexpr bool kIsAutomationValue = AutomationType<T>::kVt != VT_EMPTY;

template <class T>
inline constexpr bool kIsAutomationPointer =
    !kIsAutomationValue<T> && std::is_pointer_v<T> &&
    kIsAutomationValue<std::remove_cv_t<std::remove_pointer_t<T>>>;

struct ArgShape {
  VARTYPE vt;
  bool by_ref;
};

template <class T>
constexpr ArgShape ShapeOf() {
  static_assert(kIsAutomationValue<T> || kIsAutomationPointer<T>,
                "a method parameter must be an automation type or a pointer to one");
  if constexpr (kIsAutomationValue<T>) {
    return {AutomationType<T>::kVt, false};
  } else {
    return {AutomationType<std::remove_cv_t<std::remove_pointer_t<T>>>::kVt, true};
  }
}

template <class T>
T ArgFromSlot(void* slot) {
  if constexpr (kIsAutomationValue<T>) {
    return *static_cast<T*>(slot);
  } else {
    return static_cast<T>(slot);
  }
}

template <class M>
struct MethodTraits {
  static_assert(sizeof(M) == 0, "DescribeMethod needs a member function returning HRESULT");
};

template <class C, class... A>
struct MethodTraits<HRESULT (C::*)(A...)> {
  static_assert(std::is_base_of_v<IUnknown, C>, "the method's class must be an interface");
  static constexpr size_t kArity = sizeof...(A);
  static constexpr std::array<ArgShape, sizeof...(A)> kShapes = {ShapeOf<A>()...};

  template <auto kMethod, size_t... I>
  static HRESULT Call(IUnknown* self, void* const* args, std::index_sequence<I...>) {
    (void)args;
    return (static_cast<C*>(self)->*kMethod)(ArgFromSlot<A>(args[I])...);
  }
  template <auto kMethod>
  static HRESULT Thunk(IUnknown* self, void* const* args) {
    return Call<kMethod>(self, args, std::index_sequence_for<A...>{});
  }
};

// The part of DescribeMethod that does not depend on the signature.
MethodSpec MakeMethodSpec(std::u16string_view name, DISPID dispid,
                          std::initializer_list<ParamName> params, INVOKEKIND kind,
                          const ArgShape* shapes, size_t arity, MethodThunk thunk);

}  // namespace com_internal

// Describes the member function |kMethod| (a pointer to a virtual function of
// the interface class, e.g. &_Reg::Getting) as member |name| with DISPID
// |dispid|. |params| names the function's parameters in order; when it names
// one fewer than the function takes, the last parameter (which must be a
// pointer) is the [out, retval] result. A mismatch is recorded in
// MethodSpec::problem and reported when the library is built.
template <auto kMethod>
MethodSpec DescribeMethod(std::u16string_view name, DISPID dispid,
                          std::initializer_list<ParamName> params, INVOKEKIND kind = INVOKE_FUNC) {
  using Traits = com_internal::MethodTraits<decltype(kMethod)>;
  return com_internal::MakeMethodSpec(name, dispid, params, kind, Traits::kShapes.data(),
                                      Traits::kArity, &Traits::template Thunk<kMethod>);
}

// Describes a read-only property: |kGetter| takes only the result pointer.
template <auto kGetter>
MethodSpec DescribeProperty(std::u16string_view name, DISPID dispid) {
  return DescribeMethod<kGetter>(name, dispid, {}, INVOKE_PROPERTYGET);
}

}  // namespace qb
