// ITypeInfo and ITypeLib: type libraries read at run time, with their
// description structures.
//
// A type library lists type descriptions ("type infos"): interfaces and the
// creatable classes (coclasses) that implement them. A dual interface (one
// that can be called both through its method table and through IDispatch)
// appears in the library as its dispatch view (TKIND_DISPATCH, flag
// TYPEFLAG_FDUAL); GetRefTypeOfImplType(-1) on that view leads to its method
// table view (TKIND_INTERFACE), whose functions carry their vtable offsets,
// the HRESULT return type and the [out, retval] parameter.
//
// Memory: GetTypeAttr / GetFuncDesc / GetLibAttr return structures that stay
// valid until the matching Release*Attr / ReleaseFuncDesc call; do not keep
// them past that, nor past the release of the type info itself. Texts that
// come back as BSTR belong to the caller. Any [out] pointer argument may be
// null when the caller does not want that item, where the original allows it
// (GetDocumentation, GetContainingTypeLib).
//
// Our type infos are built from the descriptions of platform/com/
// typelib_model.h. Members nobody needs answer E_NOTIMPL: GetTypeComp,
// GetDllEntry, AddressOfMember, GetMops (ITypeInfo), GetTypeComp (ITypeLib).
// GetVarDesc answers TYPE_E_ELEMENTNOTFOUND: no type has variables.
#pragma once

#include "platform/com/dispatch.h"

class ITypeComp;
class ITypeLib;

// {00020401-0000-0000-C000-000000000046}
inline constexpr IID IID_ITypeInfo = {
    0x00020401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {00020402-0000-0000-C000-000000000046}
inline constexpr IID IID_ITypeLib = {
    0x00020402, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// The standard OLE type library (stdole) that automation libraries import
// for IUnknown and IDispatch: {00020430-0000-0000-C000-000000000046}.
inline constexpr GUID LIBID_stdole = {
    0x00020430, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// The universal marshaller for automation-compatible interfaces
// ("PSOAInterface"), named as ProxyStubClsid32 of registered interfaces.
inline constexpr CLSID CLSID_PSOAInterface = {
    0x00020424, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

extern "C" {

enum TYPEKIND {
  TKIND_ENUM = 0,
  TKIND_RECORD,
  TKIND_MODULE,
  TKIND_INTERFACE,
  TKIND_DISPATCH,
  TKIND_COCLASS,
  TKIND_ALIAS,
  TKIND_UNION,
  TKIND_MAX
};

enum FUNCKIND { FUNC_VIRTUAL = 0, FUNC_PUREVIRTUAL, FUNC_NONVIRTUAL, FUNC_STATIC, FUNC_DISPATCH };

enum INVOKEKIND {
  INVOKE_FUNC = 1,
  INVOKE_PROPERTYGET = 2,
  INVOKE_PROPERTYPUT = 4,
  INVOKE_PROPERTYPUTREF = 8
};

enum CALLCONV {
  CC_FASTCALL = 0,
  CC_CDECL = 1,
  CC_MSCPASCAL,
  CC_PASCAL = CC_MSCPASCAL,
  CC_MACPASCAL,
  CC_STDCALL,
  CC_FPFASTCALL,
  CC_SYSCALL,
  CC_MPWCDECL,
  CC_MPWPASCAL,
  CC_MAX
};

enum SYSKIND { SYS_WIN16 = 0, SYS_WIN32, SYS_MAC, SYS_WIN64 };

enum VARKIND { VAR_PERINSTANCE = 0, VAR_STATIC, VAR_CONST, VAR_DISPATCH };

enum TYPEFLAGS {
  TYPEFLAG_FAPPOBJECT = 0x1,
  TYPEFLAG_FCANCREATE = 0x2,
  TYPEFLAG_FLICENSED = 0x4,
  TYPEFLAG_FPREDECLID = 0x8,
  TYPEFLAG_FHIDDEN = 0x10,
  TYPEFLAG_FCONTROL = 0x20,
  TYPEFLAG_FDUAL = 0x40,
  TYPEFLAG_FNONEXTENSIBLE = 0x80,
  TYPEFLAG_FOLEAUTOMATION = 0x100,
  TYPEFLAG_FRESTRICTED = 0x200,
  TYPEFLAG_FAGGREGATABLE = 0x400,
  TYPEFLAG_FREPLACEABLE = 0x800,
  TYPEFLAG_FDISPATCHABLE = 0x1000,
  TYPEFLAG_FREVERSEBIND = 0x2000,
  TYPEFLAG_FPROXY = 0x4000
};

enum FUNCFLAGS {
  FUNCFLAG_FRESTRICTED = 0x1,
  FUNCFLAG_FSOURCE = 0x2,
  FUNCFLAG_FBINDABLE = 0x4,
  FUNCFLAG_FREQUESTEDIT = 0x8,
  FUNCFLAG_FDISPLAYBIND = 0x10,
  FUNCFLAG_FDEFAULTBIND = 0x20,
  FUNCFLAG_FHIDDEN = 0x40
};

enum LIBFLAGS {
  LIBFLAG_FRESTRICTED = 0x1,
  LIBFLAG_FCONTROL = 0x2,
  LIBFLAG_FHIDDEN = 0x4,
  LIBFLAG_FHASDISKIMAGE = 0x8
};

#define IMPLTYPEFLAG_FDEFAULT 0x1
#define IMPLTYPEFLAG_FSOURCE 0x2
#define IMPLTYPEFLAG_FRESTRICTED 0x4
#define IMPLTYPEFLAG_FDEFAULTVTABLE 0x8

#define PARAMFLAG_NONE 0x00
#define PARAMFLAG_FIN 0x01
#define PARAMFLAG_FOUT 0x02
#define PARAMFLAG_FLCID 0x04
#define PARAMFLAG_FRETVAL 0x08
#define PARAMFLAG_FOPT 0x10
#define PARAMFLAG_FHASDEFAULT 0x20
#define PARAMFLAG_FHASCUSTDATA 0x40

struct tagARRAYDESC;

// A type: |vt| is a VT_ code; for VT_PTR (and VT_SAFEARRAY) |lptdesc| is the
// type pointed to; for VT_USERDEFINED |hreftype| refers to another type info.
typedef struct tagTYPEDESC {
  union {
    struct tagTYPEDESC* lptdesc;
    struct tagARRAYDESC* lpadesc;
    HREFTYPE hreftype;
  };
  VARTYPE vt;
} TYPEDESC;

typedef struct tagIDLDESC {
  ULONG_PTR dwReserved;
  USHORT wIDLFlags;
} IDLDESC;

typedef struct tagPARAMDESCEX {
  ULONG cBytes;
  VARIANTARG varDefaultValue;
} PARAMDESCEX;

typedef struct tagPARAMDESC {
  PARAMDESCEX* pparamdescex;  // default value; null here
  USHORT wParamFlags;         // PARAMFLAG_*
} PARAMDESC;

typedef struct tagELEMDESC {
  TYPEDESC tdesc;
  union {
    IDLDESC idldesc;
    PARAMDESC paramdesc;
  };
} ELEMDESC;

typedef struct tagTYPEATTR {
  GUID guid;
  LCID lcid;
  DWORD dwReserved;
  MEMBERID memidConstructor;
  MEMBERID memidDestructor;
  LPOLESTR lpstrSchema;
  ULONG cbSizeInstance;
  TYPEKIND typekind;
  WORD cFuncs;
  WORD cVars;
  WORD cImplTypes;
  WORD cbSizeVft;
  WORD cbAlignment;
  WORD wTypeFlags;
  WORD wMajorVerNum;
  WORD wMinorVerNum;
  TYPEDESC tdescAlias;
  IDLDESC idldescType;
} TYPEATTR;

typedef struct tagFUNCDESC {
  MEMBERID memid;
  SCODE* lprgscode;
  ELEMDESC* lprgelemdescParam;  // cParams parameters, in order
  FUNCKIND funckind;
  INVOKEKIND invkind;
  CALLCONV callconv;
  SHORT cParams;
  SHORT cParamsOpt;
  SHORT oVft;  // byte offset of the function's slot in the method table
  SHORT cScodes;
  ELEMDESC elemdescFunc;  // the return type
  WORD wFuncFlags;
} FUNCDESC;

typedef struct tagVARDESC {
  MEMBERID memid;
  LPOLESTR lpstrSchema;
  union {
    ULONG oInst;
    VARIANT* lpvarValue;
  };
  ELEMDESC elemdescVar;
  WORD wVarFlags;
  VARKIND varkind;
} VARDESC;

typedef struct tagTLIBATTR {
  GUID guid;
  LCID lcid;
  SYSKIND syskind;
  WORD wMajorVerNum;
  WORD wMinorVerNum;
  WORD wLibFlags;
} TLIBATTR;

}  // extern "C"

class ITypeInfo : public IUnknown {
 public:
  virtual HRESULT GetTypeAttr(TYPEATTR** attr) = 0;
  virtual HRESULT GetTypeComp(ITypeComp** comp) = 0;
  // TYPE_E_ELEMENTNOTFOUND for an index at or beyond TYPEATTR::cFuncs.
  virtual HRESULT GetFuncDesc(UINT index, FUNCDESC** desc) = 0;
  virtual HRESULT GetVarDesc(UINT index, VARDESC** desc) = 0;
  // names[0] = the member's name, then its parameters' names, at most
  // |max_names| BSTRs (the caller frees them); |*count| = how many.
  virtual HRESULT GetNames(MEMBERID member, BSTR* names, UINT max_names, UINT* count) = 0;
  // The reference of the |index|th implemented interface (an interface's base,
  // a coclass's interfaces); index (UINT)-1 on a dual interface's dispatch
  // view gives its method table view.
  virtual HRESULT GetRefTypeOfImplType(UINT index, HREFTYPE* ref) = 0;
  virtual HRESULT GetImplTypeFlags(UINT index, INT* flags) = 0;
  // As IDispatch::GetIDsOfNames, without riid and lcid.
  virtual HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* ids) = 0;
  // Calls |member| on |instance|, an interface pointer of this type (the
  // object's method table), with IDispatch::Invoke's rules.
  virtual HRESULT Invoke(PVOID instance, MEMBERID member, WORD flags, DISPPARAMS* params,
                         VARIANT* result, EXCEPINFO* exception, UINT* arg_error) = 0;
  // MEMBERID_NIL documents the type itself, else the member.
  virtual HRESULT GetDocumentation(MEMBERID member, BSTR* name, BSTR* doc_string,
                                   DWORD* help_context, BSTR* help_file) = 0;
  virtual HRESULT GetDllEntry(MEMBERID member, INVOKEKIND kind, BSTR* dll_name, BSTR* name,
                              WORD* ordinal) = 0;
  virtual HRESULT GetRefTypeInfo(HREFTYPE ref, ITypeInfo** type_info) = 0;
  virtual HRESULT AddressOfMember(MEMBERID member, INVOKEKIND kind, PVOID* address) = 0;
  // For a coclass: creates an object of the class.
  virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, PVOID* object) = 0;
  virtual HRESULT GetMops(MEMBERID member, BSTR* mops) = 0;
  virtual HRESULT GetContainingTypeLib(ITypeLib** lib, UINT* index) = 0;
  virtual void ReleaseTypeAttr(TYPEATTR* attr) = 0;
  virtual void ReleaseFuncDesc(FUNCDESC* desc) = 0;
  virtual void ReleaseVarDesc(VARDESC* desc) = 0;

 protected:
  ~ITypeInfo() = default;
};
typedef ITypeInfo* LPTYPEINFO;

class ITypeLib : public IUnknown {
 public:
  virtual UINT GetTypeInfoCount() = 0;
  // TYPE_E_ELEMENTNOTFOUND for an index at or beyond GetTypeInfoCount().
  virtual HRESULT GetTypeInfo(UINT index, ITypeInfo** type_info) = 0;
  virtual HRESULT GetTypeInfoType(UINT index, TYPEKIND* kind) = 0;
  // By IID or CLSID.
  virtual HRESULT GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** type_info) = 0;
  virtual HRESULT GetLibAttr(TLIBATTR** attr) = 0;
  virtual HRESULT GetTypeComp(ITypeComp** comp) = 0;
  // Index -1 documents the library itself.
  virtual HRESULT GetDocumentation(INT index, BSTR* name, BSTR* doc_string, DWORD* help_context,
                                   BSTR* help_file) = 0;
  // Whether |name| (any letter case) names a type or a member of one; when
  // it does, |name| is overwritten with the name as the library spells it.
  virtual HRESULT IsName(LPOLESTR name, ULONG hash, BOOL* found) = 0;
  // Up to |*count| occurrences of |name|: the type info holding it and the
  // member id (MEMBERID_NIL for a type's own name); |*count| = how many.
  virtual HRESULT FindName(LPOLESTR name, ULONG hash, ITypeInfo** type_infos, MEMBERID* ids,
                           USHORT* count) = 0;
  virtual void ReleaseTLibAttr(TLIBATTR* attr) = 0;

 protected:
  ~ITypeLib() = default;
};
typedef ITypeLib* LPTYPELIB;
