#include <gtest/gtest.h>

#include <cstring>

#include "engine/cp932.h"
#include "platform/com/ansi.h"
#include "platform/com/bstr.h"
#include "platform/com/guid.h"
#include "platform/com/unknown.h"

namespace qb {
namespace {

TEST(GuidTest, ParsesAndFormatsUpperCase) {
  struct Case {
    const char* text;
    const char* formatted;
  } cases[] = {
      {"{00020400-0000-0000-C000-000000000046}", "{00020400-0000-0000-C000-000000000046}"},
      {"{98fcf989-f5e7-11cf-9a73-444553540000}", "{98FCF989-F5E7-11CF-9A73-444553540000}"},
      {"{FFFFFFFF-ffff-FfFf-0123-456789abcdef}", "{FFFFFFFF-FFFF-FFFF-0123-456789ABCDEF}"},
  };
  for (const Case& c : cases) {
    GUID g;
    ASSERT_TRUE(ParseGuid(std::string_view(c.text), &g)) << c.text;
    EXPECT_EQ(FormatGuid(g), c.formatted);
    GUID again;
    ASSERT_TRUE(ParseGuid(FormatGuidUtf16(g), &again));
    EXPECT_EQ(again, g);
  }
  GUID g;
  ASSERT_TRUE(ParseGuid(std::string_view("{98FCF989-F5E7-11CF-9A73-444553540000}"), &g));
  EXPECT_EQ(g.Data1, 0x98FCF989u);
  EXPECT_EQ(g.Data2, 0xF5E7);
  EXPECT_EQ(g.Data3, 0x11CF);
  const uint8_t data4[8] = {0x9A, 0x73, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00};
  EXPECT_EQ(std::memcmp(g.Data4, data4, 8), 0);
}

TEST(GuidTest, RejectsMalformedText) {
  const char* bad[] = {
      "00020400-0000-0000-C000-000000000046",     // no braces
      "{00020400-0000-0000-C000-00000000004}",    // one digit short
      "{00020400-0000-0000-C000-0000000000460}",  // one digit long
      "{0002040G-0000-0000-C000-000000000046}",   // not hex
      "{00020400-0000-0000-C0000-00000000046}",   // dash moved
      " {00020400-0000-0000-C000-000000000046}", "{00020400-0000-0000-C000-000000000046} ", "",
  };
  for (const char* text : bad) {
    GUID g = IID_IUnknown;
    EXPECT_FALSE(ParseGuid(std::string_view(text), &g)) << text;
    EXPECT_EQ(g, IID_IUnknown) << "untouched on failure";
  }
}

TEST(GuidTest, WindowsFunctions) {
  OLECHAR buffer[40];
  EXPECT_EQ(StringFromGUID2(IID_IClassFactory, buffer, 38), 0);
  ASSERT_EQ(StringFromGUID2(IID_IClassFactory, buffer, 39), 39);
  EXPECT_EQ(std::u16string(buffer), u"{00000001-0000-0000-C000-000000000046}");
  IID iid;
  EXPECT_EQ(IIDFromString(buffer, &iid), S_OK);
  EXPECT_EQ(iid, IID_IClassFactory);
  EXPECT_EQ(IIDFromString(u"IClassFactory", &iid), E_INVALIDARG);
  EXPECT_EQ(iid, GUID_NULL);
}

TEST(BstrTest, LengthsCountEmbeddedNulsAndBytes) {
  const OLECHAR text[] = {u'a', u'\0', u'b', u'\0', u'c'};
  BSTR s = SysAllocStringLen(text, 5);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(SysStringLen(s), 5u);
  EXPECT_EQ(SysStringByteLen(s), 10u);
  EXPECT_EQ(BstrView(s), std::u16string_view(text, 5));
  EXPECT_EQ(s[5], u'\0') << "terminated after the counted characters";
  SysFreeString(s);

  BSTR bytes = SysAllocStringByteLen("xyz", 3);
  EXPECT_EQ(SysStringByteLen(bytes), 3u);
  EXPECT_EQ(SysStringLen(bytes), 1u);
  EXPECT_EQ(std::memcmp(bytes, "xyz\0", 4), 0);
  SysFreeString(bytes);

  BSTR zeros = SysAllocStringLen(nullptr, 3);
  EXPECT_EQ(BstrView(zeros), std::u16string_view(u"\0\0\0", 3));
  SysFreeString(zeros);

  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_EQ(SysStringByteLen(nullptr), 0u);
  SysFreeString(nullptr);

  BSTR empty = SysAllocString(u"");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(SysStringLen(empty), 0u);
  SysFreeString(empty);
}

TEST(BstrTest, ReallocationMayUseTheOldText) {
  BSTR s = SysAllocString(u"hello world");
  ASSERT_TRUE(SysReAllocString(&s, s + 6));
  EXPECT_EQ(BstrView(s), u"world");
  ASSERT_TRUE(SysReAllocStringLen(&s, s, 3));
  EXPECT_EQ(BstrView(s), u"wor");
  EXPECT_FALSE(SysReAllocString(nullptr, u"x"));
  SysFreeString(s);
}

TEST(BstrTest, Utf8RoundTrip) {
  const std::string texts[] = {"",
                               "plain",
                               "日本語テキスト",
                               "ｻｰﾊﾞｰ",
                               "emoji \xF0\x9F\x98\x80 end",
                               std::string("nul\0inside", 10)};
  for (const std::string& text : texts) {
    Bstr b = Bstr::FromUtf8(text);
    EXPECT_EQ(b.Utf8(), text);
  }
  EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), std::u16string(u"\xD83D\xDE00"));
  EXPECT_EQ(Utf8ToUtf16("a\xFF"
                        "b\xC3"),
            u"a\uFFFDb\uFFFD");
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
  EXPECT_TRUE(SameName(u"GetTing", u"gETTING"));
  EXPECT_FALSE(SameName(u"Getting", u"Gettin"));
}

// The registry texts of qb_com agree with the engine's code page 932.
TEST(AnsiTest, AgreesWithTheEngine) {
  const char* texts[] = {"plain", "Arvenda Software OLEｻｰﾊﾞｰ", "日本語・全角", "①髙"};
  for (const char* text : texts) {
    std::string bytes = EncodeCp932(text);
    EXPECT_EQ(com_internal::ToAnsi(Utf8ToUtf16(text)), bytes) << text;
    EXPECT_EQ(Utf16ToUtf8(com_internal::FromAnsi(bytes)), text) << text;
  }
  EXPECT_EQ(com_internal::ToAnsi(u"caf\u00E9 \U0001F600!"), "caf? ?!");
  EXPECT_EQ(com_internal::FromAnsi("a\x80"
                                   "b\x82"),
            u"a\uFFFDb\uFFFD");
}

}  // namespace
}  // namespace qb
