#include "engine/date_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace qb {
namespace {

class DateTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "Asia/Tokyo", 1);
    tzset();
  }
  void TearDown() override {
    unsetenv("TZ");
    tzset();
  }
};

TEST_F(DateTextTest, FormatsTheGeneralDateInLocalTime) {
  // 2026-12-10 19:09:48 UTC is 2026-12-11 04:09:48 in Tokyo.
  const int64_t t = 1796929788;
  EXPECT_EQ(FormatGeneralDate(t), "2026/12/11 4:09:48");
  EXPECT_EQ(DateStamp(t), 20261211040948);
  // Exactly midnight: the date alone.
  EXPECT_EQ(FormatGeneralDate(1796914800), "2026/12/11");
}

TEST_F(DateTextTest, ParsesWhatItFormatsAndNothingElse) {
  for (int64_t t : {int64_t{0}, int64_t{1796929788}, int64_t{1796914800}, int64_t{951782400}}) {
    EXPECT_EQ(ParseGeneralDate(FormatGeneralDate(t)), DateStamp(t)) << t;
  }
  for (const char* bad : {"", "garbage", "2026/12/11 4:09", "2026/13/01", "2026/02/30",
                          "2026/12/11 24:00:00", "2026/12/11 4:09:48 ", "26/12/11"}) {
    EXPECT_FALSE(ParseGeneralDate(bad).has_value()) << bad;
  }
}

}  // namespace
}  // namespace qb
