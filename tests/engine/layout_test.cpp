#include "engine/layout.h"

#include <gtest/gtest.h>

#include <ostream>

namespace qb {

void PrintTo(const TwipRect& r, std::ostream* os) {
  *os << "{" << r.left << ", " << r.top << ", " << r.width << ", " << r.height << "}";
}

namespace {

TEST(LayoutTest, MinimumSizeWithTheLeftPaneShown) {
  Layout l = ComputeLayout({7695, 6585}, kMainPanelLeft, 2040);
  // 7695 / 6 = 1282.5 rounds to the even 1282.
  const int32_t caption_lefts[] = {0, 1283, 2566, 3849, 5132, 6415};
  for (int i = 0; i < kCaptionCount; ++i) {
    EXPECT_EQ(l.captions[i], (TwipRect{caption_lefts[i], 0, 1282, 225})) << i;
  }
  EXPECT_EQ(l.dir_panel, (TwipRect{0, 360, 2415, 5535}));
  EXPECT_EQ(l.main_panel, (TwipRect{2520, 360, 5175, 5535}));
  EXPECT_EQ(l.title, (TwipRect{0, 0, 3720, 2010}));
  EXPECT_EQ(l.tag_list, (TwipRect{3720, 0, 1335, 2010}));
  EXPECT_EQ(l.bar, (TwipRect{-7695, 2040, 3 * 7695, 105}));
  EXPECT_EQ(l.mes, (TwipRect{0, 2170, 5055, 3365}));
  EXPECT_EQ(l.drive, (TwipRect{0, 3630, 2415, 345}));
  EXPECT_EQ(l.dir, (TwipRect{0, 3976, 2415, 1560}));
  EXPECT_EQ(l.file_list, (TwipRect{0, 0, 2415, 3530}));
  // The tag list's right edge lines up with the body view's, 120 from the
  // pane's; the panes reach the bottom of the window's client area.
  EXPECT_EQ(l.tag_list.right(), l.mes.right());
  EXPECT_EQ(l.main_panel.width - l.mes.right(), 120);
  EXPECT_EQ(l.mes.bottom(), l.main_panel.height);
  EXPECT_EQ(kPaneTop + l.main_panel.height, ClientSizeForWindow({7695, 6585}).height);
}

TEST(LayoutTest, CaptionWidthsRoundHalfToEven) {
  struct Case {
    int32_t width;
    int32_t caption;
  } cases[] = {{7695, 1282}, {7701, 1284}, {7700, 1283}, {7698, 1283}, {7697, 1283}, {9015, 1502}};
  for (const Case& c : cases) {
    Layout l = ComputeLayout({c.width, 6585}, kMainPanelLeft, 2040);
    EXPECT_EQ(l.captions[0].width, c.caption) << c.width;
    EXPECT_EQ(l.captions[5].left, 5 * (c.caption + 1)) << c.width;
    EXPECT_GE(l.caption_strip.right(), l.captions[5].right());
  }
}

TEST(LayoutTest, RightPaneOverTheWholeWidth) {
  Layout l = ComputeLayout({12000, 9000}, 0, 2040);
  EXPECT_EQ(l.main_panel, (TwipRect{0, 360, 12000, 7950}));
  EXPECT_EQ(l.title.width, 12000 - 120 - 1335);
  EXPECT_EQ(l.mes.width, 12000 - 120);
  EXPECT_EQ(l.captions[1].left, 2001);  // unaffected by the pane
  EXPECT_EQ(l.bar, (TwipRect{-12000, 2040, 36000, 105}));
  // The left pane stays in place behind it.
  EXPECT_EQ(l.dir_panel, (TwipRect{0, 360, 2415, 7950}));
}

TEST(LayoutTest, MinimumSizeCorrectsHeightThenWidth) {
  EXPECT_EQ(ApplyMinimumSize({7695, 100}), (TwipSize{7695, 6585}));
  EXPECT_EQ(ApplyMinimumSize({100, 6585}), (TwipSize{7695, 6585}));
  EXPECT_EQ(ApplyMinimumSize({-60, -60}), (TwipSize{7695, 6585}));
  EXPECT_EQ(ApplyMinimumSize({9000, 7000}), (TwipSize{9000, 7000}));
  // A window below the minimum is laid out at the minimum.
  EXPECT_EQ(ComputeLayout({10, 10}, kMainPanelLeft, 2040), ComputeLayout({7695, 6585}, 2520, 2040));
}

TEST(LayoutTest, SplitterIsHeldWhereNoHeightIsNegative) {
  const int32_t pane = 5535;
  struct Case {
    int32_t asked;
    int32_t laid_out;
  } cases[] = {{1500, 1500}, {30, 30},     {29, 30},     {0, 30},
               {-5000, 30},  {5405, 5405}, {5406, 5405}, {100000, 5405}};
  for (const Case& c : cases) {
    EXPECT_EQ(ClampBarTop(c.asked, pane), c.laid_out) << c.asked;
    Layout l = ComputeLayout({7695, 6585}, kMainPanelLeft, c.asked);
    EXPECT_EQ(l.bar.top, c.laid_out);
    EXPECT_GE(l.title.height, 0);
    EXPECT_GE(l.tag_list.height, 0);
    EXPECT_GE(l.mes.height, 0);
    EXPECT_EQ(l.tag_list.height, l.title.height);
  }
  // Dropped at 1500: lists 1470 high, body view from 1630.
  Layout l = ComputeLayout({7695, 6585}, kMainPanelLeft, 1500);
  EXPECT_EQ(l.title.height, 1470);
  EXPECT_EQ(l.mes.top, 1630);
}

TEST(LayoutTest, ClientSizeRoundTrips) {
  EXPECT_EQ(ClientSizeForWindow({7695, 6585}), (TwipSize{7575, 5895}));
  EXPECT_EQ(WindowSizeForClient(ClientSizeForWindow({9000, 8000})), (TwipSize{9000, 8000}));
}

}  // namespace
}  // namespace qb
