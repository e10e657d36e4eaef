#include "tools/qbtool/commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "engine/cp932.h"
#include "engine/entry_display.h"
#include "tests/support/temp_dir.h"

namespace qb {
namespace {

using ::qb::testing::Exists;
using ::qb::testing::Sjis;
using ::qb::testing::TempDir;
using ::qb::testing::WriteFile;

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

std::string Slurp(std::FILE* f) {
  std::fflush(f);
  std::rewind(f);
  std::string s;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) s.append(buffer, n);
  std::fclose(f);
  return s;
}

Outcome Qbtool(std::vector<std::string> args) {
  args.insert(args.begin(), "qbtool");
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  int status = RunQbtool(static_cast<int>(argv.size()), argv.data(), out, err);
  return {status, Slurp(out), Slurp(err)};
}

class QbtoolTest : public ::testing::Test {
 protected:
  QbtoolTest() {
    WriteFile(dir_.Path("MEMO.QBS"),
              Sjis("雑記\\帳\n;仕事:会議\tメモ\n議題\n;\n;本:猫\n吾輩は猫である。"));
    WriteFile(dir_.Path("B.QBS"), Sjis("Alpha\n"));
  }
  std::string memo() const { return dir_.Path("MEMO.QBS"); }
  std::string index() const { return index_.path(); }

  TempDir dir_;
  TempDir index_;
};

TEST_F(QbtoolTest, ListAndEntriesEscapeTheirTexts) {
  Outcome r = Qbtool({"list", dir_.path()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Alpha\tB.QBS\n雑記\\\\帳\tMEMO.QBS\n");
  r = Qbtool({"entries", "--index-dir", index(), memo()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "2\t26\t6\t仕事\t会議\\tメモ\n"
            "4\t35\t0\t\t\n"
            "5\t43\t16\t本\t猫\n");
}

TEST_F(QbtoolTest, EntriesSaysHowTheyWereLoaded) {
  std::vector<std::string> args = {"entries", "-v", "--index-dir", index(), memo()};
  EXPECT_EQ(Qbtool(args).err, "scanned, index written\n");
  EXPECT_EQ(Qbtool(args).err, "read index\n");
  WriteFile(index_.Path("MEMO.QBI"), "garbage");
  EXPECT_EQ(Qbtool(args).err, "scanned, stale index removed\n");
  // --scan neither reads nor writes the cache.
  Outcome r = Qbtool({"entries", "-v", "--scan", "--index-dir", index(), memo()});
  EXPECT_EQ(r.err, "scanned\n");
  EXPECT_FALSE(Exists(index_.Path("MEMO.QBI")));
  EXPECT_EQ(Qbtool({"reindex", "--index-dir", index(), memo()}).status, 0);
  EXPECT_TRUE(Exists(index_.Path("MEMO.QBI")));
}

TEST_F(QbtoolTest, TagsAndShow) {
  Outcome r = Qbtool({"tags", "--scan", memo()});
  EXPECT_EQ(r.out, "ALL Title\n仕事\n本\n");
  r = Qbtool({"show", "--scan", memo(), "2"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "吾輩は猫である。");  // exactly the body: no line end added
  r = Qbtool({"show", "--scan", memo(), "1"});
  EXPECT_EQ(r.out, "");
}

// show prints the whole body, exactly, however long (the window's view shows
// a long body cut): here past the view's limit, with double-byte characters
// across every boundary of the pieces it is read in and a lone first byte
// of a character at the very end.
TEST_F(QbtoolTest, ShowPrintsTheWholeOfALongBodyExactly) {
  std::string body = "x";
  const std::string line = EncodeCp932("春はあけぼの。やうやう白くなりゆく山ぎは\r\n");
  while (body.size() <= static_cast<size_t>(kMaxShownBodyBytes) + 3) body += line;
  body += "\x81";
  WriteFile(dir_.Path("LONG.QBS"), "Long\r\n;one\r\n" + body);
  Outcome r = Qbtool({"show", "--scan", dir_.Path("LONG.QBS"), "0"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out.size(), DecodeCp932(body).size());
  EXPECT_TRUE(r.out == DecodeCp932(body));
}

TEST_F(QbtoolTest, FailuresAndUsage) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string message;  // part of the one line on standard error
  } cases[] = {
      {{"entries", "--scan", dir_.Path("NONE.QBS")}, 1, "NONE.QBS: No such file or directory"},
      {{"entries", "--scan", dir_.path()}, 1, "is a directory"},
      {{"list", dir_.Path("nodir")}, 1, "nodir: No such file or directory"},
      {{"list", memo()}, 1, "MEMO.QBS: Not a directory"},
      {{"show", "--scan", memo(), "3"}, 1, "no entry 3 (it has 3 entries)"},
      {{"show", memo(), "-1"}, 2, "unknown option '-1'"},
      {{"show", memo(), "x"}, 2, "'x' is not an entry number"},
      {{"entries"}, 2, "usage: qbtool entries FILE"},
      {{"frobnicate"}, 2, "unknown command 'frobnicate'"},
      {{}, 2, "no command given"},
  };
  for (const Case& c : cases) {
    Outcome r = Qbtool(c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), c.status == 2 ? 2 : 1) << r.err;
  }
  EXPECT_EQ(Qbtool({"--version"}).status, 0);
  EXPECT_NE(Qbtool({"--help"}).out.find("entries FILE"), std::string::npos);
}

}  // namespace
}  // namespace qb
