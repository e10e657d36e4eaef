#include "engine/layout.h"

#include <algorithm>

namespace qb {
namespace {

// |value| / |divisor| rounded to the nearest whole number, an exact half to
// the even neighbour; |value| >= 0, |divisor| > 0.
int32_t DivideHalfEven(int32_t value, int32_t divisor) {
  int32_t q = value / divisor;
  int32_t twice_rest = 2 * (value % divisor);
  if (twice_rest > divisor || (twice_rest == divisor && q % 2 != 0)) ++q;
  return q;
}

}  // namespace

TwipSize ApplyMinimumSize(TwipSize size) {
  if (size.height < kMinWindowHeight) size.height = kMinWindowHeight;
  if (size.width < kMinWindowWidth) size.width = kMinWindowWidth;
  return size;
}

int32_t PaneHeight(int32_t window_height) { return window_height - kVerticalAllowance; }

int32_t ClampBarTop(int32_t bar_top, int32_t pane_height) {
  return std::max(kGapAboveBar, std::min(bar_top, pane_height - kMesOffset));
}

Layout ComputeLayout(TwipSize window, int32_t main_panel_left, int32_t bar_top) {
  window = ApplyMinimumSize(window);
  const int32_t w = window.width;
  const int32_t pane_height = PaneHeight(window.height);
  Layout l;

  const int32_t caption_width = DivideHalfEven(w, kCaptionCount);
  for (int i = 0; i < kCaptionCount; ++i) {
    l.captions[i] = {i * (caption_width + kCaptionGap), 0, caption_width, kCaptionHeight};
  }
  // The strip follows the window, so it always backs all six captions.
  l.caption_strip = {0, 0, std::max(w, l.captions.back().right()), kCaptionStripHeight};

  l.dir_panel = {0, kPaneTop, kDirPanelWidth, pane_height};
  l.drive = {0, pane_height - kDirHeight - kDriveHeight, kDirPanelWidth, kDriveHeight};
  l.dir = {0, l.drive.bottom() + kDriveDirGap, kDirPanelWidth, kDirHeight};
  l.file_list = {0, 0, kDirPanelWidth, pane_height - (kDriveHeight + kDirHeight) - kGapAboveDrive};

  l.main_panel = {main_panel_left, kPaneTop, w - main_panel_left, pane_height};
  const int32_t top = ClampBarTop(bar_top, pane_height);
  l.bar = {-w, top, 3 * w, kBarHeight};
  l.title = {0, 0, l.main_panel.width - kRightMargin - kTagListWidth, top - kGapAboveBar};
  l.tag_list = {l.title.right(), 0, kTagListWidth, top - kGapAboveBar};
  l.mes = {0, top + kMesOffset, l.main_panel.width - kRightMargin,
           pane_height - (top + kMesOffset)};
  return l;
}

TwipSize WindowSizeForClient(TwipSize client) {
  return {client.width + kClassicFrameWidth, client.height + kClassicFrameHeight};
}

TwipSize ClientSizeForWindow(TwipSize window) {
  return {window.width - kClassicFrameWidth, window.height - kClassicFrameHeight};
}

}  // namespace qb
