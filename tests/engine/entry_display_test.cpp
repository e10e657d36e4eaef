// Long bodies: the body view shows a bounded part of them and says so; the
// streamed text (qbtool show) is the exact whole, in bounded pieces.
#include "engine/entry_display.h"

#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/cp932.h"
#include "engine/text_base.h"
#include "tests/support/temp_dir.h"

namespace qb {
namespace {

using ::qb::testing::TempDir;
using ::qb::testing::WriteFile;

TEST(Cp932CompletePrefix, HoldsBackOnlyALeadByteWaitingForItsSecondByte) {
  const std::string a = EncodeCp932("あ");  // 82 A0
  struct Case {
    std::string bytes;
    size_t complete;
  } cases[] = {
      {"", 0},
      {"abc", 3},
      {a + a, 4},
      {a + a.substr(0, 1), 2},          // the second character cut
      {"x\x81", 1},                     // a lone lead byte at the end
      {"\x81\x7f\x81", 2},              // an invalid pair, then a lead byte
      {std::string("\x81\x81", 2), 2},  // a whole pair
      {std::string("\x81\x81\x81", 3), 2},
      {"\xa0\xdf", 2},  // single-byte katakana
  };
  for (const Case& c : cases) EXPECT_EQ(Cp932CompletePrefix(c.bytes), c.complete) << c.bytes;
}

// A body of about 4.5 MiB of double-byte text whose characters straddle every
// 1 MiB boundary, with broken bytes here and there and a lone lead byte at
// its very end.
std::string LongBody() {
  std::string body = "x";
  const std::string line = EncodeCp932("吾輩は猫である。名前はまだ無い。\r\n");
  while (body.size() < (4u << 20) + (1u << 19)) {
    body += line;
    if (body.size() % 7 == 0) body += "\x81\x7f";  // a lead byte with a bad second byte
  }
  body += "\x88";
  return body;
}

class LongBodyTest : public ::testing::Test {
 protected:
  LongBodyTest() : body_(LongBody()), file_(dir_.Path("LONG.QBS")) {
    WriteFile(file_, "Long\r\n;short\r\nend\r\n;long one\r\n" + body_);
    start_ = 30;
  }

  TempDir dir_, index_;
  std::string body_;
  std::string file_;
  int64_t start_ = 0;
};

TEST_F(LongBodyTest, TheViewShowsTheFirstPartAndSaysItWasCut) {
  TextBase base(index_.path());
  ASSERT_TRUE(base.ListSingleFile(file_).ok());
  ASSERT_EQ(base.entries().StartByte[1], start_);
  ASSERT_EQ(base.entries().MesByte[1], static_cast<int64_t>(body_.size()));
  ASSERT_TRUE(base.SelectTitle(0, 1).ok());
  EXPECT_TRUE(base.mes_cut());
  EXPECT_EQ(base.mes_length(), static_cast<int64_t>(body_.size()));
  // The first 1 MiB, less the first byte of a character cut in two.
  const std::string shown = body_.substr(0, kMaxShownBodyBytes);
  const std::string expected = DecodeCp932(shown.substr(0, Cp932CompletePrefix(shown)));
  EXPECT_EQ(base.Mes(), expected);
  EXPECT_NE(base.MesCutNotice().find("先頭の 1 MiB"), std::string::npos) << base.MesCutNotice();
  // A short body afterwards is shown whole, with no notice.
  ASSERT_TRUE(base.SelectTitle(0, 0).ok());
  EXPECT_FALSE(base.mes_cut());
  EXPECT_EQ(base.Mes(), "end\r\n");
  EXPECT_EQ(base.MesCutNotice(), "");
}

// A cut body, then a file that vanished since it was listed: the view holds
// the reason alone, not the old notice.
TEST_F(LongBodyTest, AFileThatVanishedAfterACutBodyLeavesNoNotice) {
  WriteFile(dir_.Path("ZZ.QBS"), "Zz\r\n;z\r\nz\r\n");
  TextBase base(index_.path());
  ASSERT_TRUE(base.ListTextFiles(dir_.path()).ok());
  ASSERT_TRUE(base.SplitFileNames().ok());
  ASSERT_EQ(base.Sfn(), (std::vector<std::string>{"LONG.QBS", "ZZ.QBS"}));
  ASSERT_TRUE(base.SelectTitle(0, 1).ok());
  ASSERT_TRUE(base.mes_cut());
  ASSERT_EQ(::unlink(dir_.Path("ZZ.QBS").c_str()), 0);
  EXPECT_TRUE(base.SelectFile(1).IsNotFound());
  EXPECT_FALSE(base.mes_cut());
  EXPECT_EQ(base.Mes(), "");
  EXPECT_EQ(base.MesCutNotice(), "");
  EXPECT_NE(base.load_problem(), "");
}

TEST_F(LongBodyTest, StreamedTextIsTheWholeBodyInBoundedPieces) {
  std::string text;
  size_t largest = 0;
  ASSERT_TRUE(StreamEntryText(Env::Default(), file_, start_, static_cast<int64_t>(body_.size()),
                              [&](std::string_view piece) {
                                largest = std::max(largest, piece.size());
                                text.append(piece);
                                return Status::Ok();
                              })
                  .ok());
  EXPECT_EQ(text, DecodeCp932(body_));
  // UTF-8 takes at most three bytes for a two-byte character.
  EXPECT_LE(largest, 3u * kBodyBlockBytes / 2 + 3);
  // A failing sink stops the stream with its failure.
  int pieces = 0;
  Status s = StreamEntryText(Env::Default(), file_, start_, static_cast<int64_t>(body_.size()),
                             [&](std::string_view) {
                               ++pieces;
                               return Status::IoError("stdout: Broken pipe");
                             });
  EXPECT_EQ(s.code(), Status::Code::kIoError);
  EXPECT_EQ(pieces, 1);
  // A file that became shorter gives the text of what is left.
  ASSERT_EQ(::truncate(file_.c_str(), start_ + (3 << 20)), 0);
  text.clear();
  ASSERT_TRUE(StreamEntryText(Env::Default(), file_, start_, static_cast<int64_t>(body_.size()),
                              [&](std::string_view piece) {
                                text.append(piece);
                                return Status::Ok();
                              })
                  .ok());
  EXPECT_EQ(text, DecodeCp932(body_.substr(0, 3 << 20)));
}

}  // namespace
}  // namespace qb
