// How the user32 functions reach the process's Qt widgets (internal).
#pragma once

#include "platform/win32.h"

class QWidget;

namespace qb::user32 {

// True when the process has a QApplication and the caller is on its thread:
// only then may widgets and screens be touched.
bool CanUseWidgets();

// The widget whose native window is |window| (see user32.h for how a
// sign-extended 32-bit handle is matched), or null. Call only when
// CanUseWidgets().
QWidget* WidgetOfHandle(HWND window);

}  // namespace qb::user32
