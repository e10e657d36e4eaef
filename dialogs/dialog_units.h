// What the two dialogs share: positions given in twips and the design's
// Japanese monospace face, which the main window's views use too
// (mainwin/fonts.h).
#pragma once

#include <QFont>
#include <QRect>
#include <QWidget>
#include <cmath>

namespace qb::dialogs {

// The face the design asks for; the program installs Qt substitutes for it
// (Noto Sans Mono CJK JP, IPA Gothic), since Linux has no font by that name.
inline constexpr const char* kGothicFace = "ＭＳ ゴシック";

// Twips (1/1440 inch) to pixels at |dpi| dots per inch, to the nearest pixel.
inline int Pixels(int twips, int dpi) {
  return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

// Places |w| at the rectangle left, top, width, height given in twips of
// its parent's DPI. Edges are converted, not sizes, so controls that touch
// in twips touch in pixels.
inline void PlaceTwips(QWidget* w, int left, int top, int width, int height) {
  const int x = w->logicalDpiX(), y = w->logicalDpiY();
  const int l = Pixels(left, x), t = Pixels(top, y);
  w->setGeometry(l, t, Pixels(left + width, x) - l, Pixels(top + height, y) - t);
}

// kGothicFace at |points|, falling back to a fixed-pitch face.
inline QFont GothicFont(double points, bool bold = false, bool italic = false) {
  QFont font(QString::fromUtf8(kGothicFace));
  font.setStyleHint(QFont::TypeWriter);
  font.setPointSizeF(points);
  font.setBold(bold);
  font.setItalic(italic);
  return font;
}

}  // namespace qb::dialogs
