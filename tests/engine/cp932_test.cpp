#include "engine/cp932.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

TEST(Cp932, DecodesDoubleByteAndHalfWidthKatakana) {
  // 日本 (93FA 967B), ｶﾀｶﾅ (B6 C0 B6 C5), ASCII and the backslash/tilde bytes.
  EXPECT_EQ(DecodeCp932("\x93\xFA\x96\x7B"), "日本");
  EXPECT_EQ(DecodeCp932("\xB6\xC0\xB6\xC5"), "ｶﾀｶﾅ");
  EXPECT_EQ(DecodeCp932("a\\b~c"), "a\\b~c");
  // NEC and IBM extensions of code page 932: ① (8740), ⅰ (FA40).
  EXPECT_EQ(DecodeCp932("\x87\x40\xFA\x40"), "①ⅰ");
}

TEST(Cp932, RoundTripsEveryValidText) {
  const std::string text = "肉じゃが：材料（４人分）ﾊﾞﾆﾗ ; tag:title ～－①";
  std::string bytes = EncodeCp932(text);
  EXPECT_EQ(DecodeCp932(bytes), text);
  EXPECT_EQ(Cp932ByteLength(text), static_cast<int64_t>(bytes.size()));
}

TEST(Cp932, InvalidBytesDecodeToReplacementCharacters) {
  // A lone lead byte at the end, and bytes that start no character.
  EXPECT_EQ(DecodeCp932("a\x82"), "a\xEF\xBF\xBD");
  EXPECT_EQ(DecodeCp932("\x80x\xFFy"), "\xEF\xBF\xBDx\xEF\xBF\xBDy");
}

TEST(Cp932, UnrepresentableTextEncodesToQuestionMarks) {
  bool lossless = true;
  // An emoji and a character outside code page 932, then a broken UTF-8 sequence.
  EXPECT_EQ(EncodeCp932("a\xF0\x9F\x98\x80"
                        "b\xE4\xB8"
                        "c",
                        &lossless),
            "a?b?c");
  EXPECT_FALSE(lossless);
  EncodeCp932("日本", &lossless);
  EXPECT_TRUE(lossless);
}

TEST(Cp932, LeftBytes) {
  struct Case {
    std::string text;
    int64_t count;
    std::string expected;
  } cases[] = {
      {"日本語", -1, "日本語"},       // negative: unchanged
      {"日本語", 0, ""},              // zero: empty
      {"日本語", 4, "日本"},          // whole characters
      {"日本語", 100, "日本語"},      // shorter than count: unchanged
      {"aｶb", 2, "aｶ"},               // half-width katakana is one byte
      {"日本", 3, "日\xEF\xBF\xBD"},  // cut inside a character: lead byte alone
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LeftBytes(c.text, c.count), c.expected) << c.text << " " << c.count;
  }
}

TEST(Cp932, DecodeCut) {
  const std::string nihon = "\x93\xFA\x96\x7B";  // 日本
  struct Case {
    std::string bytes;
    size_t max;
    std::string expected;
  } cases[] = {
      {nihon, 4, "日本"},      // fits: whole, no mark
      {nihon, 3, "日…"},       // cut inside a character: the lone lead byte goes
      {nihon, 2, "日…"},       // cut between characters
      {"ab\xB6", 2, "ab…"},    // half-width katakana is one byte
      {"a\x81\x7F", 2, "a…"},  // a lead byte with a bad second byte, cut after it
      {nihon + "a", 0, "…"},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeCp932Cut(c.bytes, c.max), c.expected) << c.max;
}

TEST(Cp932, ValidatesUtf8) {
  EXPECT_TRUE(IsValidUtf8("plain"));
  EXPECT_TRUE(IsValidUtf8("日本"));
  EXPECT_FALSE(IsValidUtf8("\x93\xFA"));      // code page 932 bytes
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // a surrogate
  EXPECT_FALSE(IsValidUtf8("\xE6\x97"));      // cut short
}

}  // namespace
}  // namespace qb
