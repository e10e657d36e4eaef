#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/com/variant.h"

namespace qb {
namespace {

VARIANT I4(LONG v) {
  VARIANT x;
  VariantInit(&x);
  x.vt = VT_I4;
  x.lVal = v;
  return x;
}
VARIANT R8(double v) {
  VARIANT x;
  VariantInit(&x);
  x.vt = VT_R8;
  x.dblVal = v;
  return x;
}
VARIANT R4(float v) {
  VARIANT x;
  VariantInit(&x);
  x.vt = VT_R4;
  x.fltVal = v;
  return x;
}
VARIANT Bool(bool v) {
  VARIANT x;
  VariantInit(&x);
  x.vt = VT_BOOL;
  x.boolVal = v ? VARIANT_TRUE : VARIANT_FALSE;
  return x;
}
VARIANT Of(VARTYPE vt) {
  VARIANT x;
  VariantInit(&x);
  x.vt = vt;
  return x;
}
// A VT_BSTR; the caller clears it.
VARIANT Str(std::u16string_view text) {
  VARIANT x;
  VariantInit(&x);
  x.vt = VT_BSTR;
  x.bstrVal = AllocBstr(text);
  return x;
}

// The converted value as comparable text: "I4:5", "BSTR:abc", "BOOL:-1", ...
std::string Describe(const VARIANT& v) {
  switch (v.vt) {
    case VT_EMPTY:
      return "EMPTY";
    case VT_NULL:
      return "NULL";
    case VT_I2:
      return "I2:" + std::to_string(v.iVal);
    case VT_I4:
      return "I4:" + std::to_string(v.lVal);
    case VT_UI1:
      return "UI1:" + std::to_string(v.bVal);
    case VT_I8:
      return "I8:" + std::to_string(v.llVal);
    case VT_R8:
      return "R8:" + std::to_string(v.dblVal);
    case VT_BOOL:
      return "BOOL:" + std::to_string(v.boolVal);
    case VT_BSTR:
      return "BSTR:" + Utf8FromBstr(v.bstrVal);
    default:
      return "vt " + std::to_string(v.vt);
  }
}

struct Case {
  VARIANT source;
  VARTYPE target;
  USHORT flags;
  HRESULT hr;
  std::string expected;  // Describe() of the result when hr is S_OK
};

TEST(VariantChangeTypeTest, ConvertsAsTheOriginal) {
  std::vector<Case> cases = {
      // Numbers to text.
      {I4(1234), VT_BSTR, 0, S_OK, "BSTR:1234"},
      {I4(-60), VT_BSTR, 0, S_OK, "BSTR:-60"},
      {R8(0.5), VT_BSTR, 0, S_OK, "BSTR:0.5"},
      {R8(9.75), VT_BSTR, 0, S_OK, "BSTR:9.75"},
      {R8(1.0 / 3), VT_BSTR, 0, S_OK, "BSTR:0.333333333333333"},
      {R8(2.0 / 3), VT_BSTR, 0, S_OK, "BSTR:0.666666666666667"},
      {R8(123456789012345.0), VT_BSTR, 0, S_OK, "BSTR:123456789012345"},
      {R8(1e15), VT_BSTR, 0, S_OK, "BSTR:1E+15"},
      {R8(-1234567890123456.0), VT_BSTR, 0, S_OK, "BSTR:-1.23456789012346E+15"},
      {R8(0.0001), VT_BSTR, 0, S_OK, "BSTR:0.0001"},
      {R8(0.00001), VT_BSTR, 0, S_OK, "BSTR:1E-05"},
      {R8(1.5e-7), VT_BSTR, 0, S_OK, "BSTR:1.5E-07"},
      {R8(1e100), VT_BSTR, 0, S_OK, "BSTR:1E+100"},
      {R8(-0.0), VT_BSTR, 0, S_OK, "BSTR:0"},
      {R4(0.1f), VT_BSTR, 0, S_OK, "BSTR:0.1"},
      {Bool(true), VT_BSTR, 0, S_OK, "BSTR:-1"},
      {Bool(false), VT_BSTR, 0, S_OK, "BSTR:0"},
      {Bool(true), VT_BSTR, VARIANT_ALPHABOOL, S_OK, "BSTR:True"},
      {Of(VT_EMPTY), VT_BSTR, 0, S_OK, "BSTR:"},
      // Text to numbers.
      {Str(u" 120 "), VT_I4, 0, S_OK, "I4:120"},
      {Str(u"-60"), VT_I4, 0, S_OK, "I4:-60"},
      {Str(u"+7"), VT_I2, 0, S_OK, "I2:7"},
      {Str(u"2.5"), VT_I4, 0, S_OK, "I4:2"},
      {Str(u"3.5"), VT_I4, 0, S_OK, "I4:4"},
      {Str(u"-2.5"), VT_I4, 0, S_OK, "I4:-2"},
      {Str(u"1e3"), VT_I4, 0, S_OK, "I4:1000"},
      {Str(u"&H1F"), VT_I4, 0, S_OK, "I4:31"},
      {Str(u"&o17"), VT_I4, 0, S_OK, "I4:15"},
      {Str(u"9.75"), VT_R8, 0, S_OK, "R8:9.750000"},
      {Str(u"9223372036854775807"), VT_I8, 0, S_OK, "I8:9223372036854775807"},
      {Str(u"12abc"), VT_I4, 0, DISP_E_TYPEMISMATCH, ""},
      {Str(u"abc"), VT_I4, 0, DISP_E_TYPEMISMATCH, ""},
      {Str(u""), VT_I4, 0, DISP_E_TYPEMISMATCH, ""},
      {Str(u"--1"), VT_I4, 0, DISP_E_TYPEMISMATCH, ""},
      {Str(u"1e"), VT_R8, 0, DISP_E_TYPEMISMATCH, ""},
      {Str(u"2147483648"), VT_I4, 0, DISP_E_OVERFLOW, ""},
      {Str(u"40000"), VT_I2, 0, DISP_E_OVERFLOW, ""},
      {Str(u"1e400"), VT_R8, 0, DISP_E_OVERFLOW, ""},
      {Str(u"1e-400"), VT_R8, 0, S_OK, "R8:0.000000"},
      // Truth values.
      {Str(u"True"), VT_BOOL, 0, S_OK, "BOOL:-1"},
      {Str(u" false "), VT_BOOL, 0, S_OK, "BOOL:0"},
      {Str(u"7"), VT_BOOL, 0, S_OK, "BOOL:-1"},
      {Str(u"0"), VT_BOOL, 0, S_OK, "BOOL:0"},
      {Str(u"yes"), VT_BOOL, 0, DISP_E_TYPEMISMATCH, ""},
      {Bool(true), VT_I4, 0, S_OK, "I4:-1"},
      {I4(5), VT_BOOL, 0, S_OK, "BOOL:-1"},
      {R8(0.0), VT_BOOL, 0, S_OK, "BOOL:0"},
      // Numbers to numbers.
      {R8(2147483647.5), VT_I4, 0, DISP_E_OVERFLOW, ""},
      {R8(-2147483648.4), VT_I4, 0, S_OK, "I4:-2147483648"},
      {R8(NAN), VT_I4, 0, DISP_E_OVERFLOW, ""},
      {I4(40000), VT_I2, 0, DISP_E_OVERFLOW, ""},
      {I4(-1), VT_UI1, 0, DISP_E_OVERFLOW, ""},
      {I4(255), VT_UI1, 0, S_OK, "UI1:255"},
      {I4(7), VT_R8, 0, S_OK, "R8:7.000000"},
      // Empty and null.
      {Of(VT_EMPTY), VT_I4, 0, S_OK, "I4:0"},
      {Of(VT_EMPTY), VT_BOOL, 0, S_OK, "BOOL:0"},
      {I4(3), VT_EMPTY, 0, S_OK, "EMPTY"},
      {Of(VT_NULL), VT_I4, 0, DISP_E_TYPEMISMATCH, ""},
      {Of(VT_NULL), VT_BSTR, 0, DISP_E_TYPEMISMATCH, ""},
      {Of(VT_NULL), VT_NULL, 0, S_OK, "NULL"},
      // Types this stand-in does not carry.
      {Of(VT_DECIMAL), VT_I4, 0, DISP_E_BADVARTYPE, ""},
      {I4(1), static_cast<VARTYPE>(VT_BYREF | VT_I4), 0, DISP_E_BADVARTYPE, ""},
  };
  for (Case& c : cases) {
    std::string from = Describe(c.source);
    VARIANT out;
    VariantInit(&out);
    HRESULT hr = VariantChangeType(&out, &c.source, c.flags, c.target);
    EXPECT_EQ(hr, c.hr) << from << " -> vt " << c.target;
    if (hr == S_OK) {
      EXPECT_EQ(Describe(out), c.expected) << from;
    } else {
      EXPECT_EQ(out.vt, VT_EMPTY) << "destination untouched on failure: " << from;
    }
    VariantClear(&out);
    if (c.source.vt != VT_DECIMAL) VariantClear(&c.source);
  }
}

TEST(VariantChangeTypeTest, ReadsThroughReferencesAndConvertsInPlace) {
  LONG seven = 7;
  VARIANT ref;
  VariantInit(&ref);
  ref.vt = VT_BYREF | VT_I4;
  ref.plVal = &seven;
  VARIANT out;
  VariantInit(&out);
  ASSERT_EQ(VariantChangeType(&out, &ref, 0, VT_BSTR), S_OK);
  EXPECT_EQ(Describe(out), "BSTR:7");

  // In place: the text is freed once the number exists (ASan checks both).
  ASSERT_EQ(VariantChangeType(&out, &out, 0, VT_I4), S_OK);
  EXPECT_EQ(Describe(out), "I4:7");

  VARIANT inner = Str(u"42");
  VARIANT by_variant;
  VariantInit(&by_variant);
  by_variant.vt = VT_BYREF | VT_VARIANT;
  by_variant.pvarVal = &inner;
  ASSERT_EQ(VariantChangeType(&out, &by_variant, 0, VT_I2), S_OK);
  EXPECT_EQ(Describe(out), "I2:42");
  VariantClear(&inner);

  // A failed in-place conversion leaves the value alone.
  VARIANT text = Str(u"abc");
  EXPECT_EQ(VariantChangeType(&text, &text, 0, VT_I4), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Describe(text), "BSTR:abc");
  VariantClear(&text);
}

TEST(VariantTest, CopyKeepsExactTextAndClearFrees) {
  VARIANT a;
  VariantInit(&a);
  a.vt = VT_BSTR;
  a.bstrVal = SysAllocStringLen(u"a\0b", 3);
  VARIANT b = I4(1);
  ASSERT_EQ(VariantCopy(&b, &a), S_OK);
  ASSERT_EQ(b.vt, VT_BSTR);
  EXPECT_NE(b.bstrVal, a.bstrVal);
  EXPECT_EQ(BstrView(b.bstrVal), std::u16string_view(u"a\0b", 3));
  EXPECT_EQ(VariantCopy(&b, &b), S_OK);

  VARIANT ref;
  VariantInit(&ref);
  ref.vt = VT_BYREF | VT_BSTR;
  ref.pbstrVal = &a.bstrVal;
  VARIANT c;
  VariantInit(&c);
  ASSERT_EQ(VariantCopyInd(&c, &ref), S_OK);
  EXPECT_EQ(c.vt, VT_BSTR);
  EXPECT_EQ(BstrView(c.bstrVal), BstrView(a.bstrVal));

  EXPECT_EQ(VariantClear(&a), S_OK);
  EXPECT_EQ(a.vt, VT_EMPTY);
  VariantClear(&b);
  VariantClear(&c);
  VariantClear(&ref);  // a reference owns nothing

  VARIANT odd = Of(VT_DECIMAL);
  EXPECT_EQ(VariantClear(&odd), DISP_E_BADVARTYPE);
}

}  // namespace
}  // namespace qb
