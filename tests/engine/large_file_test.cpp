// Files far beyond the sizes of the classic format's 16-bit entry numbers and
// 32-bit offsets.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "engine/text_base.h"
#include "tests/support/temp_dir.h"

namespace qb {
namespace {

using ::qb::testing::TempDir;
using ::qb::testing::WriteFile;

TEST(LargeFiles, HundredThousandEntries) {
  TempDir dir, index;
  std::string file = "many\r\n";
  for (int i = 0; i < 100000; ++i) {
    file += ";t" + std::to_string(i % 7) + ":entry " + std::to_string(i) + "\r\nbody " +
            std::to_string(i) + "\r\n";
  }
  WriteFile(dir.Path("MANY.QBS"), file);
  for (LoadWay expected : {LoadWay::kScannedIndexed, LoadWay::kReadIndex}) {
    TextBase base(index.path());
    ASSERT_TRUE(base.ListSingleFile(dir.Path("MANY.QBS")).ok());
    EXPECT_EQ(base.last_load(), expected);
    ASSERT_EQ(base.entries().size(), 100000u);
    EXPECT_EQ(base.entries().GCount.back(), 200000);
    EXPECT_EQ(base.entries().TagList.size(), 8u);
    ASSERT_TRUE(base.SelectTitle(0, 99999).ok());
    EXPECT_EQ(base.Mes(), "body 99999\r\n");
    base.SelectTag(1);  // t0: every seventh entry
    ASSERT_EQ(base.entries().Title[1].size(), 14286u);
    ASSERT_TRUE(base.SelectTitle(1, 14285).ok());
    EXPECT_EQ(base.SelectedEntry(), 99995);
    EXPECT_EQ(base.Mes(), "body 99995\r\n");
  }
}

TEST(LargeFiles, FileOverTwoGibibytes) {
  TempDir dir, index;
  const std::string path = dir.Path("BIG.QBS");
  const int64_t far = (int64_t{1} << 31) + 12345;  // past every 32-bit offset
  WriteFile(path, "big\r\n;first\r\n");
  {
    // A sparse run of zero bytes as the first body, then one more entry.
    int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    const std::string tail = "\r\n;last:far away\r\nthe end\r\n";
    ASSERT_EQ(::pwrite(fd, tail.data(), tail.size(), far), static_cast<ssize_t>(tail.size()));
    ::close(fd);
  }
  for (LoadWay expected : {LoadWay::kScannedIndexed, LoadWay::kReadIndex}) {
    TextBase base(index.path());
    ASSERT_TRUE(base.ListSingleFile(path).ok());
    EXPECT_EQ(base.last_load(), expected);
    ASSERT_EQ(base.entries().size(), 2u);
    EXPECT_EQ(base.entries().MesByte[0], far + 2 - 13);
    EXPECT_EQ(base.entries().StartByte[1], far + 18);
    EXPECT_EQ(base.entries().GCount[1], 4);
    ASSERT_TRUE(base.SelectTitle(0, 1).ok());
    EXPECT_EQ(base.Mes(), "the end\r\n");
  }
}

}  // namespace
}  // namespace qb
