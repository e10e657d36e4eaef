// IDispatch driven by the type library model, on an object made in process.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/platform/com/sample_class.h"

namespace qb::com_test {
namespace {

VARIANT ByRef(VARTYPE vt, void* variable) {
  VARIANT v;
  VariantInit(&v);
  v.vt = static_cast<VARTYPE>(VT_BYREF | vt);
  v.byref = variable;
  return v;
}
VARIANT Long(LONG value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = value;
  return v;
}
VARIANT Text(std::u16string_view text) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = AllocBstr(text);
  return v;
}

class DispatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const CoclassSpec* coclass = SampleModel().FindCoclass(kClsidSample);
    ASSERT_NE(coclass, nullptr);
    ASSERT_EQ(coclass->create(IID_IDispatch, object_.out_void()), S_OK);
  }

  // Invokes |member| with |args| given in call order (reversed here into
  // DISPPARAMS). Arguments stay owned by the caller.
  HRESULT Call(DISPID member, WORD flags, std::vector<VARIANT> args, VARIANT* result,
               UINT* arg_error = nullptr, EXCEPINFO* exception = nullptr) {
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params = {reversed.empty() ? nullptr : reversed.data(), nullptr,
                         static_cast<UINT>(reversed.size()), 0};
    return object_->Invoke(member, IID_NULL, 0, flags, &params, result, exception, arg_error);
  }

  ComPtr<IDispatch> object_;
};

TEST_F(DispatchTest, VtableAndInvokeReachTheSameMethod) {
  ComPtr<_Sample> sample;
  ASSERT_EQ(object_.As(kIidSample, &sample), S_OK);
  ComPtr<IUnknown> unknown;
  ASSERT_EQ(object_.As(IID_IUnknown, &unknown), S_OK);
  EXPECT_EQ(static_cast<void*>(unknown.get()), static_cast<void*>(sample.get()));
  ComPtr<IClassFactory> not_there;
  EXPECT_EQ(object_.As(IID_IClassFactory, &not_there), E_NOINTERFACE);

  LONG count = 3;
  Bstr text(u"ab");
  Bstr result;
  ASSERT_EQ(sample->Repeat(&count, text.inout(), result.out()), S_OK);
  EXPECT_EQ(result.view(), u"ababab");
  EXPECT_EQ(count, 6);

  VARIANT out;
  VariantInit(&out);
  VARIANT text_arg = Text(u"xy");
  ASSERT_EQ(Call(kDispidRepeat, DISPATCH_METHOD, {Long(2), text_arg}, &out), S_OK);
  ASSERT_EQ(out.vt, VT_BSTR);
  EXPECT_EQ(BstrView(out.bstrVal), u"xyxy");
  EXPECT_EQ(BstrView(text_arg.bstrVal), u"xy") << "a by-value argument is not changed";
  VariantClear(&out);
  VariantClear(&text_arg);

  ASSERT_EQ(Call(kDispidCalls, DISPATCH_PROPERTYGET, {}, &out), S_OK);
  EXPECT_EQ(out.vt, VT_I4);
  EXPECT_EQ(out.lVal, 2);
  ASSERT_EQ(Call(kDispidCalls, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {}, &out), S_OK);
  EXPECT_EQ(Call(kDispidCalls, DISPATCH_METHOD, {}, &out), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Call(kDispidCalls, DISPATCH_PROPERTYPUT, {Long(1)}, &out), DISP_E_MEMBERNOTFOUND);
}

TEST_F(DispatchTest, NamesMatchInAnyLetterCase) {
  for (const char16_t* spelling : {u"Repeat", u"repeat", u"REPEAT", u"rEpEaT"}) {
    const char16_t* names[] = {spelling, u"TEXT", u"count"};
    DISPID ids[3];
    ASSERT_EQ(object_->GetIDsOfNames(IID_NULL, const_cast<LPOLESTR*>(names), 3, 0, ids), S_OK);
    EXPECT_EQ(ids[0], kDispidRepeat);
    EXPECT_EQ(ids[1], 1);
    EXPECT_EQ(ids[2], 0);
  }
  const char16_t* unknown[] = {u"Repeats"};
  DISPID id = 0;
  EXPECT_EQ(object_->GetIDsOfNames(IID_NULL, const_cast<LPOLESTR*>(unknown), 1, 0, &id),
            DISP_E_UNKNOWNNAME);
  EXPECT_EQ(id, DISPID_UNKNOWN);
  const char16_t* bad_param[] = {u"swap", u"Third"};
  DISPID ids[2];
  EXPECT_EQ(object_->GetIDsOfNames(IID_NULL, const_cast<LPOLESTR*>(bad_param), 2, 0, ids),
            DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[0], kDispidSwap);
  EXPECT_EQ(ids[1], DISPID_UNKNOWN);
  EXPECT_EQ(object_->GetIDsOfNames(IID_IDispatch, const_cast<LPOLESTR*>(unknown), 1, 0, &id),
            DISP_E_UNKNOWNINTERFACE);
}

TEST_F(DispatchTest, ByReferenceArgumentsAreWrittenBack) {
  // Variables of the declared types: the method writes into them directly.
  BSTR first = SysAllocString(u"one");
  BSTR second = SysAllocString(u"two");
  VARIANT out;
  VariantInit(&out);
  ASSERT_EQ(
      Call(kDispidSwap, DISPATCH_METHOD, {ByRef(VT_BSTR, &first), ByRef(VT_BSTR, &second)}, &out),
      S_OK);
  EXPECT_EQ(BstrView(first), u"two");
  EXPECT_EQ(BstrView(second), u"one");
  EXPECT_EQ(out.vt, VT_BOOL);
  EXPECT_EQ(out.boolVal, VARIANT_TRUE);
  SysFreeString(first);
  SysFreeString(second);

  // Variables of other types get the new value converted back.
  SHORT short_count = 2;
  BSTR text = SysAllocString(u"abc");
  ASSERT_EQ(Call(kDispidRepeat, DISPATCH_METHOD,
                 {ByRef(VT_I2, &short_count), ByRef(VT_BSTR, &text)}, &out),
            S_OK);
  EXPECT_EQ(short_count, 6);
  EXPECT_EQ(BstrView(out.bstrVal), u"abcabc");
  VariantClear(&out);

  // VARIANT variables take the parameter's type, as a script variable does.
  VARIANT count_variable;
  VariantInit(&count_variable);
  count_variable.vt = VT_R8;
  count_variable.dblVal = 2.0;
  VARIANT text_variable = Text(u"de");
  ASSERT_EQ(Call(kDispidRepeat, DISPATCH_METHOD,
                 {ByRef(VT_VARIANT, &count_variable), ByRef(VT_VARIANT, &text_variable)}, &out),
            S_OK);
  EXPECT_EQ(count_variable.vt, VT_I4);
  EXPECT_EQ(count_variable.lVal, 4);
  EXPECT_EQ(BstrView(text_variable.bstrVal), u"de");
  VariantClear(&out);
  VariantClear(&text_variable);

  // A written-back value that does not fit the caller's variable.
  short_count = 20000;
  UINT arg_error = 99;
  EXPECT_EQ(Call(kDispidRepeat, DISPATCH_METHOD,
                 {ByRef(VT_I2, &short_count), ByRef(VT_BSTR, &text)}, &out, &arg_error),
            DISP_E_OVERFLOW);
  EXPECT_EQ(arg_error, 1u) << "Count is rgvarg[1]";
  EXPECT_EQ(out.vt, VT_EMPTY);
  SysFreeString(text);
}

TEST_F(DispatchTest, VariantParameters) {
  VARIANT out;
  VariantInit(&out);
  VARIANT five = Long(5);
  ASSERT_EQ(Call(kDispidDescribe, DISPATCH_METHOD, {five}, &out), S_OK);
  EXPECT_EQ(BstrView(out.bstrVal), u"5");
  VariantClear(&out);

  // A VARIANT variable passed by reference is the parameter itself.
  VARIANT variable;
  VariantInit(&variable);
  variable.vt = VT_R8;
  variable.dblVal = 2.5;
  ASSERT_EQ(Call(kDispidDescribe, DISPATCH_METHOD, {ByRef(VT_VARIANT, &variable)}, &out), S_OK);
  EXPECT_EQ(BstrView(out.bstrVal), u"2.5");
  ASSERT_EQ(variable.vt, VT_BSTR);
  EXPECT_EQ(BstrView(variable.bstrVal), u"seen");
  VariantClear(&variable);
  VariantClear(&out);

  // A typed variable reaches the method as a reference inside the VARIANT.
  SHORT seven = 7;
  ASSERT_EQ(Call(kDispidDescribe, DISPATCH_METHOD, {ByRef(VT_I2, &seven)}, &out), S_OK);
  EXPECT_EQ(BstrView(out.bstrVal), u"7");
  VariantClear(&out);

  // The parameter is optional.
  ASSERT_EQ(Call(kDispidDescribe, DISPATCH_METHOD, {}, &out), S_OK);
  EXPECT_EQ(BstrView(out.bstrVal), u"missing");
  VariantClear(&out);

  // An object has no text (no default member): the method's failure.
  VARIANT object;
  VariantInit(&object);
  object.vt = VT_DISPATCH;
  object.pdispVal = object_.get();
  EXCEPINFO exception = {};
  EXPECT_EQ(Call(kDispidDescribe, DISPATCH_METHOD, {object}, &out, nullptr, &exception),
            DISP_E_EXCEPTION);
  EXPECT_EQ(exception.scode, DISP_E_TYPEMISMATCH);
  SysFreeString(exception.bstrSource);
}

TEST_F(DispatchTest, NamedArguments) {
  VARIANT args[2] = {Long(3), Text(u"z")};  // Count=3, Text="z", named
  DISPID named[2] = {0, 1};
  DISPPARAMS params = {args, named, 2, 2};
  VARIANT out;
  VariantInit(&out);
  ASSERT_EQ(
      object_->Invoke(kDispidRepeat, IID_NULL, 0, DISPATCH_METHOD, &params, &out, nullptr, nullptr),
      S_OK);
  EXPECT_EQ(BstrView(out.bstrVal), u"zzz");
  VariantClear(&out);

  DISPID twice[2] = {1, 1};
  params.rgdispidNamedArgs = twice;
  UINT arg_error = 99;
  EXPECT_EQ(object_->Invoke(kDispidRepeat, IID_NULL, 0, DISPATCH_METHOD, &params, &out, nullptr,
                            &arg_error),
            DISP_E_PARAMNOTFOUND);
  EXPECT_EQ(arg_error, 1u);

  // Only Text named: Count is left out.
  VARIANT only_text[1] = {args[1]};
  DISPID text_position[1] = {1};
  DISPPARAMS partial = {only_text, text_position, 1, 1};
  EXPECT_EQ(object_->Invoke(kDispidRepeat, IID_NULL, 0, DISPATCH_METHOD, &partial, &out, nullptr,
                            nullptr),
            DISP_E_PARAMNOTOPTIONAL);
  VariantClear(&args[1]);
}

TEST_F(DispatchTest, ReportsErrors) {
  VARIANT missing;
  VariantInit(&missing);
  missing.vt = VT_ERROR;
  missing.scode = DISP_E_PARAMNOTFOUND;
  struct Case {
    const char* what;
    DISPID member;
    WORD flags;
    std::vector<std::u16string> texts;  // arguments in call order; "#n" is the number n
    bool missing_text;
    HRESULT hr;
    UINT arg_error;
  } cases[] = {
      {"unknown DISPID", 0x1234, DISPATCH_METHOD, {u"#1", u"a"}, false, DISP_E_MEMBERNOTFOUND, 99},
      {"too many",
       kDispidRepeat,
       DISPATCH_METHOD,
       {u"#1", u"a", u"b"},
       false,
       DISP_E_BADPARAMCOUNT,
       99},
      {"too few", kDispidRepeat, DISPATCH_METHOD, {u"#1"}, false, DISP_E_BADPARAMCOUNT, 99},
      {"not a number",
       kDispidRepeat,
       DISPATCH_METHOD,
       {u"many", u"a"},
       false,
       DISP_E_TYPEMISMATCH,
       1},
      {"too large",
       kDispidRepeat,
       DISPATCH_METHOD,
       {u"99999999999", u"a"},
       false,
       DISP_E_OVERFLOW,
       1},
      {"missing marker", kDispidRepeat, DISPATCH_METHOD, {u"#1"}, true, DISP_E_PARAMNOTOPTIONAL, 0},
  };
  for (const Case& c : cases) {
    std::vector<VARIANT> args;
    for (const std::u16string& t : c.texts) {
      args.push_back(t.size() > 1 && t[0] == u'#' ? Long(t[1] - u'0') : Text(t));
    }
    if (c.missing_text) args.push_back(missing);
    VARIANT out;
    VariantInit(&out);
    UINT arg_error = 99;
    EXPECT_EQ(Call(c.member, c.flags, args, &out, &arg_error), c.hr) << c.what;
    EXPECT_EQ(arg_error, c.arg_error) << c.what;
    EXPECT_EQ(out.vt, VT_EMPTY) << c.what;
    for (VARIANT& v : args) VariantClear(&v);
  }

  // A failure of the method itself comes back as an exception, and
  // by-reference arguments are left as they were.
  LONG count = -1;
  BSTR text = SysAllocString(u"a");
  EXCEPINFO exception = {};
  VARIANT out;
  VariantInit(&out);
  EXPECT_EQ(Call(kDispidRepeat, DISPATCH_METHOD, {ByRef(VT_I4, &count), ByRef(VT_BSTR, &text)},
                 &out, nullptr, &exception),
            DISP_E_EXCEPTION);
  EXPECT_EQ(exception.scode, E_INVALIDARG);
  EXPECT_EQ(BstrView(exception.bstrSource), u"QbComTest");
  EXPECT_EQ(count, -1);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  SysFreeString(text);
}

}  // namespace
}  // namespace qb::com_test
