// Faults between listing, loading and showing a text file, in the index
// cache directory and in the directory listed, on real files. Each case says
// what the user sees. Unreadable files and read-only directories are made
// through FaultEnv, since the tests may run as root.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "engine/cp932.h"
#include "engine/date_text.h"
#include "engine/index_cache.h"
#include "engine/scanner.h"
#include "engine/text_base.h"
#include "tests/engine/fault_env.h"
#include "tests/support/temp_dir.h"

namespace qb {
namespace {

using ::qb::testing::Exists;
using ::qb::testing::FaultEnv;
using ::qb::testing::ReadFile;
using ::qb::testing::Sjis;
using ::qb::testing::TempDir;
using ::qb::testing::WriteFile;

const char kMemo[] = "Notes\r\n;memo:Eggs\r\nbuy 6\r\n;Milk\r\n1 l\r\n";

void SetMtime(const std::string& path, int64_t seconds, int64_t nanoseconds) {
  struct timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

std::vector<std::string> Titles(const TextBase& base) { return base.entries().Title[0].ToVector(); }

// The title list and tag list of a load that could not read the file: empty,
// with "ALL Title" alone, and the lists in step.
void ExpectEmptyLoad(const TextBase& base) {
  EXPECT_EQ(base.entries().size(), 0u);
  EXPECT_TRUE(base.entries().InStep());
  EXPECT_EQ(base.entries().TagList, (std::vector<std::string>{"ALL Title"}));
}

class TextFileFaultTest : public ::testing::Test {
 protected:
  TextFileFaultTest() : file_(dir_.Path("MEMO.QBS")), base_(index_.path(), &env_) {
    WriteFile(file_, kMemo);
    WriteFile(dir_.Path("OTHER.QBS"), "Zzz other\r\n;x\r\ny\r\n");
  }

  // Lists the directory without loading (as the window does before it
  // yields), so a fault can come between listing and loading.
  void List() {
    ASSERT_TRUE(base_.ListTextFiles(dir_.path()).ok());
    ASSERT_TRUE(base_.SplitFileNames().ok());  // loads MEMO.QBS, row 0
    ASSERT_EQ(base_.Sfn()[0], "MEMO.QBS");
  }

  TempDir dir_, index_;
  std::string file_;
  FaultEnv env_;
  TextBase base_;
};

TEST_F(TextFileFaultTest, TruncatedBetweenListingAndLoading) {
  List();
  WriteFile(file_, "Notes\r\n;memo:Eggs\r\nbu");
  // The user sees the entries the file still has, with their bodies.
  ASSERT_TRUE(base_.SelectFile(0).ok());
  EXPECT_EQ(Titles(base_), (std::vector<std::string>{"Eggs"}));
  ASSERT_TRUE(base_.SelectTitle(0, 0).ok());
  EXPECT_EQ(base_.Mes(), "bu");
}

TEST_F(TextFileFaultTest, GrownBetweenLoadingAndShowing) {
  List();
  SetMtime(file_, 1700000000, 0);
  ASSERT_TRUE(base_.RebuildIndex().ok());
  WriteFile(file_, std::string(kMemo) + "2 l\r\n;Bread\r\nwhole\r\n");
  SetMtime(file_, 1700000100, 0);
  // The body shown is the one the loaded table names: the bytes at its offset.
  ASSERT_TRUE(base_.SelectTitle(0, 1).ok());
  EXPECT_EQ(base_.Mes(), "1 l\r\n");
  // Loading again finds the index stale and shows the new entries.
  ASSERT_TRUE(base_.LoadSelectedFile().ok());
  EXPECT_EQ(base_.last_load(), LoadWay::kScannedStale);
  EXPECT_EQ(Titles(base_), (std::vector<std::string>{"Eggs", "Milk", "Bread"}));
  ASSERT_TRUE(base_.SelectTitle(0, 1).ok());
  EXPECT_EQ(base_.Mes(), "1 l\r\n2 l\r\n");
}

TEST_F(TextFileFaultTest, ReplacedByADirectory) {
  List();
  ASSERT_TRUE(base_.SelectTitle(0, 0).ok());
  ASSERT_EQ(::unlink(file_.c_str()), 0);
  ASSERT_EQ(::mkdir(file_.c_str(), 0755), 0);
  // Between loading and showing: the body view is emptied, the call says why.
  EXPECT_EQ(base_.SelectTitle(0, 1).code(), Status::Code::kIoError);
  EXPECT_EQ(base_.Mes(), "");
  // Between listing and loading: empty title and tag lists, no index file.
  ASSERT_TRUE(::unlink(index_.Path("MEMO.QBI").c_str()) == 0);
  EXPECT_EQ(base_.SelectFile(0).code(), Status::Code::kIoError);
  ExpectEmptyLoad(base_);
  EXPECT_EQ(base_.load_problem().rfind(kLoadProblem + file_, 0), 0u) << base_.load_problem();
  EXPECT_FALSE(Exists(index_.Path("MEMO.QBI")));
}

// Opening a FIFO for reading waits for a writer; one put in a text file's
// place must fail the load or the body at once instead.
TEST_F(TextFileFaultTest, ReplacedByAFifoDoesNotHang) {
  List();
  ASSERT_EQ(::unlink(file_.c_str()), 0);
  ASSERT_EQ(::mkfifo(file_.c_str(), 0644), 0);
  EXPECT_EQ(base_.SelectTitle(0, 0).code(), Status::Code::kIoError);
  EXPECT_EQ(base_.Mes(), "");
  EXPECT_EQ(base_.SelectFile(0).code(), Status::Code::kIoError);
  ExpectEmptyLoad(base_);
  // Nor is it listed.
  ASSERT_TRUE(base_.ListTextFiles(dir_.path()).ok());
  ASSERT_TRUE(base_.SplitFileNames().ok());
  EXPECT_EQ(base_.Sfn(), (std::vector<std::string>{"OTHER.QBS"}));
}

TEST_F(TextFileFaultTest, MadeUnreadable) {
  List();
  ASSERT_TRUE(::unlink(index_.Path("MEMO.QBI").c_str()) == 0);
  env_.unreadable.insert(file_);
  // Between loading and showing: an empty body view and the reason.
  ASSERT_TRUE(base_.SelectTitle(0, 0).code() == Status::Code::kIoError);
  EXPECT_EQ(base_.Mes(), "");
  // Between listing and loading: empty lists, and no index written.
  EXPECT_EQ(base_.SelectFile(0).code(), Status::Code::kIoError);
  ExpectEmptyLoad(base_);
  EXPECT_FALSE(Exists(index_.Path("MEMO.QBI")));
  // Listed while unreadable: it is there, with an empty title, sorted first.
  ASSERT_TRUE(base_.ListTextFiles(dir_.path()).ok());
  EXPECT_EQ(base_.SplitFileNames().code(), Status::Code::kIoError);
  EXPECT_EQ(base_.FileList(), (std::vector<std::string>{"", "Zzz other"}));
  // Readable again: it loads as usual.
  env_.unreadable.clear();
  ASSERT_TRUE(base_.SelectFile(0).ok());
  EXPECT_EQ(Titles(base_), (std::vector<std::string>{"Eggs", "Milk"}));
}

// A text file changed in the same second as its index was written, keeping
// its size, has the same time to the second: the index must not be taken
// for fresh.
TEST_F(TextFileFaultTest, SameSecondSameSizeChangeAfterIndexingIsNotTakenForFresh) {
  SetMtime(file_, 1700000000, 100);
  List();
  ASSERT_EQ(base_.last_load(), LoadWay::kScannedIndexed);
  SetMtime(index_.Path("MEMO.QBI"), 1700000000, 200);
  WriteFile(file_, "Notes\r\n;memo:Oats\r\nbuy 6\r\n;Rice\r\n1 l\r\n");
  SetMtime(file_, 1700000000, 300);
  ASSERT_TRUE(base_.LoadSelectedFile().ok());
  EXPECT_EQ(base_.last_load(), LoadWay::kScannedStale);
  EXPECT_EQ(Titles(base_), (std::vector<std::string>{"Oats", "Rice"}));
  // An index written after the change in that second is fresh.
  ASSERT_TRUE(base_.LoadSelectedFile().ok());
  EXPECT_EQ(base_.last_load(), LoadWay::kScannedIndexed);
  ASSERT_TRUE(base_.LoadSelectedFile().ok());
  EXPECT_EQ(base_.last_load(), LoadWay::kReadIndex);
}

// A file saved while it is being scanned keeps its size and second but not
// its content: no index is written from the scan.
TEST_F(TextFileFaultTest, ChangedWhileScannedGetsNoIndex) {
  SetMtime(file_, 1700000000, 100);
  List();
  ASSERT_TRUE(::unlink(index_.Path("MEMO.QBI").c_str()) == 0);
  bool changed = false;
  env_.before_read = [&](const std::string& path) {
    if (changed || path != file_) return;
    changed = true;
    WriteFile(file_, "Notes\r\n;memo:Oats\r\nbuy 6\r\n;Rice\r\n1 l\r\n");
    SetMtime(file_, 1700000000, 900);
  };
  ASSERT_TRUE(base_.LoadSelectedFile().ok());
  EXPECT_EQ(base_.last_load(), LoadWay::kScanned);
  EXPECT_FALSE(Exists(index_.Path("MEMO.QBI")));
  env_.before_read = nullptr;
  ASSERT_TRUE(base_.LoadSelectedFile().ok());
  EXPECT_EQ(base_.last_load(), LoadWay::kScannedIndexed);
  EXPECT_EQ(Titles(base_), (std::vector<std::string>{"Oats", "Rice"}));
}

// A file of nothing but header lines would need about 40 bytes of memory an
// entry: one with more entries than the limit is refused with empty lists
// rather than exhausting memory.
TEST(EntryLimit, FileWithTooManyEntriesIsRefused) {
  TempDir dir;
  std::string file = "many\r\n";
  for (int i = 0; i < 3000; ++i) file += ";\r\n";
  WriteFile(dir.Path("MANY.QBS"), file);
  EntryTable t;
  t.ResetForLoad();
  EXPECT_TRUE(ScanTextFile(Env::Default(), dir.Path("MANY.QBS"), &t, 3000).ok());
  EXPECT_EQ(t.size(), 3000u);
  t.ResetForLoad();
  EXPECT_EQ(ScanTextFile(Env::Default(), dir.Path("MANY.QBS"), &t, 2999).code(),
            Status::Code::kTooLarge);
  EXPECT_EQ(t.size(), 0u);
  EXPECT_TRUE(t.InStep());
  EXPECT_EQ(t.TagList, (std::vector<std::string>{"ALL Title"}));
}

class IndexDirectoryFaultTest : public ::testing::Test {
 protected:
  IndexDirectoryFaultTest() : file_(dir_.Path("MEMO.QBS")) {
    WriteFile(file_, kMemo);
    SetMtime(file_, 1700000000, 0);
  }

  // Loads MEMO.QBS with |index_dir| and returns how.
  LoadWay Load(const std::string& index_dir, Env* env = Env::Default()) {
    TextBase base(index_dir, env);
    Status s = base.ListSingleFile(file_);
    EXPECT_TRUE(s.ok()) << s.message();
    // Whatever the cache did, the user sees the file's entries.
    EXPECT_EQ(Titles(base), (std::vector<std::string>{"Eggs", "Milk"}));
    return base.last_load();
  }

  std::string Header() const {
    std::string h;
    EXPECT_TRUE(AppendIndexSlot({FormatGeneralDate(1700000000), "", "", "", ""}, &h).ok());
    return h;
  }

  TempDir dir_, index_;
  std::string file_;
};

TEST_F(IndexDirectoryFaultTest, ReadOnlyDirectory) {
  FaultEnv env;
  env.read_only.insert(index_.path());
  // Scanned every time; nothing is written.
  EXPECT_EQ(Load(index_.path(), &env), LoadWay::kScanned);
  EXPECT_EQ(Load(index_.path(), &env), LoadWay::kScanned);
  EXPECT_FALSE(Exists(index_.Path("MEMO.QBI")));
  // A stale index that cannot be removed is never taken for fresh.
  WriteFile(index_.Path("MEMO.QBI"), "stale and stuck");
  EXPECT_EQ(Load(index_.path(), &env), LoadWay::kScanned);
  EXPECT_EQ(ReadFile(index_.Path("MEMO.QBI")), "stale and stuck");
  // The directory chosen at start-up is never one that cannot be written.
  TempDir program;
  ASSERT_EQ(::mkdir(program.Path("QB_INDEX").c_str(), 0755), 0);
  env.read_only.insert(program.Path("QB_INDEX"));
  ::setenv("XDG_CACHE_HOME", dir_.Path("cache").c_str(), 1);
  EXPECT_EQ(ChooseIndexDirectory(&env, program.path()), dir_.Path("cache/quillbox/QB_INDEX"));
  ::unsetenv("XDG_CACHE_HOME");
}

TEST_F(IndexDirectoryFaultTest, DirectoryFullOfGarbage) {
  std::string eggs, milk;
  ASSERT_TRUE(AppendIndexSlot({"Eggs", "19", "7", "memo", "2"}, &eggs).ok());
  ASSERT_TRUE(AppendIndexSlot({"Milk", "33", "5", "", "4"}, &milk).ok());
  std::string claims_60000 = milk;
  claims_60000[0] = static_cast<char>(60000 & 0xFF);
  claims_60000[1] = static_cast<char>(60000 >> 8);
  std::string random(4096, '\0');
  for (size_t i = 0; i < random.size(); ++i) random[i] = static_cast<char>((i * 7919 + 13) % 251);
  const std::vector<std::pair<const char*, std::string>> garbage = {
      {"random bytes", random},
      {"text", "this is not an index\n"},
      {"truncated mid-slot", (Header() + eggs + milk).substr(0, 128 + 128 + 60)},
      {"a slot claiming 60,000 bytes", Header() + eggs + claims_60000},
      {"slots of zeros", std::string(3 * 128, '\0')},
  };
  WriteFile(index_.Path("OTHER.QBI"), random);  // names no text file; left alone
  WriteFile(index_.Path("MEMO.QBI.tmpAbCdEf"), "a temporary file of a crashed writer");
  for (const auto& [what, bytes] : garbage) {
    SCOPED_TRACE(what);
    WriteFile(index_.Path("MEMO.QBI"), bytes);
    // Scanned, the garbage removed; written at the next load, read after.
    EXPECT_EQ(Load(index_.path()), LoadWay::kScannedStale);
    EXPECT_FALSE(Exists(index_.Path("MEMO.QBI")));
    EXPECT_EQ(Load(index_.path()), LoadWay::kScannedIndexed);
    EXPECT_EQ(Load(index_.path()), LoadWay::kReadIndex);
  }
  // A directory where the index file should be: scanned each time.
  ASSERT_EQ(::unlink(index_.Path("MEMO.QBI").c_str()), 0);
  ASSERT_EQ(::mkdir(index_.Path("MEMO.QBI").c_str(), 0755), 0);
  EXPECT_EQ(Load(index_.path()), LoadWay::kScanned);
  EXPECT_EQ(Load(index_.path()), LoadWay::kScanned);
  EXPECT_EQ(ReadFile(index_.Path("OTHER.QBI")), random);
}

TEST_F(IndexDirectoryFaultTest, PlainFileInPlaceOfTheDirectory) {
  WriteFile(index_.Path("QB_INDEX"), "a plain file");
  EXPECT_EQ(Load(index_.Path("QB_INDEX")), LoadWay::kScanned);
  EXPECT_EQ(Load(index_.Path("QB_INDEX")), LoadWay::kScanned);
  EXPECT_EQ(ReadFile(index_.Path("QB_INDEX")), "a plain file");
}

class ListingFaultTest : public ::testing::Test {
 protected:
  std::vector<std::string> ListedNames(Env* env = Env::Default()) {
    TextBase base(index_.path(), env);
    EXPECT_TRUE(base.ListTextFiles(dir_.path()).ok());
    base.SplitFileNames();
    return base.Sfn();
  }

  TempDir dir_, index_;
};

// File names from old archives are code page 932 bytes, not UTF-8: they are
// listed, loaded, indexed under a name of the same bytes, and shown.
TEST_F(ListingFaultTest, FileNamesInCodePage932) {
  const std::string name = EncodeCp932("日記.QBS");
  ASSERT_FALSE(IsValidUtf8(name));
  WriteFile(dir_.Path(name), Sjis("日記\n;天気:晴れ\n暑い\n"));
  TextBase base(index_.path());
  ASSERT_TRUE(base.ListTextFiles(dir_.path()).ok());
  ASSERT_TRUE(base.SplitFileNames().ok());
  ASSERT_EQ(base.Sfn(), (std::vector<std::string>{name}));
  EXPECT_EQ(DecodeCp932(base.FileList()[0]), "日記");
  EXPECT_EQ(base.IndexFile(), index_.Path(EncodeCp932("日記.") + "QBI"));
  EXPECT_TRUE(Exists(base.IndexFile()));
  ASSERT_TRUE(base.SelectTitle(0, 0).ok());
  EXPECT_EQ(base.Mes(), "暑い\r\n");
}

// Symbolic links are followed to regular files only: a loop, a dangling
// link, a directory, a FIFO and a link to a directory named *.QBS are not
// listed, and listing them neither hangs nor fails.
TEST_F(ListingFaultTest, LinksLoopsAndOddFiles) {
  WriteFile(dir_.Path("REAL.QBS"), "Real\r\n;a\r\nb\r\n");
  ASSERT_EQ(::symlink("REAL.QBS", dir_.Path("LINK.QBS").c_str()), 0);
  ASSERT_EQ(::symlink("SELF.QBS", dir_.Path("SELF.QBS").c_str()), 0);
  ASSERT_EQ(::symlink("LOOP2.QBS", dir_.Path("LOOP1.QBS").c_str()), 0);
  ASSERT_EQ(::symlink("LOOP1.QBS", dir_.Path("LOOP2.QBS").c_str()), 0);
  ASSERT_EQ(::symlink("GONE.QBS", dir_.Path("DANGLING.QBS").c_str()), 0);
  ASSERT_EQ(::mkdir(dir_.Path("FOLDER.QBS").c_str(), 0755), 0);
  ASSERT_EQ(::symlink(".", dir_.Path("DOT.QBS").c_str()), 0);
  ASSERT_EQ(::mkfifo(dir_.Path("PIPE.QBS").c_str(), 0644), 0);
  std::vector<std::string> names = ListedNames();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"LINK.QBS", "REAL.QBS"}));
}

// A file that cannot be opened is listed with an empty title; choosing it
// shows empty lists; the others open as usual.
TEST_F(ListingFaultTest, FilesThatCannotBeOpened) {
  WriteFile(dir_.Path("A.QBS"), "Apple\r\n;a\r\nb\r\n");
  WriteFile(dir_.Path("B.QBS"), "Banana\r\n;c\r\nd\r\n");
  FaultEnv env;
  env.unreadable.insert(dir_.Path("B.QBS"));
  TextBase base(index_.path(), &env);
  ASSERT_TRUE(base.ListTextFiles(dir_.path()).ok());
  EXPECT_EQ(base.SplitFileNames().code(), Status::Code::kIoError);
  EXPECT_EQ(base.FileList(), (std::vector<std::string>{"", "Apple"}));
  ExpectEmptyLoad(base);
  ASSERT_TRUE(base.SelectFile(1).ok());
  EXPECT_EQ(Titles(base), (std::vector<std::string>{"a"}));
  // A directory that cannot be read lists nothing and says why.
  env.unreadable.clear();
  EXPECT_TRUE(base.ListTextFiles(dir_.Path("missing")).IsNotFound());
  EXPECT_TRUE(base.FileList().empty());
}

}  // namespace
}  // namespace qb
