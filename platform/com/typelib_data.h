// The prepared form of a type library model and the ITypeLib/ITypeInfo
// objects over it (internal to qb_com).
#pragma once

#include <memory>
#include <vector>

#include "platform/com/typelib_spec.h"

namespace qb::com_internal {

// One function of one view, with the arrays its FUNCDESC points into.
struct FunctionView {
  FUNCDESC desc{};
  std::vector<ELEMDESC> params;
  std::vector<TYPEDESC> pointees;  // sized before use: params point into it
  TYPEDESC result_pointee{};       // target of a VT_PTR return (never used)
};

struct TypeLibData;

// A reference to one view of a type in a library (ours or an import).
struct TypeRef {
  const TypeLibData* lib = nullptr;
  size_t index = 0;          // in lib->spec.types
  bool vtable_view = false;  // the method-table view of a dual interface
};

// One type info: the primary view of a type, or a dual's method-table view.
struct TypeView {
  size_t index = 0;
  bool vtable_view = false;
  TYPEATTR attr{};
  std::vector<std::unique_ptr<FunctionView>> functions;  // one per method
  std::vector<HREFTYPE> impl_refs;                       // implemented types
  std::vector<INT> impl_flags;
};

struct TypeLibData {
  TypeLibSpec spec;
  // The imported libraries, parallel to spec.imports.
  std::vector<const TypeLibData*> imports;
  // Per type: the primary view and, for a dual interface, the method-table
  // view (null otherwise).
  std::vector<std::unique_ptr<TypeView>> primary;
  std::vector<std::unique_ptr<TypeView>> vtable;

  const InterfaceSpec* Interface(size_t index) const {
    return std::get_if<InterfaceSpec>(&spec.types[index]);
  }
  const CoclassSpec* Coclass(size_t index) const {
    return std::get_if<CoclassSpec>(&spec.types[index]);
  }
  const TypeView* View(size_t index, bool vtable_view) const {
    if (index >= primary.size()) return nullptr;
    return vtable_view ? vtable[index].get() : primary[index].get();
  }
  // The name of type |index|.
  const std::u16string& TypeName(size_t index) const;
  const std::u16string& TypeHelp(size_t index) const;
  TYPEKIND Kind(size_t index) const;

  // References: bits 0-15 the type index, bit 16 the method-table view,
  // bits 20-27 the import number + 1 (0: this library).
  HREFTYPE Encode(const TypeRef& ref) const;
  bool Resolve(HREFTYPE href, TypeRef* ref) const;
};

// The built-in stand-in of the standard OLE library (IUnknown, IDispatch).
const TypeLibData& StdoleData();

// New COM objects over |lib| (one reference each, counted in the module).
ITypeLib* NewTypeLibObject(const TypeLibData* lib);
ITypeInfo* NewTypeInfoObject(const TypeRef& ref);

}  // namespace qb::com_internal
