// The ITypeLib and ITypeInfo objects over a prepared type library.
#include <atomic>
#include <new>

#include "platform/com/dispatch_invoke.h"
#include "platform/com/server.h"
#include "platform/com/typelib_data.h"

namespace qb::com_internal {
namespace {

void SetBstr(BSTR* out, const std::u16string& text) {
  if (out != nullptr) *out = text.empty() ? nullptr : AllocBstr(text);
}

const MethodSpec* FindMethod(const InterfaceSpec* spec, MEMBERID member) {
  if (spec == nullptr) return nullptr;
  for (const MethodSpec& m : spec->methods) {
    if (m.dispid == member) return &m;
  }
  return nullptr;
}

// Reference counting shared by both object kinds; every live object keeps
// the module loaded.
class Counted {
 public:
  Counted() { ModuleLock(); }
  ~Counted() { ModuleUnlock(); }
  ULONG AddRefImpl() { return ++refs_; }
  ULONG ReleaseImpl() { return --refs_; }

 private:
  std::atomic<ULONG> refs_{1};
};

class TypeInfoObject final : public ITypeInfo {
 public:
  explicit TypeInfoObject(const TypeRef& ref)
      : lib_(ref.lib), index_(ref.index), view_(ref.lib->View(ref.index, ref.vtable_view)) {}

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_ITypeInfo) {
      *object = static_cast<ITypeInfo*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return counted_.AddRefImpl(); }
  ULONG Release() override {
    ULONG n = counted_.ReleaseImpl();
    if (n == 0) delete this;
    return n;
  }

  HRESULT GetTypeAttr(TYPEATTR** attr) override {
    if (attr == nullptr) return E_POINTER;
    *attr = new (std::nothrow) TYPEATTR(view_->attr);
    return *attr == nullptr ? E_OUTOFMEMORY : S_OK;
  }
  HRESULT GetTypeComp(ITypeComp** comp) override {
    if (comp != nullptr) *comp = nullptr;
    return E_NOTIMPL;
  }
  HRESULT GetFuncDesc(UINT index, FUNCDESC** desc) override {
    if (desc == nullptr) return E_POINTER;
    *desc = nullptr;
    if (index >= view_->functions.size()) return TYPE_E_ELEMENTNOTFOUND;
    // The description is prepared once and shared; callers only read it.
    *desc = const_cast<FUNCDESC*>(&view_->functions[index]->desc);
    return S_OK;
  }
  HRESULT GetVarDesc(UINT, VARDESC** desc) override {
    if (desc != nullptr) *desc = nullptr;
    return TYPE_E_ELEMENTNOTFOUND;
  }
  HRESULT GetNames(MEMBERID member, BSTR* names, UINT max_names, UINT* count) override {
    if (count == nullptr || (names == nullptr && max_names > 0)) return E_POINTER;
    *count = 0;
    const MethodSpec* m = FindMethod(lib_->Interface(index_), member);
    if (m == nullptr) return TYPE_E_ELEMENTNOTFOUND;
    UINT n = 0;
    if (n < max_names) names[n++] = AllocBstr(m->name);
    for (const ParamSpec& p : m->params) {
      if (n >= max_names) break;
      names[n++] = AllocBstr(p.name);
    }
    *count = n;
    return S_OK;
  }
  HRESULT GetRefTypeOfImplType(UINT index, HREFTYPE* ref) override {
    if (ref == nullptr) return E_POINTER;
    if (index == static_cast<UINT>(-1)) {
      if (view_->attr.typekind == TKIND_DISPATCH && lib_->vtable[index_] != nullptr) {
        *ref = lib_->Encode(TypeRef{lib_, index_, true});
        return S_OK;
      }
      return TYPE_E_ELEMENTNOTFOUND;
    }
    if (index >= view_->impl_refs.size()) return TYPE_E_ELEMENTNOTFOUND;
    *ref = view_->impl_refs[index];
    return S_OK;
  }
  HRESULT GetImplTypeFlags(UINT index, INT* flags) override {
    if (flags == nullptr) return E_POINTER;
    if (index >= view_->impl_flags.size()) return TYPE_E_ELEMENTNOTFOUND;
    *flags = view_->impl_flags[index];
    return S_OK;
  }
  HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* ids) override {
    const InterfaceSpec* spec = lib_->Interface(index_);
    if (spec == nullptr) {
      if (names == nullptr || ids == nullptr) return E_INVALIDARG;
      for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
      return DISP_E_UNKNOWNNAME;
    }
    return GetIDsOfNamesBySpec(*spec, names, count, ids);
  }
  HRESULT Invoke(PVOID instance, MEMBERID member, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* exception, UINT* arg_error) override {
    const InterfaceSpec* spec = lib_->Interface(index_);
    if (spec == nullptr) return DISP_E_MEMBERNOTFOUND;
    if (instance == nullptr) return E_INVALIDARG;
    return InvokeBySpec(*spec, static_cast<IUnknown*>(instance), member, flags, params, result,
                        exception, arg_error, lib_->spec.name);
  }
  HRESULT GetDocumentation(MEMBERID member, BSTR* name, BSTR* doc_string, DWORD* help_context,
                           BSTR* help_file) override {
    const std::u16string* member_name;
    const std::u16string* member_help;
    if (member == MEMBERID_NIL) {
      member_name = &lib_->TypeName(index_);
      member_help = &lib_->TypeHelp(index_);
    } else {
      const MethodSpec* m = FindMethod(lib_->Interface(index_), member);
      if (m == nullptr) return TYPE_E_ELEMENTNOTFOUND;
      member_name = &m->name;
      member_help = &m->help;
    }
    SetBstr(name, *member_name);
    SetBstr(doc_string, *member_help);
    if (help_context != nullptr) *help_context = 0;
    SetBstr(help_file, lib_->spec.help_file);
    return S_OK;
  }
  HRESULT GetDllEntry(MEMBERID, INVOKEKIND, BSTR* dll_name, BSTR* name, WORD* ordinal) override {
    if (dll_name != nullptr) *dll_name = nullptr;
    if (name != nullptr) *name = nullptr;
    if (ordinal != nullptr) *ordinal = 0;
    return TYPE_E_BADMODULEKIND;
  }
  HRESULT GetRefTypeInfo(HREFTYPE ref, ITypeInfo** type_info) override {
    if (type_info == nullptr) return E_POINTER;
    *type_info = nullptr;
    TypeRef target;
    if (!lib_->Resolve(ref, &target)) return TYPE_E_ELEMENTNOTFOUND;
    *type_info = NewTypeInfoObject(target);
    return *type_info == nullptr ? E_OUTOFMEMORY : S_OK;
  }
  HRESULT AddressOfMember(MEMBERID, INVOKEKIND, PVOID* address) override {
    if (address != nullptr) *address = nullptr;
    return E_NOTIMPL;
  }
  HRESULT CreateInstance(IUnknown* outer, REFIID riid, PVOID* object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    const CoclassSpec* cls = lib_->Coclass(index_);
    if (cls == nullptr) return TYPE_E_BADMODULEKIND;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    if (cls->create == nullptr) return E_NOTIMPL;
    return cls->create(riid, object);
  }
  HRESULT GetMops(MEMBERID, BSTR* mops) override {
    if (mops != nullptr) *mops = nullptr;
    return E_NOTIMPL;
  }
  HRESULT GetContainingTypeLib(ITypeLib** lib, UINT* index) override {
    if (index != nullptr) *index = static_cast<UINT>(index_);
    if (lib != nullptr) {
      *lib = NewTypeLibObject(lib_);
      if (*lib == nullptr) return E_OUTOFMEMORY;
    }
    return S_OK;
  }
  void ReleaseTypeAttr(TYPEATTR* attr) override { delete attr; }
  void ReleaseFuncDesc(FUNCDESC*) override {}
  void ReleaseVarDesc(VARDESC*) override {}

 private:
  ~TypeInfoObject() = default;

  Counted counted_;
  const TypeLibData* lib_;
  size_t index_;
  const TypeView* view_;
};

class TypeLibObject final : public ITypeLib {
 public:
  explicit TypeLibObject(const TypeLibData* lib) : lib_(lib) {}

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_ITypeLib) {
      *object = static_cast<ITypeLib*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return counted_.AddRefImpl(); }
  ULONG Release() override {
    ULONG n = counted_.ReleaseImpl();
    if (n == 0) delete this;
    return n;
  }

  UINT GetTypeInfoCount() override { return static_cast<UINT>(lib_->spec.types.size()); }
  HRESULT GetTypeInfo(UINT index, ITypeInfo** type_info) override {
    if (type_info == nullptr) return E_POINTER;
    *type_info = nullptr;
    if (index >= lib_->spec.types.size()) return TYPE_E_ELEMENTNOTFOUND;
    *type_info = NewTypeInfoObject(TypeRef{lib_, index, false});
    return *type_info == nullptr ? E_OUTOFMEMORY : S_OK;
  }
  HRESULT GetTypeInfoType(UINT index, TYPEKIND* kind) override {
    if (kind == nullptr) return E_POINTER;
    if (index >= lib_->spec.types.size()) return TYPE_E_ELEMENTNOTFOUND;
    *kind = lib_->Kind(index);
    return S_OK;
  }
  HRESULT GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** type_info) override {
    if (type_info == nullptr) return E_POINTER;
    *type_info = nullptr;
    for (size_t i = 0; i < lib_->spec.types.size(); ++i) {
      if (lib_->primary[i]->attr.guid == guid) return GetTypeInfo(static_cast<UINT>(i), type_info);
    }
    return TYPE_E_ELEMENTNOTFOUND;
  }
  HRESULT GetLibAttr(TLIBATTR** attr) override {
    if (attr == nullptr) return E_POINTER;
    *attr = new (std::nothrow) TLIBATTR{};
    if (*attr == nullptr) return E_OUTOFMEMORY;
    const TypeLibSpec& s = lib_->spec;
    **attr = TLIBATTR{s.libid, s.lcid, s.syskind, s.major, s.minor, s.flags};
    return S_OK;
  }
  HRESULT GetTypeComp(ITypeComp** comp) override {
    if (comp != nullptr) *comp = nullptr;
    return E_NOTIMPL;
  }
  HRESULT GetDocumentation(INT index, BSTR* name, BSTR* doc_string, DWORD* help_context,
                           BSTR* help_file) override {
    const TypeLibSpec& s = lib_->spec;
    if (index == -1) {
      SetBstr(name, s.name);
      SetBstr(doc_string, s.help);
      if (help_context != nullptr) *help_context = s.help_context;
    } else {
      if (index < 0 || static_cast<size_t>(index) >= s.types.size()) {
        return TYPE_E_ELEMENTNOTFOUND;
      }
      SetBstr(name, lib_->TypeName(static_cast<size_t>(index)));
      SetBstr(doc_string, lib_->TypeHelp(static_cast<size_t>(index)));
      if (help_context != nullptr) *help_context = 0;
    }
    SetBstr(help_file, s.help_file);
    return S_OK;
  }
  HRESULT IsName(LPOLESTR name, ULONG, BOOL* found) override {
    if (name == nullptr || found == nullptr) return E_INVALIDARG;
    *found = FALSE;
    std::u16string_view wanted(name);
    const std::u16string* match = nullptr;
    ForEachName([&](const std::u16string& candidate, size_t, MEMBERID) {
      if (match == nullptr && SameName(candidate, wanted)) match = &candidate;
    });
    if (match != nullptr) {
      // Same length: the library's spelling fits the caller's buffer.
      match->copy(name, match->size());
      *found = TRUE;
    }
    return S_OK;
  }
  HRESULT FindName(LPOLESTR name, ULONG, ITypeInfo** type_infos, MEMBERID* ids,
                   USHORT* count) override {
    if (name == nullptr || count == nullptr ||
        (*count > 0 && (type_infos == nullptr || ids == nullptr))) {
      return E_INVALIDARG;
    }
    std::u16string_view wanted(name);
    USHORT found = 0;
    const USHORT limit = *count;
    ForEachName([&](const std::u16string& candidate, size_t index, MEMBERID id) {
      if (found < limit && SameName(candidate, wanted)) {
        type_infos[found] = NewTypeInfoObject(TypeRef{lib_, index, false});
        ids[found] = id;
        ++found;
      }
    });
    *count = found;
    return S_OK;
  }
  void ReleaseTLibAttr(TLIBATTR* attr) override { delete attr; }

 private:
  ~TypeLibObject() = default;

  // Calls |visit|(name, type index, member id) for every type name
  // (MEMBERID_NIL) and member name of the library.
  template <typename Visit>
  void ForEachName(Visit visit) const {
    for (size_t i = 0; i < lib_->spec.types.size(); ++i) {
      visit(lib_->TypeName(i), i, MEMBERID_NIL);
      if (const InterfaceSpec* itf = lib_->Interface(i)) {
        for (const MethodSpec& m : itf->methods) visit(m.name, i, m.dispid);
      }
    }
  }

  Counted counted_;
  const TypeLibData* lib_;
};

}  // namespace

ITypeLib* NewTypeLibObject(const TypeLibData* lib) { return new (std::nothrow) TypeLibObject(lib); }

ITypeInfo* NewTypeInfoObject(const TypeRef& ref) { return new (std::nothrow) TypeInfoObject(ref); }

}  // namespace qb::com_internal
