// The library frame: late binding, the type library, the class table,
// binding of system functions on first use, and registration.
#include <gtest/gtest.h>

#include <utility>

#include "tests/avole/avole_fixture.h"

namespace avole {
namespace {

using qb::Bstr;
using qb::ComPtr;
using testing::AvoleTest;

ComPtr<IDispatch> NewDispatch(const CLSID& clsid) {
  ComPtr<IDispatch> d;
  EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                             reinterpret_cast<void**>(d.out())),
            S_OK);
  return d;
}

DISPID IdOf(IDispatch* d, std::u16string name) {
  LPOLESTR names[] = {name.data()};
  DISPID id = DISPID_UNKNOWN;
  d->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
  return id;
}

TEST_F(AvoleTest, RegByNameAndByDispid) {
  auto d = NewDispatch(CLSID_Reg);
  EXPECT_EQ(IdOf(d.get(), u"getting"), 0x6003001C);
  EXPECT_EQ(IdOf(d.get(), u"SAVING"), 0x60030020);
  EXPECT_EQ(IdOf(d.get(), u"DelKey"), 0x60030024);
  EXPECT_EQ(IdOf(d.get(), u"DelSection"), 0x60030028);
  EXPECT_EQ(IdOf(d.get(), u"Nothing"), DISPID_UNKNOWN);

  // Saving with by-reference variables: the text the system saw is written
  // back into the caller's variables.
  LONG node = static_cast<LONG>(0x80000001u);
  BSTR section = qb::AllocBstrFromUtf8("Software\\A");
  BSTR key = qb::AllocBstrFromUtf8("K€");
  VARIANT args[4];
  for (VARIANT& a : args) VariantInit(&a);
  args[3].vt = VT_I4 | VT_BYREF;
  args[3].plVal = &node;
  args[2].vt = VT_BSTR | VT_BYREF;
  args[2].pbstrVal = &section;
  args[1].vt = VT_BSTR | VT_BYREF;
  args[1].pbstrVal = &key;
  args[0].vt = VT_BSTR;
  args[0].bstrVal = qb::AllocBstrFromUtf8("値");
  DISPPARAMS params = {args, nullptr, 4, 0};
  VARIANT result;
  VariantInit(&result);
  ASSERT_EQ(d->Invoke(0x60030020, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr),
            S_OK);
  EXPECT_EQ(result.vt, VT_BOOL);
  EXPECT_EQ(result.boolVal, VARIANT_TRUE);
  EXPECT_EQ(qb::Utf8FromBstr(key), "K?");
  EXPECT_EQ(qb::Utf8FromBstr(args[0].bstrVal), "値");  // by value: untouched

  // Getting by DISPID, all arguments by value.
  VARIANT get_args[3];
  for (VARIANT& a : get_args) VariantInit(&a);
  get_args[2].vt = VT_I4;
  get_args[2].lVal = static_cast<LONG>(0x80000001u);
  get_args[1].vt = VT_BSTR;
  get_args[1].bstrVal = qb::AllocBstrFromUtf8("software\\a");
  get_args[0].vt = VT_BSTR;
  get_args[0].bstrVal = qb::AllocBstrFromUtf8("k?");
  DISPPARAMS get = {get_args, nullptr, 3, 0};
  VARIANT text;
  VariantInit(&text);
  ASSERT_EQ(d->Invoke(0x6003001C, IID_NULL, 0, DISPATCH_METHOD, &get, &text, nullptr, nullptr),
            S_OK);
  EXPECT_EQ(qb::Utf8FromBstr(text.bstrVal), "値");

  // The automation errors: a wrong argument count, a failed conversion, a
  // member that does not exist.
  get.cArgs = 2;
  get.rgvarg = get_args + 1;
  EXPECT_EQ(d->Invoke(0x6003001C, IID_NULL, 0, DISPATCH_METHOD, &get, &text, nullptr, nullptr),
            DISP_E_BADPARAMCOUNT);
  VariantClear(&get_args[2]);
  get_args[2].vt = VT_BSTR;
  get_args[2].bstrVal = qb::AllocBstrFromUtf8("not a number");
  get = {get_args, nullptr, 3, 0};
  UINT arg_error = 99;
  EXPECT_EQ(d->Invoke(0x6003001C, IID_NULL, 0, DISPATCH_METHOD, &get, &text, nullptr, &arg_error),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(arg_error, 2u);
  EXPECT_EQ(d->Invoke(0x12345, IID_NULL, 0, DISPATCH_METHOD, &get, &text, nullptr, nullptr),
            DISP_E_MEMBERNOTFOUND);

  for (VARIANT& a : get_args) VariantClear(&a);
  VariantClear(&args[0]);
  VariantClear(&text);
  SysFreeString(section);
  SysFreeString(key);
}

TEST_F(AvoleTest, TypeLibrary) {
  auto d = NewDispatch(CLSID_Reg);
  ComPtr<ITypeInfo> info;
  ASSERT_EQ(d->GetTypeInfo(0, 0, info.out()), S_OK);
  ComPtr<ITypeLib> lib;
  UINT index = 0;
  ASSERT_EQ(info->GetContainingTypeLib(lib.out(), &index), S_OK);
  TLIBATTR* attr = nullptr;
  ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
  EXPECT_EQ(attr->guid, LIBID_AVOLE);
  EXPECT_EQ(attr->wMajorVerNum, 1);
  EXPECT_EQ(attr->wMinorVerNum, 0);
  EXPECT_EQ(attr->lcid, 0x0409u);
  EXPECT_EQ(attr->syskind, SYS_WIN32);
  EXPECT_EQ(attr->wLibFlags, 0);
  lib->ReleaseTLibAttr(attr);
  Bstr name, help;
  ASSERT_EQ(lib->GetDocumentation(-1, name.out(), help.out(), nullptr, nullptr), S_OK);
  EXPECT_EQ(qb::Utf8FromBstr(name.get()), "AVOLE");
  EXPECT_EQ(qb::Utf8FromBstr(help.get()), "Arvenda Software OLEｻｰﾊﾞｰ");

  const char* names[] = {"_Reg",   "Reg",          "_Ini",        "Ini",     "_System",
                         "System", "_ListControl", "ListControl", "_Window", "Window"};
  ASSERT_EQ(lib->GetTypeInfoCount(), 10u);
  for (UINT i = 0; i < 10; ++i) {
    Bstr type_name;
    lib->GetDocumentation(static_cast<INT>(i), type_name.out(), nullptr, nullptr, nullptr);
    EXPECT_EQ(qb::Utf8FromBstr(type_name.get()), names[i]);
    TYPEKIND kind;
    lib->GetTypeInfoType(i, &kind);
    ComPtr<ITypeInfo> t;
    ASSERT_EQ(lib->GetTypeInfo(i, t.out()), S_OK);
    TYPEATTR* ta = nullptr;
    ASSERT_EQ(t->GetTypeAttr(&ta), S_OK);
    EXPECT_EQ(ta->wMajorVerNum, 1);
    if (i % 2 == 0) {
      EXPECT_EQ(kind, TKIND_DISPATCH) << names[i];
      EXPECT_EQ(
          ta->wTypeFlags & (TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE |
                            TYPEFLAG_FOLEAUTOMATION),
          TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FOLEAUTOMATION);
    } else {
      EXPECT_EQ(kind, TKIND_COCLASS) << names[i];
      EXPECT_TRUE(ta->wTypeFlags & TYPEFLAG_FCANCREATE);
      INT flags = 0;
      EXPECT_EQ(t->GetImplTypeFlags(0, &flags), S_OK);
      EXPECT_TRUE(flags & IMPLTYPEFLAG_FDEFAULT);
    }
    t->ReleaseTypeAttr(ta);
  }
  // Every parameter of Saving is by reference, the result an [out, retval]
  // in the method table view.
  ComPtr<ITypeInfo> reg_info;
  ASSERT_EQ(lib->GetTypeInfoOfGuid(IID__Reg, reg_info.out()), S_OK);
  FUNCDESC* f = nullptr;
  ASSERT_EQ(reg_info->GetFuncDesc(1, &f), S_OK);
  EXPECT_EQ(f->memid, 0x60030020);
  ASSERT_EQ(f->cParams, 4);
  for (int p = 0; p < 4; ++p) {
    EXPECT_EQ(f->lprgelemdescParam[p].tdesc.vt, VT_PTR);
    EXPECT_EQ(f->lprgelemdescParam[p].paramdesc.wParamFlags, PARAMFLAG_FIN | PARAMFLAG_FOUT);
  }
  reg_info->ReleaseFuncDesc(f);
}

TEST_F(AvoleTest, ClassTable) {
  auto get =
      reinterpret_cast<HRESULT (*)(REFCLSID, REFIID, void**)>(dlsym(library_, "DllGetClassObject"));
  ASSERT_NE(get, nullptr);
  void* factory = nullptr;
  // Every class of the table can be created, by the method table's IID.
  const std::pair<CLSID, IID> classes[] = {{CLSID_Reg, IID__Reg},
                                           {CLSID_Ini, IID__Ini},
                                           {CLSID_System, IID__System},
                                           {CLSID_ListControl, IID__ListControl},
                                           {CLSID_Window, IID__Window}};
  for (const auto& [clsid, iid] : classes) {
    ASSERT_EQ(get(clsid, IID_IClassFactory, &factory), S_OK);
    ComPtr<IUnknown> object;
    EXPECT_EQ(static_cast<IClassFactory*>(factory)->CreateInstance(nullptr, iid, object.out_void()),
              S_OK);
    static_cast<IClassFactory*>(factory)->Release();
  }
  // An identifier that names no class of the table.
  EXPECT_EQ(get(IID__Reg, IID_IClassFactory, &factory), CLASS_E_CLASSNOTAVAILABLE);
  auto can_unload = reinterpret_cast<HRESULT (*)()>(dlsym(library_, "DllCanUnloadNow"));
  {
    auto reg = NewReg();
    EXPECT_EQ(can_unload(), S_FALSE);  // an object is alive
  }
}

TEST_F(AvoleTest, SystemFunctionsAreBoundOnFirstUse) {
  // The library in this process's object table is the one CoCreateInstance
  // loaded; dlopen hands back the same one.
  auto reg = NewReg();
  auto lookups = reinterpret_cast<uint64_t (*)()>(dlsym(library_, "QbComLookupCount"));
  ASSERT_NE(lookups, nullptr);
  LONG node = static_cast<LONG>(0x80000001u);
  auto getting = [&] {
    Bstr s = Bstr::FromUtf8("Software\\B"), k = Bstr::FromUtf8("K"), r;
    reg->Getting(&node, s.inout(), k.inout(), r.out());
  };
  uint64_t before = lookups();
  getting();
  uint64_t first = lookups();
  EXPECT_GT(first, before);  // RegOpenKeyA, RegQueryValueExA, RegCloseKey looked up
  getting();
  getting();
  EXPECT_EQ(lookups(), first);  // and never again
}

TEST_F(AvoleTest, UnregistrationRemovesExactlyWhatRegistrationWrote) {
  HKEY key = 0;
  ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, "CLSID\\{00000000-1111-2222-3333-444444444444}", &key),
            ERROR_SUCCESS);
  RegCloseKey(key);
  ASSERT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, "AVOLE.Reg\\CLSID", &key), ERROR_SUCCESS);
  RegCloseKey(key);
  auto unreg = reinterpret_cast<HRESULT (*)()>(dlsym(library_, "DllUnregisterServer"));
  ASSERT_EQ(unreg(), S_OK);
  for (const char* gone : {"AVOLE.Reg", "CLSID\\{98FCF989-F5E7-11CF-9A73-444553540000}",
                           "TypeLib\\{98FCF992-F5E7-11CF-9A73-444553540000}",
                           "Interface\\{98FCF988-F5E7-11CF-9A73-444553540000}"}) {
    EXPECT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, gone, &key), ERROR_FILE_NOT_FOUND) << gone;
  }
  EXPECT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, "CLSID\\{00000000-1111-2222-3333-444444444444}", &key),
            ERROR_SUCCESS);
  RegCloseKey(key);
  qb::ComPtr<_Reg> reg;
  EXPECT_EQ(CoCreateInstance(CLSID_Reg, nullptr, CLSCTX_INPROC_SERVER, IID__Reg,
                             reinterpret_cast<void**>(reg.out())),
            REGDB_E_CLASSNOTREG);
}

}  // namespace
}  // namespace avole
