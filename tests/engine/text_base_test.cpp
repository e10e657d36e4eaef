#include "engine/text_base.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include "engine/cp932.h"
#include "tests/support/temp_dir.h"

namespace qb {
namespace {

using ::qb::testing::Exists;
using ::qb::testing::Sjis;
using ::qb::testing::TempDir;
using ::qb::testing::WriteFile;

class TextBaseTest : public ::testing::Test {
 protected:
  TextBaseTest() : base_(index_.path()) {
    WriteFile(dir_.Path("RECIPE.QBS"), Sjis("お料理メモ\n;和食:肉じゃが\nじゃがいも３個\n"
                                            ";洋食:カレー\nｶﾚｰ粉\n;和食:豚汁\n味噌\n"));
    WriteFile(dir_.Path("A_B.QBS"), Sjis("旅行_記録\n;京都:清水寺\n朝７時\n"));
  }

  TempDir dir_;
  TempDir index_;
  TextBase base_;
};

TEST_F(TextBaseTest, ListingSelectsAndLoadsTheFirstFile) {
  ASSERT_TRUE(base_.ListTextFiles(dir_.path()).ok());
  EXPECT_TRUE(base_.FileList().empty());  // not shown until split
  ASSERT_TRUE(base_.SplitFileNames().ok());
  EXPECT_EQ(base_.CurrentDir(), dir_.path());
  ASSERT_EQ(base_.Sfn(), (std::vector<std::string>{"RECIPE.QBS", "A_B.QBS"}));
  EXPECT_EQ(DecodeCp932(base_.FileList()[1]), "旅行_記録");
  EXPECT_EQ(base_.file_row(), 0);
  EXPECT_EQ(base_.CurrentFile(), dir_.Path("RECIPE.QBS"));
  EXPECT_EQ(base_.IndexFile(), index_.Path("RECIPE.QBI"));
  EXPECT_TRUE(Exists(base_.IndexFile()));
  EXPECT_EQ(base_.entries().size(), 3u);
  EXPECT_EQ(base_.visible_title(), 0);
  EXPECT_EQ(base_.title_row(0), -1);
  // The file whose name holds an underscore opens whole.
  ASSERT_TRUE(base_.SelectFile(1).ok());
  EXPECT_EQ(base_.CurrentFile(), dir_.Path("A_B.QBS"));
  EXPECT_EQ(base_.IndexFile(), index_.Path("A_B.QBI"));
  EXPECT_EQ(DecodeCp932(base_.entries().Title[0][0]), "清水寺");
}

TEST_F(TextBaseTest, TitlesTagsAndBodies) {
  ASSERT_TRUE(base_.ListTextFiles(dir_.path()).ok());
  ASSERT_TRUE(base_.SplitFileNames().ok());
  ASSERT_TRUE(base_.SelectTitle(0, 1).ok());
  EXPECT_EQ(base_.Mes(), "ｶﾚｰ粉\r\n");
  // Filter by 和食: the filtered list shows entries 0 and 2, nothing selected,
  // and the body shown stays until a title is chosen.
  ASSERT_EQ(DecodeCp932(base_.entries().TagList[1]), "和食");
  base_.SelectTag(1);
  EXPECT_EQ(base_.visible_title(), 1);
  EXPECT_EQ(base_.title_row(1), -1);
  EXPECT_EQ(base_.entries().NormalNo, (std::vector<int64_t>{0, 2}));
  EXPECT_EQ(base_.Mes(), "ｶﾚｰ粉\r\n");
  ASSERT_TRUE(base_.SelectTitle(1, 1).ok());
  EXPECT_EQ(base_.SelectedEntry(), 2);
  EXPECT_EQ(base_.Mes(), "味噌\r\n");
  // Back to all titles: the earlier selection of the full list is kept.
  base_.SelectTag(0);
  EXPECT_EQ(base_.visible_title(), 0);
  EXPECT_EQ(base_.title_row(0), 1);
  EXPECT_TRUE(base_.entries().Title[1].empty());
  // A row that does not exist changes nothing.
  EXPECT_FALSE(base_.SelectTitle(0, 3).ok());
  EXPECT_EQ(base_.Mes(), "味噌\r\n");
}

TEST_F(TextBaseTest, ClearEntriesModes) {
  ASSERT_TRUE(base_.ListTextFiles(dir_.path()).ok());
  ASSERT_TRUE(base_.SplitFileNames().ok());
  base_.SelectTag(1);
  ASSERT_TRUE(base_.SelectTitle(1, 0).ok());
  base_.ClearEntries(7);  // any other mode: nothing
  EXPECT_FALSE(base_.Mes().empty());
  base_.ClearEntries(1);  // the filtered list stays the visible one, empty
  EXPECT_EQ(base_.visible_title(), 1);
  EXPECT_TRUE(base_.Mes().empty());
  EXPECT_EQ(base_.entries().TagList, (std::vector<std::string>{"ALL Title"}));
  EXPECT_EQ(base_.FileList().size(), 2u);
  base_.ClearEntries(0);
  EXPECT_TRUE(base_.FileList().empty());
  EXPECT_TRUE(base_.Sfn().empty());
  EXPECT_TRUE(base_.entries().TagList.empty());
  EXPECT_EQ(base_.CurrentDir(), dir_.path());
}

TEST_F(TextBaseTest, FileThatVanishedAfterListing) {
  ASSERT_TRUE(base_.ListTextFiles(dir_.path()).ok());
  ASSERT_TRUE(base_.SplitFileNames().ok());
  ASSERT_TRUE(base_.SelectTitle(0, 0).ok());
  ::unlink(dir_.Path("A_B.QBS").c_str());
  // The lists stay as they were; the body view says why instead of showing
  // the other file's body.
  EXPECT_TRUE(base_.SelectFile(1).IsNotFound());
  EXPECT_EQ(base_.entries().size(), 3u);
  EXPECT_EQ(base_.Mes(), "");
  EXPECT_EQ(base_.load_problem(),
            std::string(kLoadProblem) + dir_.Path("A_B.QBS") + ": No such file or directory");
  // The loaded file removed: the body cannot be read, and says so.
  ASSERT_TRUE(base_.SelectFile(0).ok());
  EXPECT_EQ(base_.load_problem(), "");
  ::unlink(dir_.Path("RECIPE.QBS").c_str());
  EXPECT_TRUE(base_.SelectTitle(0, 1).IsNotFound());
  EXPECT_EQ(base_.Mes(), "");
  EXPECT_EQ(base_.load_problem(),
            std::string(kLoadProblem) + dir_.Path("RECIPE.QBS") + ": No such file or directory");
}

TEST_F(TextBaseTest, BodyOfAFileThatShrankShowsTheBytesThatExist) {
  WriteFile(dir_.Path("S.QBS"), "t\r\n;a\r\n0123456789\r\n");
  TextBase base(index_.path());
  ASSERT_TRUE(base.ListSingleFile(dir_.Path("S.QBS")).ok());
  ::truncate(dir_.Path("S.QBS").c_str(), 12);
  ASSERT_TRUE(base.SelectTitle(0, 0).ok());
  EXPECT_EQ(base.Mes(), "01234");
  ::truncate(dir_.Path("S.QBS").c_str(), 3);
  ASSERT_TRUE(base.SelectTitle(0, 0).ok());
  EXPECT_EQ(base.Mes(), "");
}

TEST_F(TextBaseTest, EmptyDirectoryAndRebuild) {
  TempDir empty;
  ASSERT_TRUE(base_.ListTextFiles(empty.path()).ok());
  ASSERT_TRUE(base_.SplitFileNames().ok());
  EXPECT_EQ(base_.file_row(), -1);
  EXPECT_TRUE(base_.entries().TagList.empty());
  // RebuildIndex with nothing selected deletes nothing and loads nothing.
  EXPECT_TRUE(base_.RebuildIndex().ok());
  EXPECT_EQ(base_.entries().size(), 0u);
  // RebuildIndex of a loaded file writes its index anew.
  ASSERT_TRUE(base_.ListTextFiles(dir_.path()).ok());
  ASSERT_TRUE(base_.SplitFileNames().ok());
  ASSERT_TRUE(base_.SelectFile(0).ok());
  EXPECT_EQ(base_.last_load(), LoadWay::kReadIndex);
  ASSERT_TRUE(base_.RebuildIndex().ok());
  EXPECT_EQ(base_.last_load(), LoadWay::kScannedIndexed);
}

}  // namespace
}  // namespace qb
