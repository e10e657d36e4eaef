// Large inputs: a 3 GB text file, a body of 500 MB, 200,000 entries, a
// first line of 1 MB and a directory of 50,000 files. Each test says what
// the user sees. The large files are sparse: their long runs of zero bytes
// take no disk space and read fast.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/cp932.h"
#include "engine/entry_display.h"
#include "engine/text_base.h"
#include "tests/support/temp_dir.h"

namespace qb {
namespace {

using ::qb::testing::Exists;
using ::qb::testing::Sjis;
using ::qb::testing::TempDir;
using ::qb::testing::WriteFile;

// Writes |bytes| at |offset| of the existing file |path|.
void WriteAt(const std::string& path, int64_t offset, const std::string& bytes) {
  int fd = ::open(path.c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), offset), static_cast<ssize_t>(bytes.size()));
  ::close(fd);
}

// A 3 GB file: an entry at its start whose body is 1.5 GB of zero bytes,
// one in its middle past every 31-bit offset, one at its end. The user sees
// the three titles; the first body is shown cut to its first 1 MiB with the
// notice; the others are shown whole; the second load reads the index.
TEST(LargeInputs, ThreeGigabyteFile) {
  TempDir dir, index;
  const std::string path = dir.Path("HUGE.QBS");
  const int64_t middle = int64_t{1536} << 20;
  const int64_t size = int64_t{3} << 30;
  const std::string middle_entry = "\r\n;mid:middle\r\nmid body\r\n";
  const std::string last_entry = "\r\n;end:last\r\nthe end\r\n";
  WriteFile(path, "huge\r\n;first\r\n");
  WriteAt(path, middle, middle_entry);
  WriteAt(path, size - static_cast<int64_t>(last_entry.size()), last_entry);
  for (LoadWay expected : {LoadWay::kScannedIndexed, LoadWay::kReadIndex}) {
    TextBase base(index.path());
    ASSERT_TRUE(base.ListSingleFile(path).ok());
    EXPECT_EQ(base.last_load(), expected);
    ASSERT_EQ(base.entries().Title[0].ToVector(),
              (std::vector<std::string>{"first", "middle", "last"}));
    EXPECT_EQ(base.entries().StartByte[1], middle + 15);
    EXPECT_EQ(base.entries().StartByte[2], size - 9);
    EXPECT_EQ(base.entries().GCount[2], 7);
    ASSERT_TRUE(base.SelectTitle(0, 0).ok());
    EXPECT_TRUE(base.mes_cut());
    EXPECT_EQ(base.Mes(), std::string(kMaxShownBodyBytes, '\0'));
    EXPECT_NE(base.MesCutNotice().find("1536.0 MiB"), std::string::npos);
    ASSERT_TRUE(base.SelectTitle(0, 2).ok());
    EXPECT_FALSE(base.mes_cut());
    EXPECT_EQ(base.Mes(), "the end\r\n");
    base.SelectTag(1);  // "mid"
    ASSERT_TRUE(base.SelectTitle(1, 0).ok());
    EXPECT_TRUE(base.mes_cut());
    EXPECT_EQ(base.Mes().substr(0, 10), "mid body\r\n");
    EXPECT_EQ(base.Mes().size(), static_cast<size_t>(kMaxShownBodyBytes));
  }
}

// One entry of 500 MB. The body view stays responsive: selecting the entry
// reads and shows 1 MiB, with the notice. qbtool show streams the exact
// whole body through StreamEntryText, whose pieces are each at most a few
// MiB, so its memory does not grow with the body.
TEST(LargeInputs, BodyOfFiveHundredMegabytes) {
  TempDir dir, index;
  const std::string path = dir.Path("BODY.QBS");
  const int64_t body = int64_t{500} << 20;
  const std::string head = Sjis("長い\n;一つだけ\n本文の始め\n");
  const std::string tail = Sjis("本文の終わり\n");
  WriteFile(path, head);
  const int64_t body_start = 17;  // after "長い" CR LF and ";一つだけ" CR LF
  WriteAt(path, body_start + body - static_cast<int64_t>(tail.size()), tail);
  TextBase base(index.path());
  ASSERT_TRUE(base.ListSingleFile(path).ok());
  ASSERT_EQ(base.entries().size(), 1u);
  const int64_t start = base.entries().StartByte[0];
  ASSERT_EQ(start, body_start);
  ASSERT_EQ(base.entries().MesByte[0], body);
  ASSERT_TRUE(base.SelectTitle(0, 0).ok());
  EXPECT_TRUE(base.mes_cut());
  EXPECT_EQ(base.mes_length(), body);
  EXPECT_EQ(base.Mes().substr(0, 17), "本文の始め\r\n");
  EXPECT_LE(base.Mes().size(), static_cast<size_t>(kMaxShownBodyBytes) * 3 / 2);
  EXPECT_NE(base.MesCutNotice().find("500.0 MiB"), std::string::npos);

  int64_t total = 0;
  size_t largest = 0;
  std::string last_piece;
  ASSERT_TRUE(StreamEntryText(Env::Default(), path, start, body, [&](std::string_view piece) {
                total += static_cast<int64_t>(piece.size());
                largest = std::max(largest, piece.size());
                last_piece.assign(piece);
                return Status::Ok();
              }).ok());
  // Every byte once; the double-byte characters of the two ends take three
  // bytes each in UTF-8 instead of two.
  EXPECT_EQ(total, body + 5 + 6);
  EXPECT_LE(largest, static_cast<size_t>(kBodyBlockBytes) * 3 / 2 + 3);
  ASSERT_GE(last_piece.size(), 20u);
  EXPECT_EQ(last_piece.substr(last_piece.size() - 20), "本文の終わり\r\n");
}

// 200,000 entries with 50,000 tags of double-byte text. The user sees every
// title, the tags in order of first occurrence, a tag's four entries when it
// is chosen, and the same lists again when the index is read.
TEST(LargeInputs, TwoHundredThousandEntries) {
  TempDir dir, index;
  const std::string path = dir.Path("MANY.QBS");
  std::string file = Sjis("たくさん\n");
  file.reserve(20 << 20);
  const std::string tag = EncodeCp932("分類");
  const std::string title = EncodeCp932("項目");
  for (int i = 0; i < 200000; ++i) {
    file += ";" + tag + std::to_string(i % 50000) + ":" + title + std::to_string(i) + "\r\n";
    file += "body " + std::to_string(i) + "\r\n";
  }
  WriteFile(path, file);
  EntryTable scanned;
  for (LoadWay expected : {LoadWay::kScannedIndexed, LoadWay::kReadIndex}) {
    TextBase base(index.path());
    ASSERT_TRUE(base.ListSingleFile(path).ok());
    EXPECT_EQ(base.last_load(), expected);
    const EntryTable& t = base.entries();
    ASSERT_EQ(t.size(), 200000u);
    ASSERT_TRUE(t.InStep());
    ASSERT_EQ(t.TagList.size(), 50001u);
    EXPECT_EQ(t.TagList[50000], tag + "49999");
    EXPECT_EQ(t.Title[0][199999], title + "199999");
    if (expected == LoadWay::kScannedIndexed) {
      scanned = t;
    } else {
      EXPECT_TRUE(scanned.Title[0] == t.Title[0] && scanned.StartByte == t.StartByte &&
                  scanned.MesByte == t.MesByte && scanned.TagAll == t.TagAll &&
                  scanned.GCount == t.GCount && scanned.TagList == t.TagList);
    }
    base.SelectTag(12346);  // 分類12345: entries 12345, 62345, 112345, 162345
    ASSERT_EQ(t.NormalNo, (std::vector<int64_t>{12345, 62345, 112345, 162345}));
    ASSERT_TRUE(base.SelectTitle(1, 3).ok());
    EXPECT_EQ(base.Mes(), "body 162345\r\n");
  }
}

// A first line of 1 MB. As an ordinary line, the file is listed by the
// line's first 64 KiB, cut between characters; as a header line, the entry's
// title is the whole line, the entry cannot be indexed (its record does not
// fit a slot), so the file is scanned at every load, and it opens as usual.
TEST(LargeInputs, FirstLineOfOneMegabyte) {
  TempDir dir, index;
  std::string line = "x";
  while (line.size() < 1000000) line += EncodeCp932("長");
  WriteFile(dir.Path("A.QBS"), line + "\r\n;entry\r\nbody\r\n");
  WriteFile(dir.Path("B.QBS"), ";" + line.substr(1) + "\r\nbody of B\r\n");
  TextBase base(index.path());
  ASSERT_TRUE(base.ListTextFiles(dir.path()).ok());
  ASSERT_TRUE(base.SplitFileNames().ok());
  ASSERT_EQ(base.Sfn(), (std::vector<std::string>{"B.QBS", "A.QBS"}));
  for (const std::string& title : base.FileList()) {
    EXPECT_EQ(title.size(), kMaxTitleBytes - 1);  // the next character would not fit whole
    EXPECT_EQ(DecodeCp932(title).find("\xEF\xBF\xBD"), std::string::npos);
  }
  for (int load = 0; load < 2; ++load) {
    ASSERT_TRUE(base.SelectFile(0).ok());
    EXPECT_EQ(base.last_load(), LoadWay::kScanned);
    EXPECT_FALSE(Exists(base.IndexFile()));
    ASSERT_EQ(base.entries().size(), 1u);
    EXPECT_EQ(base.entries().Title[0][0], line.substr(1));
    ASSERT_TRUE(base.SelectTitle(0, 0).ok());
    EXPECT_EQ(base.Mes(), "body of B\r\n");
  }
  ASSERT_TRUE(base.SelectFile(1).ok());
  EXPECT_EQ(base.entries().Title[0].ToVector(), (std::vector<std::string>{"entry"}));
}

// 50,000 text files in one directory: listed in title order, the first one
// loaded, any other one loaded when chosen.
TEST(LargeInputs, DirectoryOfFiftyThousandFiles) {
  TempDir dir, index;
  for (int i = 0; i < 50000; ++i) {
    std::string n = std::to_string(i);
    WriteFile(dir.Path("F" + n + ".QBS"),
              "Title " + std::string(5 - n.size(), '0') + n + "\r\n;entry " + n + "\r\nbody\r\n");
  }
  WriteFile(dir.Path("notes.txt"), "not a text file of Quillbox\r\n");
  TextBase base(index.path());
  ASSERT_TRUE(base.ListTextFiles(dir.path()).ok());
  ASSERT_TRUE(base.SplitFileNames().ok());
  ASSERT_EQ(base.FileList().size(), 50000u);
  EXPECT_TRUE(std::is_sorted(base.FileList().begin(), base.FileList().end()));
  EXPECT_EQ(base.FileList()[49999], "Title 49999");
  EXPECT_EQ(base.Sfn()[12345], "F12345.QBS");
  EXPECT_EQ(base.entries().Title[0].ToVector(), (std::vector<std::string>{"entry 0"}));
  ASSERT_TRUE(base.SelectFile(49999).ok());
  EXPECT_EQ(base.entries().Title[0].ToVector(), (std::vector<std::string>{"entry 49999"}));
}

}  // namespace
}  // namespace qb
