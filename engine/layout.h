// The main window's layout in twips (1/1440 inch), as a pure function of the
// window's size, the left edge of the right pane and the splitter position.
//
// The window is a strip of six pane captions along the top, the left pane
// `DirPanel` (file list `FileList` above the drive list `DriveC` and the
// directory list `DirC`) and the right pane `MainPanel` (the title lists
// `Title`(0)/`Title`(1) and the tag list `TagList` above the splitter bar
// `CBar`, the body view `Mes` below it). `MainPanel` lies above `DirPanel`:
// with its left edge at 0 it covers the left pane.
//
// Window size: the window's outer size as the classic frame gave it, which
// is what the settings store keeps. That frame took kClassicFrameWidth twips
// across (two borders) and kClassicFrameHeight twips down (title bar,
// borders and menu bar), so the client area under the menu bar is the
// window size less those; the panes start kPaneTop below its top and reach
// its bottom. A window with another frame converts with WindowSizeForClient
// and ClientSizeForWindow and so fills its own client area the same way.
//
// Every rectangle is relative to its container: the captions to the caption
// strip; the strip and the panes to the client area; `FileList`, `DriveC`,
// `DirC` to `DirPanel`; the title lists, `TagList`, `CBar` and `Mes` to
// `MainPanel`. Nothing here fails; sizes never come out negative for a
// window at least the minimum size (ComputeLayout raises a smaller one).
#pragma once

#include <array>
#include <cstdint>

namespace qb {

inline constexpr int32_t kMinWindowWidth = 7695;
inline constexpr int32_t kMinWindowHeight = 6585;

inline constexpr int kCaptionCount = 6;
inline constexpr int32_t kCaptionGap = 1;
inline constexpr int32_t kCaptionHeight = 225;
inline constexpr int32_t kCaptionStripHeight = 255;

inline constexpr int32_t kPaneTop = 360;
// Pane height = window height - kVerticalAllowance.
inline constexpr int32_t kVerticalAllowance = 1050;
inline constexpr int32_t kClassicFrameWidth = 120;
inline constexpr int32_t kClassicFrameHeight = kVerticalAllowance - kPaneTop;

inline constexpr int32_t kDirPanelWidth = 2415;
// `MainPanel`'s left edge beside the left pane; the other one is 0.
inline constexpr int32_t kMainPanelLeft = 2520;
inline constexpr int32_t kDriveHeight = 345;
inline constexpr int32_t kDirHeight = 1560;
inline constexpr int32_t kGapAboveDrive = 100;
inline constexpr int32_t kDriveDirGap = 1;

inline constexpr int32_t kTagListWidth = 1335;
inline constexpr int32_t kRightMargin = 120;
inline constexpr int32_t kBarHeight = 105;
// List height = splitter position - kGapAboveBar.
inline constexpr int32_t kGapAboveBar = 30;
// Top of `Mes` = splitter position + kMesOffset.
inline constexpr int32_t kMesOffset = 130;

// The splitter position a first start uses.
inline constexpr int32_t kDefaultBarTop = 2040;

struct TwipSize {
  int32_t width = 0;
  int32_t height = 0;
  bool operator==(const TwipSize&) const = default;
};

struct TwipRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
  int32_t right() const { return left + width; }
  int32_t bottom() const { return top + height; }
  bool operator==(const TwipRect&) const = default;
};

struct Layout {
  TwipRect caption_strip;
  std::array<TwipRect, kCaptionCount> captions;  // `ContF`(0..5)
  TwipRect dir_panel;
  TwipRect file_list;
  TwipRect drive;  // `DriveC`
  TwipRect dir;    // `DirC`
  TwipRect main_panel;
  TwipRect title;  // `Title`(0) and `Title`(1): the same rectangle
  TwipRect tag_list;
  TwipRect bar;  // `CBar`
  TwipRect mes;
  bool operator==(const Layout&) const = default;
};

// The minimum window size: a height below the minimum is raised first, then
// a width below the minimum, so a size too small both ways ends at exactly
// the minimum.
TwipSize ApplyMinimumSize(TwipSize size);

// The height of both panes for a window of |window_height|.
int32_t PaneHeight(int32_t window_height);

// The splitter position as it is laid out in panes |pane_height| high: the
// position asked for, moved into the range in which the lists (position -
// kGapAboveBar) and the body view (pane height - position - kMesOffset) are
// never negative. The lists' bound wins when the pane is too low for both.
int32_t ClampBarTop(int32_t bar_top, int32_t pane_height);

// The whole layout for a window of |window| (raised to the minimum size
// first), `MainPanel` at |main_panel_left| (kMainPanelLeft or 0) and the
// splitter asked for at |bar_top| (laid out at ClampBarTop of it).
Layout ComputeLayout(TwipSize window, int32_t main_panel_left, int32_t bar_top);

// The window size of a window whose client area under the menu bar is
// |client|, and back.
TwipSize WindowSizeForClient(TwipSize client);
TwipSize ClientSizeForWindow(TwipSize window);

}  // namespace qb
