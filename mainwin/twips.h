// Twips (1/1440 inch) and a widget's pixels: pixels = twips x logical DPI /
// 1440, rounded to the nearest pixel (15 twips a pixel at 96 DPI).
#pragma once

#include <QPaintDevice>
#include <QRect>
#include <cmath>
#include <cstdint>

#include "engine/layout.h"

namespace qb {

inline int TwipsToPixels(int64_t twips, int dpi) {
  return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / 1440.0));
}

inline int32_t PixelsToTwips(int64_t pixels, int dpi) {
  return static_cast<int32_t>(std::lround(static_cast<double>(pixels) * 1440.0 / dpi));
}

// The pixel rectangle of |r| on |device|. Edges are converted, not sizes, so
// rectangles that touch in twips touch in pixels.
inline QRect TwipsToPixels(const TwipRect& r, const QPaintDevice& device) {
  const int x = device.logicalDpiX(), y = device.logicalDpiY();
  const int left = TwipsToPixels(r.left, x), top = TwipsToPixels(r.top, y);
  return QRect(left, top, TwipsToPixels(int64_t{r.left} + r.width, x) - left,
               TwipsToPixels(int64_t{r.top} + r.height, y) - top);
}

}  // namespace qb
