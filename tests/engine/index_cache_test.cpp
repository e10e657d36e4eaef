#include "engine/index_cache.h"

#include <sys/stat.h>
#include <sys/time.h>

#include <gtest/gtest.h>

#include "engine/date_text.h"
#include "tests/support/temp_dir.h"

namespace qb {
namespace {

using ::qb::testing::Exists;
using ::qb::testing::ReadFile;
using ::qb::testing::TempDir;
using ::qb::testing::WriteFile;

const char kWorkedExample[] = "Notes\r\n;memo:Eggs\r\nbuy 6\r\n;Milk\r\n1 l\r\n";

void SetMtime(const std::string& path, int64_t seconds, int64_t micros = 0) {
  struct timeval tv[2] = {{seconds, micros}, {seconds, micros}};
  ASSERT_EQ(::utimes(path.c_str(), tv), 0);
}

class IndexCacheTest : public ::testing::Test {
 protected:
  IndexCacheTest() : text_(dir_.Path("MEMO.QBS")), index_(dir_.Path("MEMO.QBI")) {}

  LoadWay Load(EntryTable* t) {
    LoadWay way = LoadWay::kScanned;
    Status s = LoadEntries(Env::Default(), text_, index_, t, &way);
    EXPECT_TRUE(s.ok()) << s.message();
    EXPECT_TRUE(t->InStep());
    return way;
  }

  TempDir dir_;
  std::string text_;
  std::string index_;
};

TEST(IndexFormat, FileNames) {
  EXPECT_EQ(IndexFileName("MEMO.QBS"), "MEMO.QBI");
  EXPECT_EQ(IndexFileName("memo.qbs"), "memo.QBI");
  EXPECT_EQ(IndexFileName("a.b.QBS"), "a.QBI");
  EXPECT_EQ(IndexFileName("noext"), "noext.QBI");
}

TEST(IndexFormat, EntryRecordBytes) {
  std::string slot;
  ASSERT_TRUE(AppendIndexSlot({"Eggs", "19", "7", "memo", "2"}, &slot).ok());
  const std::string expected(
      "\x04\x00"
      "Eggs"
      "\x02\x00"
      "19"
      "\x01\x00"
      "7"
      "\x04\x00"
      "memo"
      "\x01\x00"
      "2",
      22);
  ASSERT_EQ(slot.size(), 128u);
  EXPECT_EQ(slot.substr(0, 22), expected);
  EXPECT_EQ(slot.substr(22), std::string(106, '\0'));
  IndexRecord back;
  ASSERT_TRUE(ParseIndexSlot(slot, &back).ok());
  EXPECT_EQ(back, (IndexRecord{"Eggs", "19", "7", "memo", "2"}));
}

TEST(IndexFormat, RecordLimit) {
  std::string slot;
  EXPECT_TRUE(AppendIndexSlot({std::string(115, 't'), "1", "1", "", "1"}, &slot).ok());
  EXPECT_EQ(AppendIndexSlot({std::string(116, 't'), "1", "1", "", "1"}, &slot).code(),
            Status::Code::kTooLarge);
  EXPECT_EQ(slot.size(), 128u);
  // A field length that runs past the slot.
  std::string bad(128, '\0');
  bad[0] = 127;
  IndexRecord r;
  EXPECT_EQ(ParseIndexSlot(bad, &r).code(), Status::Code::kCorrupt);
}

TEST_F(IndexCacheTest, ScanWritesIndexThenIndexIsRead) {
  WriteFile(text_, kWorkedExample);
  EntryTable scanned;
  EXPECT_EQ(Load(&scanned), LoadWay::kScannedIndexed);
  std::string index = ReadFile(index_);
  ASSERT_EQ(index.size(), 3 * kSlotSize);
  EXPECT_EQ(index.substr(128, 22), std::string("\x04\x00"
                                               "Eggs\x02\x00"
                                               "19\x01\x00"
                                               "7\x04\x00"
                                               "memo\x01\x00"
                                               "2",
                                               22));
  EntryTable read;
  EXPECT_EQ(Load(&read), LoadWay::kReadIndex);
  EXPECT_EQ(read.Title, scanned.Title);
  EXPECT_EQ(read.StartByte, scanned.StartByte);
  EXPECT_EQ(read.MesByte, scanned.MesByte);
  EXPECT_EQ(read.TagAll, scanned.TagAll);
  EXPECT_EQ(read.GCount, scanned.GCount);
  EXPECT_EQ(read.TagList, scanned.TagList);
}

TEST_F(IndexCacheTest, AFileWithoutEntriesGetsAOneSlotIndex) {
  WriteFile(text_, "only a title\r\n");
  EntryTable t;
  EXPECT_EQ(Load(&t), LoadWay::kScannedIndexed);
  EXPECT_EQ(ReadFile(index_).size(), kSlotSize);
  EXPECT_EQ(Load(&t), LoadWay::kReadIndex);
  EXPECT_EQ(t.size(), 0u);
}

TEST_F(IndexCacheTest, ChangedFileCycle) {
  // Scan and write; change the file; the first load removes the stale index,
  // the second writes a new one, the third reads it.
  WriteFile(text_, kWorkedExample);
  SetMtime(text_, 1700000000);
  EntryTable t;
  EXPECT_EQ(Load(&t), LoadWay::kScannedIndexed);
  WriteFile(text_, "Notes\r\n;Eggs\r\n");
  SetMtime(text_, 1700000100);
  EXPECT_EQ(Load(&t), LoadWay::kScannedStale);
  EXPECT_FALSE(Exists(index_));
  EXPECT_EQ(t.Title[0].ToVector(), (std::vector<std::string>{"Eggs"}));
  EXPECT_EQ(Load(&t), LoadWay::kScannedIndexed);
  EXPECT_EQ(Load(&t), LoadWay::kReadIndex);
  // Times that differ by less than a second count as equal.
  SetMtime(text_, 1700000100, 900000);
  EXPECT_EQ(Load(&t), LoadWay::kReadIndex);
}

TEST_F(IndexCacheTest, IndexThatDoesNotFitItsFileIsStale) {
  WriteFile(text_, kWorkedExample);
  SetMtime(text_, 1700000000);
  const std::string header = [] {
    std::string h;
    AppendIndexSlot({FormatGeneralDate(1700000000), "", "", "", ""}, &h);
    return h;
  }();
  auto slot = [](IndexRecord r) {
    std::string s;
    EXPECT_TRUE(AppendIndexSlot(r, &s).ok());
    return s;
  };
  const std::string eggs = slot({"Eggs", "19", "7", "memo", "2"});
  const std::string milk = slot({"Milk", "33", "5", "", "4"});
  std::string runs_past = milk;
  runs_past[0] = 120;  // title length runs past the slot
  struct Case {
    const char* what;
    std::string index;
  } cases[] = {
      {"field runs past its slot", header + eggs + runs_past},
      {"number not decimal", header + eggs + slot({"Milk", "33", "+5", "", "4"})},
      {"leading zero", header + eggs + slot({"Milk", "033", "5", "", "4"})},
      {"empty number field", header + eggs + slot({"Milk", "", "5", "", "4"})},
      {"entry outside the file", header + eggs + slot({"Milk", "33", "50", "", "4"})},
      {"last entry short of the end", header + eggs + slot({"Milk", "33", "4", "", "4"})},
      {"entries out of order", header + milk + eggs},
      {"truncated mid-slot", (header + eggs + milk).substr(0, 300)},
      {"other time", slot({FormatGeneralDate(1700000001), "", "", "", ""}) + eggs + milk},
      {"header not a date", slot({"yesterday", "", "", "", ""}) + eggs + milk},
      {"empty file", ""},
  };
  for (const Case& c : cases) {
    WriteFile(index_, c.index);
    EntryTable t;
    EXPECT_EQ(Load(&t), LoadWay::kScannedStale) << c.what;
    EXPECT_FALSE(Exists(index_)) << c.what;
    EXPECT_EQ(t.StartByte, (std::vector<int64_t>{19, 33})) << c.what;
  }
  // The well-formed index built the same way is taken.
  WriteFile(index_, header + eggs + milk);
  EntryTable t;
  EXPECT_EQ(Load(&t), LoadWay::kReadIndex);
}

TEST_F(IndexCacheTest, TwoFilesSharingOneIndexName) {
  // a.b.QBS and a.QBS both use a.QBI; written in the same second with other
  // sizes, each load still gets its own file's entries.
  std::string ab = dir_.Path("a.b.QBS"), a = dir_.Path("a.QBS"), qbi = dir_.Path("a.QBI");
  WriteFile(ab, "AB\r\n;one\r\nx\r\n");
  WriteFile(a, "A\r\n;two\r\nyy\r\n;three\r\n");
  SetMtime(ab, 1700000000);
  SetMtime(a, 1700000000);
  LoadWay way;
  EntryTable t;
  ASSERT_TRUE(LoadEntries(Env::Default(), ab, qbi, &t, &way).ok());
  EXPECT_EQ(way, LoadWay::kScannedIndexed);
  ASSERT_TRUE(LoadEntries(Env::Default(), a, qbi, &t, &way).ok());
  EXPECT_EQ(way, LoadWay::kScannedStale);
  EXPECT_EQ(t.Title[0].ToVector(), (std::vector<std::string>{"two", "three"}));
}

TEST_F(IndexCacheTest, AnEntryTooLargeForItsSlotMeansNoIndexFile) {
  WriteFile(text_, "T\r\n;short\r\nx\r\n;" + std::string(200, 'L') + "\r\ny\r\n");
  WriteFile(index_, "an old index that must not survive");
  SetMtime(index_, 1);
  EntryTable t;
  // The old index is stale and removed; the next load cannot write one.
  EXPECT_EQ(Load(&t), LoadWay::kScannedStale);
  EXPECT_EQ(Load(&t), LoadWay::kScanned);
  EXPECT_FALSE(Exists(index_));
  EXPECT_EQ(t.size(), 2u);
  EXPECT_EQ(t.Title[0][1].size(), 200u);
  // No temporary file is left behind either.
  std::vector<DirEntry> entries;
  ASSERT_TRUE(Env::Default()->ListDirectory(dir_.path(), &entries).ok());
  EXPECT_EQ(entries.size(), 1u);
}

TEST_F(IndexCacheTest, VanishedOrUnreadableTextFile) {
  EntryTable t;
  t.ResetForLoad();
  t.Title[0].push_back("kept");
  LoadWay way;
  // Not there: the table is not touched and nothing is written.
  EXPECT_TRUE(LoadEntries(Env::Default(), text_, index_, &t, &way).IsNotFound());
  EXPECT_EQ(t.Title[0].size(), 1u);
  EXPECT_FALSE(Exists(index_));
  // There but unreadable (as a user without root would find it).
  WriteFile(text_, kWorkedExample);
  ::chmod(text_.c_str(), 0);
  if (::geteuid() != 0) {
    Status s = LoadEntries(Env::Default(), text_, index_, &t, &way);
    EXPECT_EQ(s.code(), Status::Code::kIoError);
    EXPECT_EQ(t.size(), 0u);
    EXPECT_TRUE(t.InStep());
    EXPECT_FALSE(Exists(index_));
  }
  // A directory in its place.
  ::chmod(text_.c_str(), 0644);
  ::unlink(text_.c_str());
  ::mkdir(text_.c_str(), 0755);
  EXPECT_FALSE(LoadEntries(Env::Default(), text_, index_, &t, &way).ok());
  EXPECT_FALSE(Exists(index_));
}

TEST_F(IndexCacheTest, AnUnwritableCacheNeverStopsALoad) {
  WriteFile(text_, kWorkedExample);
  EntryTable t;
  LoadWay way;
  // The index directory does not exist (or cannot be written).
  ASSERT_TRUE(LoadEntries(Env::Default(), text_, dir_.Path("none/MEMO.QBI"), &t, &way).ok());
  EXPECT_EQ(way, LoadWay::kScanned);
  EXPECT_EQ(t.size(), 2u);
  // No index at all.
  ASSERT_TRUE(LoadEntries(Env::Default(), text_, "", &t, &way).ok());
  EXPECT_EQ(way, LoadWay::kScanned);
}

TEST_F(IndexCacheTest, IndexDirectoryChoice) {
  // Beside the program when it can be written there.
  EXPECT_EQ(ChooseIndexDirectory(Env::Default(), dir_.path()), dir_.Path("QB_INDEX"));
  // A plain file named QB_INDEX: the user's cache directory instead.
  TempDir other;
  WriteFile(other.Path("QB_INDEX"), "");
  setenv("XDG_CACHE_HOME", dir_.Path("cache").c_str(), 1);
  EXPECT_EQ(ChooseIndexDirectory(Env::Default(), other.path()),
            dir_.Path("cache/quillbox/QB_INDEX"));
  unsetenv("XDG_CACHE_HOME");
}

}  // namespace
}  // namespace qb
