// The Ini class on real INI files, through its method table.
#include <gtest/gtest.h>

#include <string>

#include "tests/avole/avole_fixture.h"

namespace avole {
namespace {

using qb::Bstr;
using qb::testing::ReadFile;
using qb::testing::Sjis;
using qb::testing::WriteFile;

std::string Repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

class IniTest : public testing::AvoleTest {
 protected:
  void SetUp() override {
    AvoleTest::SetUp();
    ASSERT_EQ(CoCreateInstance(CLSID_Ini, nullptr, CLSCTX_INPROC_SERVER, IID__Ini,
                               reinterpret_cast<void**>(ini_.out())),
              S_OK);
  }
  void TearDown() override {
    ini_.Reset();
    AvoleTest::TearDown();
  }

  std::string File(const std::string& name) const { return files_.Path(name); }

  bool Save(const std::string& section, const std::string& key, const std::string& dat,
            const std::string& file) {
    Bstr s = Bstr::FromUtf8(section), k = Bstr::FromUtf8(key), d = Bstr::FromUtf8(dat),
         f = Bstr::FromUtf8(file);
    VARIANT_BOOL result = VARIANT_FALSE;
    EXPECT_EQ(ini_->Saving(s.inout(), k.inout(), d.inout(), f.inout(), &result), S_OK);
    return result == VARIANT_TRUE;
  }

  std::string Get(const std::string& section, const std::string& key, const std::string& file) {
    Bstr s = Bstr::FromUtf8(section), k = Bstr::FromUtf8(key), f = Bstr::FromUtf8(file), result;
    EXPECT_EQ(ini_->Getting(s.inout(), k.inout(), f.inout(), result.out()), S_OK);
    return result.Utf8();
  }

  qb::testing::TempDir files_;
  qb::ComPtr<_Ini> ini_;
};

TEST_F(IniTest, SavingWritesTheFileAndGettingReadsItBack) {
  const std::string file = File("app.ini");
  EXPECT_EQ(Get("Colors", "Back", file), "");  // no file yet
  ASSERT_TRUE(Save("Colors", "Back", "Blue", file));
  EXPECT_EQ(ReadFile(file), Sjis("[Colors]\nBack=Blue\n"));
  ASSERT_TRUE(Save("Colors", "名前", "肉じゃが", file));
  ASSERT_TRUE(Save("Colors", "Back", "Green", file));
  // Code page 932 in the file, the value replaced in place.
  EXPECT_EQ(ReadFile(file), Sjis("[Colors]\nBack=Green\n名前=肉じゃが\n"));
  EXPECT_EQ(Get("Colors", "名前", file), "肉じゃが");
  EXPECT_EQ(Get("Colors", "Back", file), "Green");
  EXPECT_EQ(Get("Colors", "Missing", file), "");
  EXPECT_EQ(Get("Missing", "Back", file), "");
}

TEST_F(IniTest, GettingValuesAndThePromptsRule) {
  const std::string file = File("prompts.ini");
  const std::string long_value(300, 'x');
  WriteFile(file, Sjis("[Prompts]\nTwo=ab\nFive=abcde\nOne=a\nEmpty=\nKanji=「日本語」\nLong=" +
                       long_value + "\n[Plain]\nLong=" + long_value +
                       "\nKana=" + Repeat("あ", 150) + "\n"));
  struct Case {
    const char* section;
    const char* key;
    std::string expected;
  } cases[] = {
      // In "Prompts", the value without its first and last character.
      {"Prompts", "Five", "bcd"},
      {"Prompts", "Kanji", "日本語"},
      {"Prompts", "Two", ""},
      {"Prompts", "One", ""},
      {"Prompts", "Empty", ""},
      {"Prompts", "Missing", ""},
      {"Prompts", "Long", std::string(197, 'x')},
      // Another spelling names the same section but keeps the ordinary rule.
      {"prompts", "Five", "abcde"},
      {"PROMPTS", "Kanji", "「日本語」"},
      // At most 199 bytes; a double-byte character cut in two by the limit
      // leaves an undecodable byte.
      {"Plain", "Long", std::string(199, 'x')},
      {"Plain", "Kana", Repeat("あ", 99) + "\uFFFD"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Get(c.section, c.key, file), c.expected) << c.section << " " << c.key;
  }
}

TEST_F(IniTest, TextsAreWrittenBackAsTheSystemSawThem) {
  const std::string file = File("back.ini");
  // "€" is not in code page 932: the system sees "?", and so does the caller
  // afterwards.
  Bstr s = Bstr::FromUtf8("S€"), k = Bstr::FromUtf8("K€"), d = Bstr::FromUtf8("値€"),
       f = Bstr::FromUtf8(file);
  VARIANT_BOOL saved = VARIANT_FALSE;
  ASSERT_EQ(ini_->Saving(s.inout(), k.inout(), d.inout(), f.inout(), &saved), S_OK);
  EXPECT_EQ(saved, VARIANT_TRUE);
  EXPECT_EQ(s.Utf8(), "S?");
  EXPECT_EQ(k.Utf8(), "K?");
  EXPECT_EQ(d.Utf8(), "値?");
  EXPECT_EQ(f.Utf8(), file);
  EXPECT_EQ(ReadFile(file), Sjis("[S?]\nK?=値?\n"));

  Bstr gs = Bstr::FromUtf8("S€"), gk = Bstr::FromUtf8("K€"), result;
  ASSERT_EQ(ini_->Getting(gs.inout(), gk.inout(), f.inout(), result.out()), S_OK);
  EXPECT_EQ(result.Utf8(), "値?");
  EXPECT_EQ(gs.Utf8(), "S?");
  EXPECT_EQ(gk.Utf8(), "K?");
}

TEST_F(IniTest, WhereTheFileGoes) {
  // A name without a directory is a file of the Windows directory.
  ASSERT_TRUE(Save("A", "B", "C", "bare.ini"));
  EXPECT_EQ(ReadFile(dir_->Path("quillbox/windows/bare.ini")), "[A]\r\nB=C\r\n");
  EXPECT_EQ(Get("A", "B", "bare.ini"), "C");
  // A directory that does not exist: nothing written, False.
  EXPECT_FALSE(Save("A", "B", "C", File("missing/dir.ini")));
  EXPECT_FALSE(qb::testing::Exists(File("missing")));
}

}  // namespace
}  // namespace avole
