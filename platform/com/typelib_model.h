// A type library built from its description (platform/com/typelib_spec.h),
// readable through ITypeLib/ITypeInfo.
//
// What the type infos show:
//  - the library's attributes (name, help string, LIBID, version, LCID,
//    syskind, flags) through ITypeLib::GetLibAttr / GetDocumentation(-1);
//  - the types in the order of TypeLibSpec::types. A dual interface is listed
//    as its dispatch view (TKIND_DISPATCH): its functions are FUNC_DISPATCH,
//    show the visible parameters (a by-reference parameter as VT_PTR to its
//    type, flags PARAMFLAG_FIN | PARAMFLAG_FOUT) and the result type as the
//    return type (VT_VOID when there is none); it implements IDispatch. Its
//    method table view (GetRefTypeOfImplType(-1)) is TKIND_INTERFACE with
//    FUNC_PUREVIRTUAL functions returning VT_HRESULT, the result as a last
//    VT_PTR parameter flagged PARAMFLAG_FOUT | PARAMFLAG_FRETVAL, and oVft =
//    the byte offset of the slot (after the 7 slots of IDispatch); it
//    implements the interface's base. Only the interface's own members are
//    listed (cFuncs), not those of IUnknown and IDispatch.
//  - a coclass (TKIND_COCLASS) implements its default interface
//    (IMPLTYPEFLAG_FDEFAULT); ITypeInfo::CreateInstance creates an object
//    through CoclassSpec::create.
//  - IUnknown and IDispatch come from a built-in stand-in of the standard OLE
//    library (stdole, LIBID_stdole): their type infos carry name, GUID, kind,
//    base and method-table size, but list no functions.
//  - sizes are those of this platform: pointers (cbSizeInstance,
//    cbAlignment, slot size) are 8 bytes.
//
// Type infos and type libraries handed out count as live objects of the
// module (qb::ModuleLockCount), so a server library is not unloaded while a
// client holds one.
#pragma once

#include <memory>
#include <string>

#include "engine/status.h"
#include "platform/com/typelib_spec.h"

namespace qb {

namespace com_internal {
struct TypeLibData;
}  // namespace com_internal

class TypeLibModel {
 public:
  // Checks |spec| and prepares what the type infos hand out. Fails with
  // kInvalidArgument and a message naming the first problem: an empty or
  // repeated name or GUID, a method that DescribeMethod could not describe
  // (MethodSpec::problem) or without a call stub, a repeated member name or
  // DISPID, a member that is neither INVOKE_FUNC nor INVOKE_PROPERTYGET, a
  // property without a result, PARAMFLAG_FOPT on a parameter that is not a
  // VARIANT, a base interface or a coclass's default interface that is not
  // found, a dual interface whose base is not IDispatch or a dual interface,
  // an import other than stdole.
  static StatusOr<TypeLibModel> Build(TypeLibSpec spec);

  // As Build, for a description fixed in the program: a problem is a
  // programming error, so it is printed on standard error and the process
  // aborts.
  static TypeLibModel BuildOrDie(TypeLibSpec spec);

  TypeLibModel(TypeLibModel&& other) noexcept;
  TypeLibModel& operator=(TypeLibModel&& other) noexcept;
  ~TypeLibModel();

  const TypeLibSpec& spec() const;

  // The interface or coclass with that identifier; null when there is none.
  const InterfaceSpec* FindInterface(REFIID iid) const;
  const CoclassSpec* FindCoclass(REFCLSID clsid) const;

  // The programmatic identifier of |coclass|: CoclassSpec::prog_id, or
  // "<library name>.<class name>".
  std::u16string ProgIdOf(const CoclassSpec& coclass) const;

  // A new type library object over this model, with one reference for the
  // caller. The model must outlive it: a server keeps its model in a
  // function-local static, which lives until the library is unloaded.
  ITypeLib* NewTypeLib() const;

  // The type info of the interface (its dispatch view when dual) or coclass
  // |guid|, with one reference for the caller. TYPE_E_ELEMENTNOTFOUND (and
  // null) when the library has no such type; E_POINTER for a null |info|.
  HRESULT GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** info) const;

 private:
  explicit TypeLibModel(std::unique_ptr<com_internal::TypeLibData> data);

  std::unique_ptr<com_internal::TypeLibData> data_;
};

}  // namespace qb
