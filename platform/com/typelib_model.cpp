#include "platform/com/typelib_model.h"

#include <cstdio>
#include <cstdlib>

#include "platform/com/typelib_data.h"

namespace qb {
namespace com_internal {
namespace {

constexpr WORD kPointerSize = sizeof(void*);
constexpr int kIUnknownSlots = 3;
constexpr int kIDispatchSlots = 7;

// Finds the interface |iid| in |lib| (among its first |limit| types) or in
// its imports.
bool FindInterfaceRef(const TypeLibData& lib, REFIID iid, size_t limit, TypeRef* out) {
  for (size_t i = 0; i < limit && i < lib.spec.types.size(); ++i) {
    const InterfaceSpec* spec = lib.Interface(i);
    if (spec != nullptr && spec->iid == iid) {
      *out = TypeRef{&lib, i, false};
      return true;
    }
  }
  for (const TypeLibData* import : lib.imports) {
    if (FindInterfaceRef(*import, iid, import->spec.types.size(), out)) return true;
  }
  return false;
}

bool IsDual(const InterfaceSpec& spec) { return (spec.flags & TYPEFLAG_FDUAL) != 0; }

// Method-table slots of the interface |ref| including its bases.
int SlotsOf(const TypeRef& ref) {
  const InterfaceSpec* spec = ref.lib->Interface(ref.index);
  if (spec->iid == IID_IUnknown) return kIUnknownSlots;
  if (spec->iid == IID_IDispatch) return kIDispatchSlots;
  int base_slots = 0;
  TypeRef base;
  if (spec->base != GUID_NULL && FindInterfaceRef(*ref.lib, spec->base, ref.index, &base)) {
    base_slots = SlotsOf(base);
  }
  return base_slots + static_cast<int>(spec->methods.size());
}

bool DerivesFromIDispatch(const TypeRef& ref) {
  const InterfaceSpec* spec = ref.lib->Interface(ref.index);
  if (spec->iid == IID_IDispatch) return true;
  TypeRef base;
  if (spec->base == GUID_NULL || !FindInterfaceRef(*ref.lib, spec->base, ref.index, &base)) {
    return false;
  }
  return DerivesFromIDispatch(base);
}

std::string Name(const std::u16string& name) { return "\"" + Utf16ToUtf8(name) + "\""; }

Status Invalid(const TypeLibSpec& spec, const std::string& what) {
  return Status::InvalidArgument("type library " + Name(spec.name) + ": " + what);
}

Status CheckMethods(const TypeLibSpec& lib, const InterfaceSpec& spec) {
  std::string where = "interface " + Name(spec.name);
  for (size_t i = 0; i < spec.methods.size(); ++i) {
    const MethodSpec& m = spec.methods[i];
    std::string member = where + " member " + Name(m.name);
    if (!m.problem.empty()) return Invalid(lib, member + ": " + m.problem);
    if (m.name.empty()) return Invalid(lib, where + ": a member without a name");
    if (m.thunk == nullptr) return Invalid(lib, member + ": no call stub");
    if (m.kind != INVOKE_FUNC && m.kind != INVOKE_PROPERTYGET) {
      return Invalid(lib, member + ": only methods and read-only properties are supported");
    }
    if (m.kind == INVOKE_PROPERTYGET && m.result == VT_EMPTY) {
      return Invalid(lib, member + ": a property needs a result");
    }
    for (size_t k = 0; k < i; ++k) {
      if (SameName(spec.methods[k].name, m.name)) return Invalid(lib, member + ": name repeated");
      if (spec.methods[k].dispid == m.dispid) return Invalid(lib, member + ": DISPID repeated");
    }
    for (size_t p = 0; p < m.params.size(); ++p) {
      const ParamSpec& param = m.params[p];
      if (param.name.empty()) return Invalid(lib, member + ": a parameter without a name");
      if ((param.flags & PARAMFLAG_FOPT) != 0 && param.vt != VT_VARIANT) {
        return Invalid(lib, member + " parameter " + Name(param.name) +
                                ": only a VARIANT parameter can be optional");
      }
      for (size_t q = 0; q < p; ++q) {
        if (SameName(m.params[q].name, param.name)) {
          return Invalid(lib, member + " parameter " + Name(param.name) + ": name repeated");
        }
      }
    }
  }
  return Status::Ok();
}

Status Check(const TypeLibData& data) {
  const TypeLibSpec& lib = data.spec;
  if (lib.name.empty()) return Status::InvalidArgument("type library without a name");
  if (lib.libid == GUID_NULL) return Invalid(lib, "no library identifier");
  for (size_t i = 0; i < lib.types.size(); ++i) {
    const std::u16string& name = data.TypeName(i);
    const InterfaceSpec* itf = data.Interface(i);
    const CoclassSpec* cls = data.Coclass(i);
    const GUID& guid = itf != nullptr ? itf->iid : cls->clsid;
    if (name.empty()) return Invalid(lib, "a type without a name");
    if (guid == GUID_NULL) return Invalid(lib, "type " + Name(name) + ": no identifier");
    for (size_t k = 0; k < i; ++k) {
      const GUID& other =
          data.Interface(k) != nullptr ? data.Interface(k)->iid : data.Coclass(k)->clsid;
      if (SameName(data.TypeName(k), name)) return Invalid(lib, Name(name) + ": name repeated");
      if (other == guid) return Invalid(lib, Name(name) + ": identifier repeated");
    }
    if (itf != nullptr) {
      TypeRef base;
      bool has_base = itf->base != GUID_NULL;
      if (has_base && !FindInterfaceRef(data, itf->base, i, &base)) {
        return Invalid(lib, "interface " + Name(name) +
                                ": base interface not found (it must be listed earlier)");
      }
      if (IsDual(*itf)) {
        bool dispatch_base = has_base && (itf->base == IID_IDispatch ||
                                          (base.lib->Interface(base.index) != nullptr &&
                                           IsDual(*base.lib->Interface(base.index))));
        if (!dispatch_base) {
          return Invalid(lib, "dual interface " + Name(name) +
                                  ": its base must be IDispatch or a dual interface");
        }
      }
      Status s = CheckMethods(lib, *itf);
      if (!s.ok()) return s;
    } else {
      bool found = false;
      for (size_t k = 0; k < lib.types.size(); ++k) {
        if (data.Interface(k) != nullptr && data.Interface(k)->iid == cls->default_interface) {
          found = true;
        }
      }
      if (!found) {
        return Invalid(lib, "coclass " + Name(name) + ": default interface not in the library");
      }
    }
  }
  return Status::Ok();
}

void FillParam(const ParamSpec& param, TYPEDESC* pointee, ELEMDESC* out) {
  *out = ELEMDESC{};
  if (param.by_ref) {
    pointee->vt = param.vt;
    out->tdesc.vt = VT_PTR;
    out->tdesc.lptdesc = pointee;
  } else {
    out->tdesc.vt = param.vt;
  }
  out->paramdesc.wParamFlags = param.flags;
}

std::unique_ptr<FunctionView> BuildFunction(const MethodSpec& m, int slot, bool dispatch_view) {
  auto f = std::make_unique<FunctionView>();
  bool retval_param = !dispatch_view && m.result != VT_EMPTY;
  size_t count = m.params.size() + (retval_param ? 1 : 0);
  f->params.resize(count);
  f->pointees.resize(count);
  SHORT optional = 0;
  for (size_t i = 0; i < m.params.size(); ++i) {
    FillParam(m.params[i], &f->pointees[i], &f->params[i]);
    if ((m.params[i].flags & PARAMFLAG_FOPT) != 0) ++optional;
  }
  if (retval_param) {
    ParamSpec result;
    result.vt = m.result;
    result.by_ref = true;
    result.flags = PARAMFLAG_FOUT | PARAMFLAG_FRETVAL;
    FillParam(result, &f->pointees[count - 1], &f->params[count - 1]);
  }
  FUNCDESC& d = f->desc;
  d.memid = m.dispid;
  d.lprgscode = nullptr;
  d.lprgelemdescParam = count == 0 ? nullptr : f->params.data();
  d.funckind = dispatch_view ? FUNC_DISPATCH : FUNC_PUREVIRTUAL;
  d.invkind = m.kind;
  d.callconv = CC_STDCALL;
  d.cParams = static_cast<SHORT>(count);
  d.cParamsOpt = optional;
  d.oVft = static_cast<SHORT>(slot * kPointerSize);
  d.cScodes = 0;
  d.elemdescFunc = ELEMDESC{};
  if (dispatch_view) {
    d.elemdescFunc.tdesc.vt = m.result == VT_EMPTY ? static_cast<VARTYPE>(VT_VOID) : m.result;
  } else {
    d.elemdescFunc.tdesc.vt = VT_HRESULT;
  }
  d.wFuncFlags = 0;
  return f;
}

TYPEATTR BaseAttr(const TypeLibSpec& lib, const GUID& guid, TYPEKIND kind, WORD flags, WORD major,
                  WORD minor) {
  TYPEATTR a{};
  a.guid = guid;
  a.lcid = lib.lcid;
  a.memidConstructor = MEMBERID_NIL;
  a.memidDestructor = MEMBERID_NIL;
  a.cbSizeInstance = kPointerSize;
  a.typekind = kind;
  a.cbAlignment = kPointerSize;
  a.wTypeFlags = flags;
  a.wMajorVerNum = major;
  a.wMinorVerNum = minor;
  a.tdescAlias.vt = VT_EMPTY;
  return a;
}

// Builds the views of interface |index|: |dispatch_view| selects the
// dispatch view of a dual, else the method-table view.
std::unique_ptr<TypeView> BuildInterfaceView(const TypeLibData& data, size_t index,
                                             bool dispatch_view) {
  const InterfaceSpec& spec = *data.Interface(index);
  TypeRef self{&data, index, false};
  auto view = std::make_unique<TypeView>();
  view->index = index;
  view->vtable_view = IsDual(spec) && !dispatch_view;
  bool dispatchable = DerivesFromIDispatch(self);
  WORD flags = static_cast<WORD>(spec.flags | (dispatchable ? TYPEFLAG_FDISPATCHABLE : 0));
  view->attr = BaseAttr(data.spec, spec.iid, dispatch_view ? TKIND_DISPATCH : TKIND_INTERFACE,
                        flags, spec.major, spec.minor);
  int total_slots = SlotsOf(self);
  int first_slot = total_slots - static_cast<int>(spec.methods.size());
  view->attr.cFuncs = static_cast<WORD>(spec.methods.size());
  view->attr.cbSizeVft =
      static_cast<WORD>((dispatch_view ? kIDispatchSlots : total_slots) * kPointerSize);
  for (size_t i = 0; i < spec.methods.size(); ++i) {
    view->functions.push_back(
        BuildFunction(spec.methods[i], first_slot + static_cast<int>(i), dispatch_view));
  }
  TypeRef base;
  bool has_base = dispatch_view
                      ? FindInterfaceRef(data, IID_IDispatch, index, &base)
                      : (spec.base != GUID_NULL && FindInterfaceRef(data, spec.base, index, &base));
  if (has_base) {
    const InterfaceSpec* base_spec = base.lib->Interface(base.index);
    // A method table derives from the method table of a dual base.
    if (!dispatch_view && IsDual(*base_spec)) base.vtable_view = true;
    view->impl_refs.push_back(data.Encode(base));
    view->impl_flags.push_back(0);
  }
  view->attr.cImplTypes = static_cast<WORD>(view->impl_refs.size());
  return view;
}

std::unique_ptr<TypeView> BuildCoclassView(const TypeLibData& data, size_t index) {
  const CoclassSpec& spec = *data.Coclass(index);
  auto view = std::make_unique<TypeView>();
  view->index = index;
  view->attr = BaseAttr(data.spec, spec.clsid, TKIND_COCLASS, spec.flags, spec.major, spec.minor);
  for (size_t k = 0; k < data.spec.types.size(); ++k) {
    const InterfaceSpec* itf = data.Interface(k);
    if (itf != nullptr && itf->iid == spec.default_interface) {
      view->impl_refs.push_back(data.Encode(TypeRef{&data, k, false}));
      view->impl_flags.push_back(IMPLTYPEFLAG_FDEFAULT);
    }
  }
  view->attr.cImplTypes = static_cast<WORD>(view->impl_refs.size());
  return view;
}

StatusOr<std::unique_ptr<TypeLibData>> BuildData(TypeLibSpec spec, bool is_stdole) {
  auto data = std::make_unique<TypeLibData>();
  data->spec = std::move(spec);
  for (const ImportSpec& import : data->spec.imports) {
    if (import.libid != LIBID_stdole || is_stdole) {
      return Invalid(data->spec, "import " + FormatGuid(import.libid) + " is not known");
    }
    data->imports.push_back(&StdoleData());
  }
  Status s = Check(*data);
  if (!s.ok()) return s;
  size_t n = data->spec.types.size();
  if (n > 0xFFFF) return Invalid(data->spec, "too many types");
  data->primary.resize(n);
  data->vtable.resize(n);
  for (size_t i = 0; i < n; ++i) {
    if (const InterfaceSpec* itf = data->Interface(i)) {
      data->primary[i] = BuildInterfaceView(*data, i, IsDual(*itf));
      if (IsDual(*itf)) data->vtable[i] = BuildInterfaceView(*data, i, false);
    } else {
      data->primary[i] = BuildCoclassView(*data, i);
    }
  }
  return data;
}

TypeLibSpec StdoleSpec() {
  TypeLibSpec spec;
  spec.name = u"stdole";
  spec.help = u"OLE Automation";
  spec.libid = LIBID_stdole;
  spec.major = 2;
  spec.minor = 0;
  spec.imports.clear();
  InterfaceSpec unknown;
  unknown.name = u"IUnknown";
  unknown.iid = IID_IUnknown;
  unknown.flags = TYPEFLAG_FHIDDEN;
  unknown.base = GUID_NULL;
  InterfaceSpec dispatch;
  dispatch.name = u"IDispatch";
  dispatch.iid = IID_IDispatch;
  dispatch.flags = 0;
  dispatch.base = IID_IUnknown;
  spec.types.push_back(std::move(unknown));
  spec.types.push_back(std::move(dispatch));
  return spec;
}

}  // namespace

const std::u16string& TypeLibData::TypeName(size_t index) const {
  if (const InterfaceSpec* itf = Interface(index)) return itf->name;
  return Coclass(index)->name;
}

const std::u16string& TypeLibData::TypeHelp(size_t index) const {
  if (const InterfaceSpec* itf = Interface(index)) return itf->help;
  return Coclass(index)->help;
}

TYPEKIND TypeLibData::Kind(size_t index) const { return primary[index]->attr.typekind; }

HREFTYPE TypeLibData::Encode(const TypeRef& ref) const {
  HREFTYPE lib_number = 0;
  for (size_t j = 0; j < imports.size(); ++j) {
    if (imports[j] == ref.lib) lib_number = static_cast<HREFTYPE>(j + 1);
  }
  return (lib_number << 20) | (ref.vtable_view ? 0x10000u : 0u) | static_cast<HREFTYPE>(ref.index);
}

bool TypeLibData::Resolve(HREFTYPE href, TypeRef* ref) const {
  if ((href & 0xF00E0000u) != 0) return false;
  HREFTYPE lib_number = (href >> 20) & 0xFF;
  const TypeLibData* lib = this;
  if (lib_number != 0) {
    if (lib_number > imports.size()) return false;
    lib = imports[lib_number - 1];
  }
  size_t index = href & 0xFFFF;
  bool vtable_view = (href & 0x10000u) != 0;
  if (lib->View(index, vtable_view) == nullptr) return false;
  *ref = TypeRef{lib, index, vtable_view};
  return true;
}

const TypeLibData& StdoleData() {
  static const std::unique_ptr<TypeLibData> data = [] {
    auto built = BuildData(StdoleSpec(), true);
    if (!built.ok()) {
      std::fprintf(stderr, "qb_com: %s\n", built.status().message().c_str());
      std::abort();
    }
    return std::move(built).value();
  }();
  return *data;
}

}  // namespace com_internal

TypeLibModel::TypeLibModel(std::unique_ptr<com_internal::TypeLibData> data)
    : data_(std::move(data)) {}
TypeLibModel::TypeLibModel(TypeLibModel&& other) noexcept = default;
TypeLibModel& TypeLibModel::operator=(TypeLibModel&& other) noexcept = default;
TypeLibModel::~TypeLibModel() = default;

StatusOr<TypeLibModel> TypeLibModel::Build(TypeLibSpec spec) {
  auto data = com_internal::BuildData(std::move(spec), false);
  if (!data.ok()) return data.status();
  return TypeLibModel(std::move(data).value());
}

TypeLibModel TypeLibModel::BuildOrDie(TypeLibSpec spec) {
  auto model = Build(std::move(spec));
  if (!model.ok()) {
    std::fprintf(stderr, "qb_com: %s\n", model.status().message().c_str());
    std::abort();
  }
  return std::move(model).value();
}

const TypeLibSpec& TypeLibModel::spec() const { return data_->spec; }

const InterfaceSpec* TypeLibModel::FindInterface(REFIID iid) const {
  for (size_t i = 0; i < data_->spec.types.size(); ++i) {
    const InterfaceSpec* itf = data_->Interface(i);
    if (itf != nullptr && itf->iid == iid) return itf;
  }
  return nullptr;
}

const CoclassSpec* TypeLibModel::FindCoclass(REFCLSID clsid) const {
  for (size_t i = 0; i < data_->spec.types.size(); ++i) {
    const CoclassSpec* cls = data_->Coclass(i);
    if (cls != nullptr && cls->clsid == clsid) return cls;
  }
  return nullptr;
}

std::u16string TypeLibModel::ProgIdOf(const CoclassSpec& coclass) const {
  if (!coclass.prog_id.empty()) return coclass.prog_id;
  return data_->spec.name + u"." + coclass.name;
}

ITypeLib* TypeLibModel::NewTypeLib() const { return com_internal::NewTypeLibObject(data_.get()); }

HRESULT TypeLibModel::GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** info) const {
  ITypeLib* lib = NewTypeLib();
  HRESULT hr = lib->GetTypeInfoOfGuid(guid, info);
  lib->Release();
  return hr;
}

}  // namespace qb
