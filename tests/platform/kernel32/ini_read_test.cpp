// GetPrivateProfileStringA on real files: one row per case, checking the
// return value and every byte the call wrote into the buffer.
#include <sys/stat.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/win32.h"
#include "tests/platform/kernel32/kernel32_fixture.h"
#include "tests/support/temp_dir.h"

namespace qb::kernel32 {
namespace {

using std::string_literals::operator""s;

// Code page 932 characters whose second byte is ASCII: "]" (0x5D), "A" and "a".
#define ZO "\x83\x5D"             // ゾ
#define KA_A "\x83\x41"           // ア
#define KA_DI "\x83\x61"          // ヂ
#define NIHON "\x93\xFA\x96\x7B"  // 日本

struct ReadCase {
  const char* name;
  std::optional<std::string> file;  // nullopt: there is no file
  const char* app;
  const char* key;
  const char* default_value;
  DWORD size;
  DWORD result;
  std::string written;  // the bytes at the start of the buffer; the rest stays untouched
};

// Test names and failure messages show the case by its name.
void PrintTo(const ReadCase& c, std::ostream* out) { *out << c.name; }

std::vector<ReadCase> ReadCases() {
  const std::string kSample = "[App]\r\nKey=Value\r\n";
  const std::string kList = "[s]\r\nk1=1\r\n;c=2\r\nother\r\nK2 = 3\r\nk1=4\r\n[t]\r\nz=1\r\n";
  return {
      {"Value", kSample, "App", "Key", "def", 64, 5, "Value\0"s},
      {"NamesIgnoreLetterCase", "[MyApp]\r\nMyKey=v\r\n", "myapp", "MYKEY", "", 64, 1, "v\0"s},
      {"BlanksAroundNamesAndValues", "  [ App ] \r\n \t Key  =  some value \t\r\n", " app\t",
       " key ", "", 64, 10, "some value\0"s},
      {"DoubleQuotesRemoved", "[s]\r\nk = \"  quoted  \" \r\n", "s", "k", "", 64, 10,
       "  quoted  \0"s},
      {"SingleQuotesRemoved", "[s]\r\nk='x'\r\n", "s", "k", "", 64, 1, "x\0"s},
      {"UnmatchedQuotesKept", "[s]\r\nk=\"x'\r\n", "s", "k", "", 64, 3, "\"x'\0"s},
      {"OnePairOfQuotesRemoved", "[s]\r\nk=\"\"x\"\"\r\n", "s", "k", "", 64, 3, "\"x\"\0"s},
      {"LoneQuoteKept", "[s]\r\nk=\"\r\n", "s", "k", "", 64, 1, "\"\0"s},
      {"EmptyValueIsNotTheDefault", "[s]\r\nk=\r\n", "s", "k", "def", 64, 0, "\0"s},
      {"CommentLinesIgnored", "[s]\r\n;k=commented\r\n  ; k=also\r\nk=real\r\n", "s", "k", "", 64,
       4, "real\0"s},
      {"KeyOnlyInCommentGivesDefault", "[s]\r\n;k=commented\r\n", "s", "k", "def", 64, 3, "def\0"s},
      {"SemicolonAndEqualsInValue", "[s]\r\nk=a;b=c\r\n", "s", "k", "", 64, 5, "a;b=c\0"s},
      {"LfLineEnds", "[s]\nx=1\nk=v\n", "s", "k", "", 64, 1, "v\0"s},
      {"MixedLineEnds", "[s]\nx=1\r\nk=v\r\n", "s", "k", "", 64, 1, "v\0"s},
      {"LastLineWithoutLineEnd", "[s]\r\nk=last", "s", "k", "", 64, 4, "last\0"s},
      {"LastLineCutAfterItsCr", "[s]\r\nk=last\r", "s", "k", "", 64, 4, "last\0"s},
      {"DuplicateKeyFirstWins", "[s]\r\nk=1\r\nK=2\r\n", "s", "k", "", 64, 1, "1\0"s},
      {"DuplicateSectionFirstWins", "[s]\r\na=1\r\n[t]\r\n[S]\r\na=2\r\n", "s", "a", "", 64, 1,
       "1\0"s},
      {"OnlyFirstDuplicateSectionSearched", "[s]\r\na=1\r\n[s]\r\nb=2\r\n", "s", "b", "def", 64, 3,
       "def\0"s},
      {"KeyOfAnotherSectionNotFound", "[s]\r\n[t]\r\nk=v\r\n", "s", "k", "def", 64, 3, "def\0"s},
      {"KeyBeforeAnySectionNotFound", "k=v\r\n[s]\r\n", "s", "k", "def", 64, 3, "def\0"s},
      {"MissingFileGivesDefault", std::nullopt, "s", "k", "def", 64, 3, "def\0"s},
      {"MissingSectionGivesDefault", kSample, "Other", "Key", "def", 64, 3, "def\0"s},
      {"MissingKeyGivesDefault", kSample, "App", "Other", "def", 64, 3, "def\0"s},
      {"DefaultLosesTrailingBlanks", kSample, "App", "Other", "  def \t ", 64, 5, "  def\0"s},
      {"NullDefaultIsEmpty", kSample, "App", "Other", nullptr, 64, 0, "\0"s},
      {"EmptySectionName", "[]\r\nk=v\r\n", "", "k", "", 64, 1, "v\0"s},
      {"HeaderWithoutClosingBracket", "[s\r\nk=v\r\n", "s", "k", "", 64, 1, "v\0"s},
      {"TextAfterHeaderIgnored", "[s] ; note\r\nk=v\r\n", "s", "k", "", 64, 1, "v\0"s},
      {"KeyWithInnerBlank", "[s]\r\nmy key = 1\r\n", "s", "my key", "", 64, 1, "1\0"s},
      // Truncation: size - 1 bytes and a NUL.
      {"ValueTruncated", "[s]\r\nk=abcdef\r\n", "s", "k", "", 4, 3, "abc\0"s},
      {"ValueJustFits", "[s]\r\nk=abc\r\n", "s", "k", "", 4, 3, "abc\0"s},
      {"DefaultTruncated", std::nullopt, "s", "k", "xyz", 3, 2, "xy\0"s},
      {"SizeOne", "[s]\r\nk=abc\r\n", "s", "k", "", 1, 0, "\0"s},
      {"DoubleByteValueCutInTwo", "[s]\r\nk=" NIHON "\r\n", "s", "k", "", 4, 3, "\x93\xFA\x96\0"s},
      // Lists: every name and a NUL, then a second NUL.
      {"SectionList", "[a]\r\nx=1\r\n[B]\r\n ; [c]\r\n[a]\r\n", nullptr, "ignored", "def", 64, 6,
       "a\0B\0a\0\0"s},
      {"SectionListTruncated", "[a]\r\n[B]\r\n[a]\r\n", nullptr, nullptr, "", 5, 3, "a\0B\0\0"s},
      {"SectionListOfMissingFile", std::nullopt, nullptr, nullptr, "def", 64, 0, "\0\0"s},
      {"ListSizeOne", "[a]\r\n", nullptr, nullptr, "", 1, 0, "\0"s},
      {"ListSizeTwo", "[a]\r\n", nullptr, nullptr, "", 2, 0, "\0\0"s},
      {"KeyList", kList, "S", nullptr, "def", 64, 9, "k1\0K2\0k1\0\0"s},
      {"KeyListTruncated", kList, "s", nullptr, "", 6, 4, "k1\0K\0\0"s},
      {"KeyListOfMissingSection", kList, "none", nullptr, "def", 64, 0, "\0\0"s},
      {"KeyListOfEmptySection", "[s]\r\n; only a comment\r\n[t]\r\n", "s", nullptr, "", 64, 0,
       "\0\0"s},
      // Code page 932: a trail byte is neither "]" nor a letter.
      {"DoubleByteNames", "[" ZO "]\r\n" KA_A "=" NIHON "\r\n", ZO, KA_A, "", 64, 4, NIHON "\0"s},
      {"TrailByteNotFolded", "[s]\r\n" KA_A "=1\r\n", "s", KA_DI, "def", 64, 3, "def\0"s},
      {"AsciiFoldedBesideDoubleByte", "[" ZO "abc]\r\nk=1\r\n", ZO "ABC", "K", "", 64, 1, "1\0"s},
      {"DoubleByteSectionList", "[" ZO "]\r\n", nullptr, nullptr, "", 64, 3, ZO "\0\0"s},
  };
}

class IniReadTest : public Kernel32Test, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(IniReadTest, ReturnsAndWrites) {
  const ReadCase& c = GetParam();
  std::string file = FilePath("test.ini");
  if (c.file.has_value()) testing::WriteFile(file, *c.file);
  Reading reading = CallGet(c.app, c.key, c.default_value, c.size, file);
  EXPECT_EQ(reading.result, c.result);
  ASSERT_LE(c.written.size(), c.size);
  std::string expected = c.written + std::string(c.size - c.written.size(), '#');
  EXPECT_EQ(reading.buffer, expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, IniReadTest, ::testing::ValuesIn(ReadCases()),
                         [](const ::testing::TestParamInfo<ReadCase>& row) {
                           return std::string(row.param.name);
                         });

using IniReadFileTest = Kernel32Test;

TEST_F(IniReadFileTest, BareNameIsReadFromTheWindowsDirectory) {
  ASSERT_EQ(mkdir((config_home() + "/quillbox").c_str(), 0700), 0);
  ASSERT_EQ(mkdir(WindowsDir().c_str(), 0700), 0);
  testing::WriteFile(WindowsDir() + "/app.ini", "[s]\r\nk=windows\r\n");
  Reading reading = CallGet("s", "k", "def", 16, "app.ini");
  EXPECT_EQ(reading.result, 7u);
  EXPECT_EQ(reading.buffer.substr(0, 8), "windows\0"s);
}

TEST_F(IniReadFileTest, ReadingABareNameCreatesNothing) {
  Reading reading = CallGet("s", "k", "def", 16, "app.ini");
  EXPECT_EQ(reading.result, 3u);
  EXPECT_FALSE(testing::Exists(config_home() + "/quillbox"));
}

TEST_F(IniReadFileTest, UnreadableNamesGiveTheDefault) {
  ASSERT_EQ(mkdir(FilePath("dir.ini").c_str(), 0700), 0);
  ASSERT_EQ(mkfifo(FilePath("fifo.ini").c_str(), 0600), 0);  // must not block
  for (const std::string& name :
       {FilePath("dir.ini"), FilePath("fifo.ini"), std::string(""), std::string("bad\x81.ini")}) {
    SCOPED_TRACE(name);
    Reading reading = CallGet("s", "k", "def", 16, name);
    EXPECT_EQ(reading.result, 3u);
    EXPECT_EQ(reading.buffer.substr(0, 4), "def\0"s);
  }
  char buffer[16];
  EXPECT_EQ(GetPrivateProfileStringA("s", "k", "def", buffer, sizeof buffer, nullptr), 3u);
  EXPECT_STREQ(buffer, "def");
}

TEST_F(IniReadFileTest, NoBufferWritesNothing) {
  std::string file = FilePath("test.ini");
  testing::WriteFile(file, "[s]\r\nk=v\r\n");
  EXPECT_EQ(GetPrivateProfileStringA("s", "k", "def", nullptr, 16, file.c_str()), 0u);
  char byte = '#';
  EXPECT_EQ(GetPrivateProfileStringA("s", "k", "def", &byte, 0, file.c_str()), 0u);
  EXPECT_EQ(byte, '#');
}

}  // namespace
}  // namespace qb::kernel32
