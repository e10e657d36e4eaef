// The user32 stand-in: the four window and screen functions of win32.h, on
// the Qt application of the calling process. Target qb_user32_static links
// them statically; libqb_user32.so exports exactly these four for callers
// that bind "user32" at run time (it links Qt 6 Widgets, so the process's own
// Qt libraries serve both). Nothing is kept between calls.
//
// Where they work. Only on the thread of a QApplication that exists in the
// process. Without one (no Qt at all, or only a QCoreApplication /
// QGuiApplication), or when called from another thread, every function fails
// as the original fails, touching nothing: FALSE / 0, and GetDpiForSystem
// gives 96, the system default.
//
// Window handles. A handle is a widget's winId() (Qt creates the native
// window on the first winId() call). The X11 and offscreen platforms give
// window ids that fit into 32 bits, so a handle survives the trip through
// an automation "long": a handle is found when it equals a widget's winId(),
// or when its low 32 bits do and the rest is the sign extension of bit 31 (a
// 32-bit value widened with its sign). On a platform whose winId() is not
// unique per window, a handle names whichever window Qt finds first.
//
// GetWindowRect(window, rect): the window's rectangle in screen pixels,
//   right and bottom exclusive: the frame of a top-level window (its
//   frameGeometry(), the window manager's frame included where the platform
//   knows it), the widget itself for a child. TRUE on success; FALSE,
//   leaving |*rect| untouched, for an unknown handle or a null |rect|.
//
// SetWindowWord(window, index, new_word): only the owner slot,
//   GWL_HWNDPARENT (-8), of a top-level window is supported: the top-level
//   window named by |new_word| becomes its owner (the transient parent of its
//   QWindow, which the window system keeps above its owner); 0 removes the
//   owner. Returns the previous value of the slot: the low 16 bits of the
//   previous owner's handle, 0 when it had none.
//   The slot holds a word, as on the systems whose handles fit into 16 bits:
//   |new_word| names the one top-level window whose handle's low 16 bits it
//   equals. Returns 0 and changes nothing when no top-level window or more
//   than one matches (an ambiguous word is never guessed), for an unknown or
//   non-top-level |window|, any other |index|, an owner equal to the window
//   itself, and an owner that the window already owns, directly or further
//   up (ownership never forms a cycle).
//
// GetSystemMetrics(index): SM_CXSCREEN (0) and SM_CYSCREEN (1), the width and
//   height of the primary screen in pixels; 0 for any other index.
//
// GetDpiForSystem(): the primary screen's logical dots per inch, rounded to a
//   whole number (96 without a usable application or screen). With it and
//   the screen size a caller has what the original toolkit's screen object
//   reported: the screen in twips (1/1440 inch) and the twips per pixel,
//   1440 / dpi, the same horizontally and vertically.
//
// GetSystemMetrics and GetDpiForSystem are the original platform's functions
// of the same names, added to the stand-in for callers that need the screen.
#pragma once

#include "platform/win32.h"
