#include "platform/user32/qt_application.h"

#include <QApplication>
#include <QThread>
#include <QWidget>
#include <cstdint>

namespace qb::user32 {

bool CanUseWidgets() {
  // qobject_cast, not the static type: a QCoreApplication or a
  // QGuiApplication has no widgets to offer.
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  return app != nullptr && QThread::currentThread() == app->thread();
}

QWidget* WidgetOfHandle(HWND window) {
  if (window == 0) return nullptr;
  if (QWidget* widget = QWidget::find(static_cast<WId>(window))) return widget;
  // A 32-bit handle with bit 31 set arrives sign-extended; the window id it
  // stands for is the same 32 bits without the extension.
  const auto low = static_cast<uint32_t>(static_cast<uintptr_t>(window));
  if (static_cast<intptr_t>(static_cast<int32_t>(low)) != window) return nullptr;
  return QWidget::find(static_cast<WId>(low));
}

}  // namespace qb::user32
