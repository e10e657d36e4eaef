#include <gtest/gtest.h>

#include "tests/avole/avole_fixture.h"

namespace avole {
namespace {

using qb::Bstr;
using testing::AvoleTest;

constexpr LONG kHkcu = static_cast<LONG>(0x80000001u);

// The four methods through the method table, with texts given in UTF-8.
struct RegCalls {
  _Reg* reg;

  std::string Getting(std::string section, std::string key, LONG node = kHkcu) {
    Bstr s = Bstr::FromUtf8(section), k = Bstr::FromUtf8(key), result;
    EXPECT_EQ(reg->Getting(&node, s.inout(), k.inout(), result.out()), S_OK);
    return qb::Utf8FromBstr(result.get());
  }
  bool Saving(std::string section, std::string key, std::string chr, LONG node = kHkcu) {
    Bstr s = Bstr::FromUtf8(section), k = Bstr::FromUtf8(key), c = Bstr::FromUtf8(chr);
    VARIANT_BOOL ok = static_cast<VARIANT_BOOL>(1);
    EXPECT_EQ(reg->Saving(&node, s.inout(), k.inout(), c.inout(), &ok), S_OK);
    return ok == VARIANT_TRUE;
  }
  bool DelKey(std::string section, std::string key) {
    LONG node = kHkcu;
    Bstr s = Bstr::FromUtf8(section), k = Bstr::FromUtf8(key);
    VARIANT_BOOL ok = static_cast<VARIANT_BOOL>(1);
    EXPECT_EQ(reg->DelKey(&node, s.inout(), k.inout(), &ok), S_OK);
    return ok == VARIANT_TRUE;
  }
};

// Writes a raw value as another program would, with the registry functions.
void SetRaw(const char* section, const char* name, DWORD type, std::string_view bytes) {
  HKEY key = 0;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, section, &key), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<LPCBYTE>(bytes.data()),
                           static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

std::string GetRaw(const char* section, const char* name, DWORD* type) {
  HKEY key = 0;
  if (RegOpenKeyA(HKEY_CURRENT_USER, section, &key) != ERROR_SUCCESS) return "<no key>";
  BYTE buffer[256];
  DWORD size = sizeof buffer;
  LONG rc = RegQueryValueExA(key, name, nullptr, type, buffer, &size);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS) return "<no value>";
  return std::string(reinterpret_cast<char*>(buffer), size);
}

TEST_F(AvoleTest, SavingAndGettingThroughTheMethodTable) {
  auto reg = NewReg();
  RegCalls r{reg.get()};
  // Several missing levels are created; double-byte text is stored as code
  // page 932 bytes plus one NUL and comes back the same.
  EXPECT_TRUE(r.Saving("Software\\Arvenda\\新しい\\キー", "名前", "肉じゃが・ｶﾚｰ"));
  DWORD type = 0;
  EXPECT_EQ(GetRaw(qb::EncodeCp932("Software\\Arvenda\\新しい\\キー").c_str(),
                   qb::EncodeCp932("名前").c_str(), &type),
            qb::EncodeCp932("肉じゃが・ｶﾚｰ") + std::string(1, '\0'));
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(r.Getting("software\\ARVENDA\\新しい\\キー", "名前"), "肉じゃが・ｶﾚｰ");
  // An empty text is a single NUL and reads back as "".
  EXPECT_TRUE(r.Saving("Software\\T", "Empty", ""));
  EXPECT_EQ(GetRaw("Software\\T", "Empty", &type), std::string(1, '\0'));
  EXPECT_EQ(r.Getting("Software\\T", "Empty"), "");
}

TEST_F(AvoleTest, GettingWhatOtherProgramsStored) {
  auto reg = NewReg();
  RegCalls r{reg.get()};
  SetRaw("Software\\T", "Nul", REG_SZ, std::string("abc\0de\0", 7));
  SetRaw("Software\\T", "NoNul", REG_SZ, "abc");
  SetRaw("Software\\T", "Dword", REG_DWORD, std::string("\x01\x00\x00\x00", 4));
  SetRaw("Software\\T", "Expand", REG_EXPAND_SZ, std::string("%HOME%\0", 7));
  SetRaw("Software\\T", "Zero", REG_SZ, "");
  EXPECT_EQ(r.Getting("Software\\T", "Nul"), std::string("abc\0de", 6));
  EXPECT_EQ(r.Getting("Software\\T", "NoNul"), "ab");  // the last byte is taken for the NUL
  EXPECT_EQ(r.Getting("Software\\T", "Dword"), "");
  EXPECT_EQ(r.Getting("Software\\T", "Expand"), "");
  EXPECT_EQ(r.Getting("Software\\T", "Zero"), "");
  EXPECT_EQ(r.Getting("Software\\T", "Missing"), "");
  EXPECT_EQ(r.Getting("Software\\Missing", "X"), "");
  EXPECT_EQ(r.Getting("Software\\T", "Nul", 12345), "");  // a handle that names nothing
}

TEST_F(AvoleTest, DeletingValuesAndKeys) {
  auto reg = NewReg();
  RegCalls r{reg.get()};
  EXPECT_FALSE(r.DelKey("Software\\T", "X"));
  ASSERT_TRUE(r.Saving("Software\\T\\Sub", "X", "1"));
  EXPECT_TRUE(r.DelKey("Software\\T\\Sub", "X"));
  EXPECT_FALSE(r.DelKey("Software\\T\\Sub", "X"));

  LONG node = kHkcu;
  Bstr section = Bstr::FromUtf8("Software\\T");
  VARIANT key;
  VariantInit(&key);
  key.vt = VT_BSTR;
  key.bstrVal = qb::AllocBstrFromUtf8("None");
  VARIANT_BOOL ok = static_cast<VARIANT_BOOL>(1);
  EXPECT_EQ(reg->DelSection(&node, section.inout(), &key, &ok), S_OK);
  EXPECT_EQ(ok, VARIANT_FALSE);  // no such subkey
  SysReAllocString(&key.bstrVal, u"Sub");
  EXPECT_EQ(reg->DelSection(&node, section.inout(), &key, &ok), S_OK);
  EXPECT_EQ(ok, VARIANT_TRUE);
  EXPECT_EQ(key.vt, VT_BSTR);
  // A number is converted to text; a value that cannot be fails the call.
  ASSERT_TRUE(r.Saving("Software\\T\\5", "X", "1"));
  VariantClear(&key);
  key.vt = VT_I4;
  key.lVal = 5;
  EXPECT_EQ(reg->DelSection(&node, section.inout(), &key, &ok), S_OK);
  EXPECT_EQ(ok, VARIANT_TRUE);
  key.vt = VT_DISPATCH;
  key.pdispVal = nullptr;
  EXPECT_TRUE(FAILED(reg->DelSection(&node, section.inout(), &key, &ok)));
}

TEST_F(AvoleTest, ParametersComeBackAsTheSystemSawThem) {
  auto reg = NewReg();
  LONG node = kHkcu;
  // Text that code page 932 holds comes back unchanged; a character it lacks
  // comes back as "?", as it was stored.
  Bstr section = Bstr::FromUtf8("Software\\日本"), key = Bstr::FromUtf8("k€y"),
       chr = Bstr::FromUtf8("😀 and ｶﾅ");
  VARIANT_BOOL ok = VARIANT_FALSE;
  ASSERT_EQ(reg->Saving(&node, section.inout(), key.inout(), chr.inout(), &ok), S_OK);
  EXPECT_EQ(qb::Utf8FromBstr(section.get()), "Software\\日本");
  EXPECT_EQ(qb::Utf8FromBstr(key.get()), "k?y");
  EXPECT_EQ(qb::Utf8FromBstr(chr.get()), "? and ｶﾅ");
  EXPECT_EQ(node, kHkcu);
}

}  // namespace
}  // namespace avole
