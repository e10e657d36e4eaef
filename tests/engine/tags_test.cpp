#include "engine/tags.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

EntryTable TableWithTags(std::vector<std::string> tags) {
  EntryTable t;
  t.ResetForLoad();
  for (size_t i = 0; i < tags.size(); ++i) {
    t.Title[0].push_back("title " + std::to_string(i));
    t.StartByte.push_back(0);
    t.MesByte.push_back(0);
    t.GCount.push_back(static_cast<int64_t>(i) + 1);
    if (!tags[i].empty()) AddTag(t, tags[i]);
    t.TagAll.push_back(tags[i]);
  }
  return t;
}

TEST(Tags, ListHoldsDistinctTagsInOrderOfFirstOccurrence) {
  EntryTable t = TableWithTags({"memo", "", "Memo", "memo", "ALL Title", " memo"});
  EXPECT_EQ(t.TagList, (std::vector<std::string>{"ALL Title", "memo", "Memo", " memo"}));
}

TEST(Tags, FilterAndReturnToAllTitles) {
  EntryTable t = TableWithTags({"memo", "", "Memo", "memo"});
  EXPECT_EQ(FilterByTag(t, 1), 1);  // memo
  EXPECT_EQ(t.Title[1].ToVector(), (std::vector<std::string>{"title 0", "title 3"}));
  EXPECT_EQ(t.NormalNo, (std::vector<int64_t>{0, 3}));
  EXPECT_EQ(FilterByTag(t, 2), 1);  // Memo: its own entries only
  EXPECT_EQ(t.NormalNo, (std::vector<int64_t>{2}));
  EXPECT_EQ(t.EntryNumber(1, 0), 2);
  EXPECT_EQ(FilterByTag(t, 0), 0);  // ALL Title
  EXPECT_TRUE(t.Title[1].empty());
  EXPECT_TRUE(t.NormalNo.empty());
  EXPECT_TRUE(t.InStep());
}

}  // namespace
}  // namespace qb
