#include "engine/scanner.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/cp932.h"
#include "tests/support/temp_dir.h"

namespace qb {
namespace {

using ::qb::testing::Sjis;
using ::qb::testing::TempDir;
using ::qb::testing::WriteFile;

class ScannerTest : public ::testing::Test {
 protected:
  // Scans |bytes| written to a file and returns the table.
  EntryTable Scan(std::string_view bytes) {
    std::string path = dir_.Path("t.QBS");
    WriteFile(path, bytes);
    EntryTable t;
    t.ResetForLoad();
    Status s = ScanTextFile(Env::Default(), path, &t);
    EXPECT_TRUE(s.ok()) << s.message();
    EXPECT_TRUE(t.InStep());
    return t;
  }

  // Every body, and the header lines between them, must be exactly the bytes
  // of the file: check that each entry points at the bytes that follow its
  // header line.
  static void ExpectBodies(const EntryTable& t, std::string_view file,
                           const std::vector<std::string>& bodies) {
    ASSERT_EQ(t.size(), bodies.size());
    for (size_t i = 0; i < t.size(); ++i) {
      EXPECT_EQ(file.substr(t.StartByte[i], t.MesByte[i]), bodies[i]) << "entry " << i;
    }
  }

  TempDir dir_;
};

TEST_F(ScannerTest, WorkedExample) {
  EntryTable t = Scan("Notes\r\n;memo:Eggs\r\nbuy 6\r\n;Milk\r\n1 l\r\n");
  EXPECT_EQ(t.Title[0].ToVector(), (std::vector<std::string>{"Eggs", "Milk"}));
  EXPECT_EQ(t.TagAll.ToVector(), (std::vector<std::string>{"memo", ""}));
  EXPECT_EQ(t.StartByte, (std::vector<int64_t>{19, 33}));
  EXPECT_EQ(t.MesByte, (std::vector<int64_t>{7, 5}));
  EXPECT_EQ(t.GCount, (std::vector<int64_t>{2, 4}));
  EXPECT_EQ(t.TagList, (std::vector<std::string>{"ALL Title", "memo"}));
}

TEST_F(ScannerTest, HeaderLineRules) {
  struct Case {
    const char* line;
    const char* tag;
    const char* title;
  } cases[] = {
      {";", "", ""},          {";:", "", ""},           {";:abc", "", "abc"},
      {";a:b:c", "a", "b:c"}, {"; a : b", " a ", " b"}, {";plain", "", "plain"},
  };
  for (const Case& c : cases) {
    HeaderLine h = SplitHeaderLine(c.line);
    EXPECT_EQ(h.tag, c.tag) << c.line;
    EXPECT_EQ(h.title, c.title) << c.line;
  }
  // Only non-empty tags reach the tag list.
  EntryTable t = Scan(";\r\n;:\r\n;:abc\r\n");
  EXPECT_EQ(t.TagList, (std::vector<std::string>{"ALL Title"}));
  EXPECT_EQ(t.size(), 3u);
}

TEST_F(ScannerTest, DoubleByteTextCountsBytesNotCharacters) {
  std::string file =
      Sjis("題名\n;和食:肉じゃが\n材料\n；全角は見出しでない\n;洋食:カレー\nｶﾚｰ粉\n");
  EntryTable t = Scan(file);
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(DecodeCp932(t.TagAll[0]), "和食");
  EXPECT_EQ(DecodeCp932(t.Title[0][0]), "肉じゃが");
  EXPECT_EQ(t.StartByte[0], 6 + 16);  // "題名" CR LF, ";和食:肉じゃが" CR LF
  EXPECT_EQ(t.GCount, (std::vector<int64_t>{2, 5}));
  ExpectBodies(t, file, {Sjis("材料\n；全角は見出しでない\n"), Sjis("ｶﾚｰ粉\n")});
}

TEST_F(ScannerTest, EdgesOfTheFile) {
  // No header at all.
  EXPECT_EQ(Scan("title\r\nbody\r\n").size(), 0u);
  EXPECT_EQ(Scan("").size(), 0u);
  // A first line that is a header line.
  EXPECT_EQ(Scan(";first\r\nx\r\n").GCount, (std::vector<int64_t>{1}));
  // Two headers in a row: an empty body.
  std::string two = "t\r\n;a\r\n;b\r\nx\r\n";
  ExpectBodies(Scan(two), two, {"", "x\r\n"});
  // A last line without line end belongs to the last body.
  std::string tail = "t\r\n;a\r\nx\r\nno end";
  ExpectBodies(Scan(tail), tail, {"x\r\nno end"});
  // A header that is the last line, without line end: its empty body starts
  // at the file's size.
  EntryTable last = Scan("t\r\n;a\r\nx\r\n;end");
  EXPECT_EQ(last.StartByte[1], 14);
  EXPECT_EQ(last.MesByte[1], 0);
  EXPECT_EQ(last.Title[0][1], "end");
}

TEST_F(ScannerTest, OffsetsAreExactWhateverTheLineEnds) {
  // LF only, mixed, and a CR that is not followed by LF stays in the line.
  std::string lf = "t\n;a:one\nbody 1\n;two\nbody 2\n";
  EntryTable t = Scan(lf);
  ExpectBodies(t, lf, {"body 1\n", "body 2\n"});
  EXPECT_EQ(t.GCount, (std::vector<int64_t>{2, 4}));
  EXPECT_EQ(t.Title[0][0], "one");
  std::string mixed = "t\r\n;a\nx\r\ny\n;b\r\nz";
  ExpectBodies(Scan(mixed), mixed, {"x\r\ny\n", "z"});
  EntryTable cr = Scan(";a\rb\r\n");
  EXPECT_EQ(cr.Title[0][0], "a\rb");
}

TEST_F(ScannerTest, HeaderLinesAcrossBlockBoundaries) {
  // The scanner reads 1 MiB blocks. Put header lines across a boundary, right
  // after one, starting on one, and with the boundary between CR and LF.
  const size_t mib = 1 << 20;
  const std::string split_header = ";tag:split";
  std::string file = "title\r\n";
  auto header_at = [&](size_t offset, const std::string& header) {
    file += std::string(offset - file.size() - 2, 'y') + "\r\n";
    file += header + "\r\n";
  };
  header_at(mib - 3, ";tag:across");
  header_at(mib + 20, ";tag:after");
  header_at(2 * mib, ";tag:on");
  header_at(3 * mib - 1 - split_header.size(), split_header);  // CR last, LF first
  file += "end";
  EntryTable t = Scan(file);
  ASSERT_EQ(t.size(), 4u);
  EXPECT_EQ(t.Title[0].ToVector(), (std::vector<std::string>{"across", "after", "on", "split"}));
  for (size_t i = 0; i < t.size(); ++i) {
    int64_t header_start = t.StartByte[i] - static_cast<int64_t>(t.Title[0][i].size() + 7);
    EXPECT_EQ(file.substr(header_start, 5), ";tag:") << i;
    int64_t lines = 1 + std::count(file.begin(), file.begin() + header_start, '\n');
    EXPECT_EQ(t.GCount[i], lines) << i;
  }
  EXPECT_EQ(t.StartByte[3], static_cast<int64_t>(3 * mib + 1));
  EXPECT_EQ(t.StartByte.back() + t.MesByte.back(), static_cast<int64_t>(file.size()));
}

// An Env whose files fail after a number of bytes have been read.
class FailingReadEnv : public Env {
 public:
  Status OpenSequential(const std::string& path, std::unique_ptr<SequentialFile>* file) override {
    class Failing : public SequentialFile {
     public:
      explicit Failing(std::unique_ptr<SequentialFile> inner) : inner_(std::move(inner)) {}
      Status Read(size_t n, char* scratch, size_t* got) override {
        if (reads_++ > 0) return Status::IoError("t.QBS: Input/output error");
        return inner_->Read(n, scratch, got);
      }

     private:
      std::unique_ptr<SequentialFile> inner_;
      int reads_ = 0;
    };
    std::unique_ptr<SequentialFile> inner;
    Status s = Env::OpenSequential(path, &inner);
    if (s.ok()) *file = std::make_unique<Failing>(std::move(inner));
    return s;
  }
};

TEST_F(ScannerTest, AReadFailureLeavesTheTableEmptyAndInStep) {
  std::string path = dir_.Path("t.QBS");
  WriteFile(path, "t\r\n;a:x\r\n" + std::string(3 << 20, 'b'));
  FailingReadEnv env;
  EntryTable t;
  t.ResetForLoad();
  Status s = ScanTextFile(&env, path, &t);
  EXPECT_FALSE(s.ok());
  EXPECT_EQ(t.size(), 0u);
  EXPECT_TRUE(t.InStep());
  EXPECT_EQ(t.TagList, (std::vector<std::string>{"ALL Title"}));
  // A missing file is reported, not scanned.
  EXPECT_TRUE(ScanTextFile(Env::Default(), dir_.Path("none.QBS"), &t).IsNotFound());
}

}  // namespace
}  // namespace qb
