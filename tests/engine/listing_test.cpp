#include "engine/listing.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace qb {
namespace {

using ::qb::testing::Sjis;
using ::qb::testing::TempDir;
using ::qb::testing::WriteFile;

std::vector<std::string> Names(const std::vector<ListedFile>& files) {
  std::vector<std::string> names;
  for (const ListedFile& f : files) names.push_back(f.name);
  return names;
}

TEST(Listing, TextFileNames) {
  for (const char* yes : {"MEMO.QBS", "memo.qbs", "a.b.Qbs", "_.QBS", "x y.QBS"}) {
    EXPECT_TRUE(IsTextFileName(yes)) << yes;
  }
  for (const char* no : {".hidden.QBS", "MEMO.QBI", "MEMO.QBSX", "QBS", "MEMO.QB"}) {
    EXPECT_FALSE(IsTextFileName(no)) << no;
  }
}

TEST(Listing, OrderIsByTitleThenNameWithoutLetterCase) {
  TempDir dir;
  WriteFile(dir.Path("c.QBS"), "beta\r\n");
  WriteFile(dir.Path("B.QBS"), "Alpha\r\n");
  WriteFile(dir.Path("a.QBS"), "alpha\r\n");
  WriteFile(dir.Path("d.QBS"), "al_pha\r\nbody\r\n");  // an underscore in the title
  WriteFile(dir.Path("e_f.QBS"), "");                  // no first line at all
  WriteFile(dir.Path("notes.txt"), "zzz\r\n");
  ::mkdir(dir.Path("dir.QBS").c_str(), 0755);
  ::symlink("c.QBS", dir.Path("link.QBS").c_str());
  std::vector<ListedFile> files;
  ASSERT_TRUE(ListTextFiles(Env::Default(), dir.path(), &files).ok());
  EXPECT_EQ(Names(files),
            (std::vector<std::string>{"e_f.QBS", "d.QBS", "a.QBS", "B.QBS", "c.QBS", "link.QBS"}));
  EXPECT_EQ(files[0].title, "");
  EXPECT_EQ(files[1].title, "al_pha");
}

TEST(Listing, DoubleByteTitlesAreNotCaseFolded) {
  // ア is 83 41 and ャ is 83 61: folding the trail byte 41 ("A") would make
  // them equal.
  EXPECT_LT(CompareListingKeys(Sjis("ア_x"), Sjis("ャ_x")), 0);
  EXPECT_GT(CompareListingKeys(Sjis("ャ_x"), Sjis("ア_x")), 0);
  EXPECT_EQ(CompareListingKeys("ABC_x", "abc_x") == 0, false);  // raw bytes break the tie
  EXPECT_LT(CompareListingKeys("ABC_x", "abd_x"), 0);
}

TEST(Listing, MissingDirectory) {
  std::vector<ListedFile> files;
  EXPECT_TRUE(ListTextFiles(Env::Default(), "/no/such/dir", &files).IsNotFound());
  EXPECT_TRUE(files.empty());
}

}  // namespace
}  // namespace qb
