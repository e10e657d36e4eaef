// GetSystemMetrics and GetDpiForSystem: the primary screen.
#include <QGuiApplication>
#include <QScreen>
#include <cmath>

#include "platform/user32/export.h"
#include "platform/user32/qt_application.h"
#include "platform/user32/user32.h"

namespace {

constexpr UINT kDefaultDpi = 96;

QScreen* PrimaryScreen() {
  return qb::user32::CanUseWidgets() ? QGuiApplication::primaryScreen() : nullptr;
}

}  // namespace

extern "C" QB_USER32_EXPORT int GetSystemMetrics(int index) {
  QScreen* screen = PrimaryScreen();
  if (screen == nullptr) return 0;
  switch (index) {
    case SM_CXSCREEN:
      return screen->geometry().width();
    case SM_CYSCREEN:
      return screen->geometry().height();
    default:
      return 0;
  }
}

extern "C" QB_USER32_EXPORT UINT GetDpiForSystem(void) {
  QScreen* screen = PrimaryScreen();
  if (screen == nullptr) return kDefaultDpi;
  const double dpi = std::round(screen->logicalDotsPerInch());
  return dpi >= 1 ? static_cast<UINT>(dpi) : kDefaultDpi;
}
