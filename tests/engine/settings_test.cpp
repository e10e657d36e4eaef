#include "engine/settings.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

TEST(SettingsNumbers, LeadingNumberAndRounding) {
  struct Case {
    const char* text;
    double rounded;
  } cases[] = {
      {"6585", 6585}, {" 120", 120}, {"12abc", 12}, {"abc", 0},     {"", 0},
      {"-60", -60},   {"10.5", 10},  {"11.5", 12},  {"2.5", 2},     {"3.5", 4},
      {"9.75", 10},   {"1 2", 12},   {"+7", 7},     {"1.2.3", 1},   {"-", 0},
      {".", 0},       {"--5", 0},    {"0", 0},      {"-0.5", -0.0}, {"1e3", 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RoundHalfEven(LeadingNumber(c.text)), c.rounded) << c.text;
  }
}

TEST(SettingsNumbers, StoredText) {
  EXPECT_EQ(SettingNumberText(6585), "6585");
  EXPECT_EQ(SettingNumberText(-60), "-60");
  EXPECT_EQ(SettingNumberText(9.75), "9.75");
  EXPECT_EQ(SettingNumberText(0), "0");
  EXPECT_EQ(SettingNumberText(10.5), "10.5");
}

}  // namespace
}  // namespace qb
