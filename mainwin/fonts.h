// The fonts of the main window's views.
//
// The views ask for the face "ＭＳ ゴシック" by name, as designed; Linux has
// no such font, so the installed Japanese monospace faces stand in for it
// (Noto Sans Mono CJK JP, then IPA Gothic), through Qt's font substitution.
// The Shift-JIS character set of the design has no counterpart: the views
// draw Unicode text decoded from code page 932.
#pragma once

#include <QFont>

#include "dialogs/dialog_units.h"

namespace qb {

// The face the views ask for, and that face at a size: the dialogs' own, so
// that one name gets the substitutes installed below.
using dialogs::GothicFont;
using dialogs::kGothicFace;

// The design sizes, in points.
inline constexpr double kViewFontPoints = 9;
inline constexpr double kDriveDirFontPoints = 11.25;

// Registers the substitutes for kGothicFace. Safe to call more than once;
// needs a QGuiApplication.
void InstallFontSubstitutes();

}  // namespace qb
