// Type libraries built from descriptions, read back through ITypeLib and
// ITypeInfo.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/platform/com/sample_class.h"

namespace qb::com_test {
namespace {

std::u16string NameOf(ITypeInfo* info, MEMBERID member = MEMBERID_NIL,
                      std::u16string* doc = nullptr) {
  BSTR name = nullptr;
  BSTR help = nullptr;
  EXPECT_EQ(info->GetDocumentation(member, &name, &help, nullptr, nullptr), S_OK);
  std::u16string result(BstrView(name));
  if (doc != nullptr) *doc = std::u16string(BstrView(help));
  SysFreeString(name);
  SysFreeString(help);
  return result;
}

ComPtr<ITypeInfo> RefInfo(ITypeInfo* info, UINT index) {
  HREFTYPE ref = 0;
  EXPECT_EQ(info->GetRefTypeOfImplType(index, &ref), S_OK);
  ComPtr<ITypeInfo> target;
  EXPECT_EQ(info->GetRefTypeInfo(ref, target.out()), S_OK);
  return target;
}

class TypeLibTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SampleModel().FindCoclass(kClsidSample)->create(IID_IDispatch, object_.out_void()),
              S_OK);
    UINT count = 0;
    ASSERT_EQ(object_->GetTypeInfoCount(&count), S_OK);
    ASSERT_EQ(count, 1u);
    ASSERT_EQ(object_->GetTypeInfo(0, 0, dispatch_view_.out()), S_OK);
  }

  ComPtr<IDispatch> object_;
  ComPtr<ITypeInfo> dispatch_view_;
};

TEST_F(TypeLibTest, LibraryAttributesAndTypeOrder) {
  ComPtr<ITypeLib> lib;
  UINT index = 99;
  ASSERT_EQ(dispatch_view_->GetContainingTypeLib(lib.out(), &index), S_OK);
  EXPECT_EQ(index, 0u);
  TLIBATTR* attr = nullptr;
  ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
  EXPECT_EQ(attr->guid, kLibId);
  EXPECT_EQ(attr->lcid, 0x0409u);
  EXPECT_EQ(attr->syskind, SYS_WIN32);
  EXPECT_EQ(attr->wMajorVerNum, 1);
  EXPECT_EQ(attr->wMinorVerNum, 0);
  EXPECT_EQ(attr->wLibFlags, 0);
  lib->ReleaseTLibAttr(attr);

  BSTR name = nullptr;
  BSTR help = nullptr;
  BSTR help_file = reinterpret_cast<BSTR>(1);
  ASSERT_EQ(lib->GetDocumentation(-1, &name, &help, nullptr, &help_file), S_OK);
  EXPECT_EQ(BstrView(name), u"QbComTest");
  EXPECT_EQ(BstrView(help), u"Test server ﾃｽﾄ");
  EXPECT_EQ(help_file, nullptr);
  SysFreeString(name);
  SysFreeString(help);

  ASSERT_EQ(lib->GetTypeInfoCount(), 2u);
  TYPEKIND kind;
  ASSERT_EQ(lib->GetTypeInfoType(0, &kind), S_OK);
  EXPECT_EQ(kind, TKIND_DISPATCH);
  ASSERT_EQ(lib->GetTypeInfoType(1, &kind), S_OK);
  EXPECT_EQ(kind, TKIND_COCLASS);
  EXPECT_EQ(lib->GetTypeInfoType(2, &kind), TYPE_E_ELEMENTNOTFOUND);

  ComPtr<ITypeInfo> by_guid;
  ASSERT_EQ(lib->GetTypeInfoOfGuid(kClsidSample, by_guid.out()), S_OK);
  EXPECT_EQ(NameOf(by_guid.get()), u"Sample");
  EXPECT_EQ(lib->GetTypeInfoOfGuid(IID_IClassFactory, by_guid.out()), TYPE_E_ELEMENTNOTFOUND);
  EXPECT_EQ(by_guid.get(), nullptr);

  OLECHAR spelled[] = u"sAMPLE";
  BOOL found = FALSE;
  ASSERT_EQ(lib->IsName(spelled, 0, &found), S_OK);
  EXPECT_TRUE(found);
  EXPECT_EQ(std::u16string(spelled), u"Sample");
  OLECHAR member[] = u"swap";
  ITypeInfo* holders[2] = {};
  MEMBERID ids[2] = {};
  USHORT count = 2;
  ASSERT_EQ(lib->FindName(member, 0, holders, ids, &count), S_OK);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(ids[0], kDispidSwap);
  EXPECT_EQ(NameOf(holders[0]), u"_Sample");
  holders[0]->Release();
}

TEST_F(TypeLibTest, DualInterfaceViews) {
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(dispatch_view_->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->guid, kIidSample);
  EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
  EXPECT_EQ(attr->wTypeFlags, TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE |
                                  TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE);
  EXPECT_EQ(attr->cFuncs, 4);
  EXPECT_EQ(attr->cImplTypes, 1);
  EXPECT_EQ(attr->lcid, 0x0409u);
  dispatch_view_->ReleaseTypeAttr(attr);
  EXPECT_EQ(NameOf(RefInfo(dispatch_view_.get(), 0).get()), u"IDispatch");

  FUNCDESC* f = nullptr;
  ASSERT_EQ(dispatch_view_->GetFuncDesc(0, &f), S_OK);
  EXPECT_EQ(f->memid, kDispidRepeat);
  EXPECT_EQ(f->funckind, FUNC_DISPATCH);
  EXPECT_EQ(f->invkind, INVOKE_FUNC);
  ASSERT_EQ(f->cParams, 2);
  EXPECT_EQ(f->lprgelemdescParam[0].tdesc.vt, VT_PTR);
  EXPECT_EQ(f->lprgelemdescParam[0].tdesc.lptdesc->vt, VT_I4);
  EXPECT_EQ(f->lprgelemdescParam[0].paramdesc.wParamFlags, PARAMFLAG_FIN | PARAMFLAG_FOUT);
  EXPECT_EQ(f->lprgelemdescParam[1].tdesc.lptdesc->vt, VT_BSTR);
  EXPECT_EQ(f->elemdescFunc.tdesc.vt, VT_BSTR);
  dispatch_view_->ReleaseFuncDesc(f);
  ASSERT_EQ(dispatch_view_->GetFuncDesc(2, &f), S_OK);
  EXPECT_EQ(f->invkind, INVOKE_PROPERTYGET);
  EXPECT_EQ(f->cParams, 0);
  EXPECT_EQ(f->elemdescFunc.tdesc.vt, VT_I4);
  dispatch_view_->ReleaseFuncDesc(f);
  ASSERT_EQ(dispatch_view_->GetFuncDesc(3, &f), S_OK);
  EXPECT_EQ(f->cParamsOpt, 1);
  EXPECT_EQ(f->lprgelemdescParam[0].tdesc.lptdesc->vt, VT_VARIANT);
  EXPECT_EQ(f->lprgelemdescParam[0].paramdesc.wParamFlags,
            PARAMFLAG_FIN | PARAMFLAG_FOUT | PARAMFLAG_FOPT);
  dispatch_view_->ReleaseFuncDesc(f);
  EXPECT_EQ(dispatch_view_->GetFuncDesc(4, &f), TYPE_E_ELEMENTNOTFOUND);

  ComPtr<ITypeInfo> table = RefInfo(dispatch_view_.get(), static_cast<UINT>(-1));
  ASSERT_TRUE(table);
  ASSERT_EQ(table->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->typekind, TKIND_INTERFACE);
  EXPECT_EQ(attr->cbSizeVft, 11 * sizeof(void*));
  table->ReleaseTypeAttr(attr);
  EXPECT_EQ(NameOf(RefInfo(table.get(), 0).get()), u"IDispatch");
  ASSERT_EQ(table->GetFuncDesc(1, &f), S_OK);
  EXPECT_EQ(f->memid, kDispidSwap);
  EXPECT_EQ(f->funckind, FUNC_PUREVIRTUAL);
  EXPECT_EQ(f->oVft, 8 * static_cast<SHORT>(sizeof(void*))) << "after the 7 IDispatch slots";
  EXPECT_EQ(f->elemdescFunc.tdesc.vt, VT_HRESULT);
  ASSERT_EQ(f->cParams, 3);
  EXPECT_EQ(f->lprgelemdescParam[2].tdesc.vt, VT_PTR);
  EXPECT_EQ(f->lprgelemdescParam[2].tdesc.lptdesc->vt, VT_BOOL);
  EXPECT_EQ(f->lprgelemdescParam[2].paramdesc.wParamFlags, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL);
  table->ReleaseFuncDesc(f);
  HREFTYPE ref;
  EXPECT_EQ(table->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref), TYPE_E_ELEMENTNOTFOUND);
}

TEST_F(TypeLibTest, MembersNamesAndInvoke) {
  std::u16string doc;
  EXPECT_EQ(NameOf(dispatch_view_.get(), kDispidRepeat, &doc), u"Repeat");
  EXPECT_EQ(doc, u"Repeats a text");
  BSTR names[3] = {};
  UINT count = 0;
  ASSERT_EQ(dispatch_view_->GetNames(kDispidRepeat, names, 3, &count), S_OK);
  ASSERT_EQ(count, 3u);
  EXPECT_EQ(BstrView(names[0]), u"Repeat");
  EXPECT_EQ(BstrView(names[1]), u"Count");
  EXPECT_EQ(BstrView(names[2]), u"Text");
  for (BSTR n : names) SysFreeString(n);
  EXPECT_EQ(dispatch_view_->GetNames(0x77, names, 3, &count), TYPE_E_ELEMENTNOTFOUND);

  const char16_t* lookup[] = {u"CALLS"};
  MEMBERID id = 0;
  ASSERT_EQ(dispatch_view_->GetIDsOfNames(const_cast<LPOLESTR*>(lookup), 1, &id), S_OK);
  EXPECT_EQ(id, kDispidCalls);

  ComPtr<_Sample> sample;
  ASSERT_EQ(object_.As(kIidSample, &sample), S_OK);
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  VARIANT out;
  VariantInit(&out);
  ASSERT_EQ(dispatch_view_->Invoke(sample.get(), kDispidCalls, DISPATCH_PROPERTYGET, &none, &out,
                                   nullptr, nullptr),
            S_OK);
  EXPECT_EQ(out.vt, VT_I4);
  EXPECT_EQ(out.lVal, 0);
}

TEST_F(TypeLibTest, CoclassCreatesItsObject) {
  ComPtr<ITypeLib> lib;
  ASSERT_EQ(dispatch_view_->GetContainingTypeLib(lib.out(), nullptr), S_OK);
  ComPtr<ITypeInfo> coclass;
  ASSERT_EQ(lib->GetTypeInfo(1, coclass.out()), S_OK);
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(coclass->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->typekind, TKIND_COCLASS);
  EXPECT_EQ(attr->wTypeFlags, TYPEFLAG_FCANCREATE);
  EXPECT_EQ(attr->cImplTypes, 1);
  coclass->ReleaseTypeAttr(attr);
  INT flags = 0;
  ASSERT_EQ(coclass->GetImplTypeFlags(0, &flags), S_OK);
  EXPECT_EQ(flags, IMPLTYPEFLAG_FDEFAULT);
  EXPECT_EQ(NameOf(RefInfo(coclass.get(), 0).get()), u"_Sample");

  ComPtr<IDispatch> created;
  ASSERT_EQ(coclass->CreateInstance(nullptr, IID_IDispatch, created.out_void()), S_OK);
  EXPECT_TRUE(created);
  EXPECT_EQ(coclass->CreateInstance(object_.get(), IID_IDispatch, created.out_void()),
            CLASS_E_NOAGGREGATION);
}

// Descriptions with faults are refused with a message naming the fault.
TEST(TypeLibModelTest, RefusesFaultyDescriptions) {
  auto base = [] {
    TypeLibSpec lib;
    lib.name = u"Faulty";
    lib.libid = kLibId;
    InterfaceSpec itf;
    itf.name = u"_Faulty";
    itf.iid = kIidSample;
    itf.methods = {DescribeMethod<&_Sample::Repeat>(u"Repeat", 1, {u"Count", u"Text"})};
    CoclassSpec cls;
    cls.name = u"Faulty";
    cls.clsid = kClsidSample;
    cls.default_interface = kIidSample;
    lib.types = {itf, cls};
    return lib;
  };
  auto itf = [](TypeLibSpec& lib) -> InterfaceSpec& {
    return std::get<InterfaceSpec>(lib.types[0]);
  };
  struct Case {
    const char* fault;
    std::string message_part;
    std::function<void(TypeLibSpec&)> spoil;
  };
  std::vector<Case> cases = {
      {"repeated DISPID", "DISPID repeated",
       [&](TypeLibSpec& l) {
         itf(l).methods.push_back(DescribeMethod<&_Sample::Swap>(u"Swap", 1, {u"A", u"B"}));
       }},
      {"repeated name", "name repeated",
       [&](TypeLibSpec& l) {
         itf(l).methods.push_back(DescribeMethod<&_Sample::Swap>(u"REPEAT", 2, {u"A", u"B"}));
       }},
      {"names do not fit", "parameter names",
       [&](TypeLibSpec& l) {
         itf(l).methods.push_back(DescribeMethod<&_Sample::Swap>(u"Swap", 2, {u"A"}));
       }},
      {"unknown default interface", "default interface",
       [](TypeLibSpec& l) { std::get<CoclassSpec>(l.types[1]).default_interface = IID_IUnknown; }},
      {"dual on IUnknown", "base must be IDispatch",
       [&](TypeLibSpec& l) { itf(l).base = IID_IUnknown; }},
      {"unknown import", "is not known", [](TypeLibSpec& l) { l.imports[0].libid = kLibId; }},
      {"optional non-VARIANT", "only a VARIANT",
       [&](TypeLibSpec& l) { itf(l).methods[0].params[0].flags |= PARAMFLAG_FOPT; }},
      {"type override of another size", "does not fit",
       [&](TypeLibSpec& l) {
         itf(l).methods.push_back(
             DescribeMethod<&_Sample::Swap>(u"Swap", 2, {{u"A", VT_I4}, u"B"}));
       }},
  };
  ASSERT_TRUE(TypeLibModel::Build(base()).ok());
  for (const Case& c : cases) {
    TypeLibSpec spec = base();
    c.spoil(spec);
    auto model = TypeLibModel::Build(std::move(spec));
    ASSERT_FALSE(model.ok()) << c.fault;
    EXPECT_NE(model.status().message().find(c.message_part), std::string::npos)
        << c.fault << ": " << model.status().message();
  }
}

}  // namespace
}  // namespace qb::com_test
