// GetWindowRect and SetWindowWord on Qt widgets.
#include <QApplication>
#include <QWidget>
#include <QWindow>

#include "platform/user32/export.h"
#include "platform/user32/qt_application.h"
#include "platform/user32/user32.h"

namespace qb::user32 {
namespace {

// The top-level widgets with a native window whose id's low 16 bits are
// |word|: the windows a 16-bit handle can name.
QList<QWidget*> WindowsNamedBy(WORD word) {
  QList<QWidget*> found;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    const WId id = widget->internalWinId();
    if (id != 0 && static_cast<WORD>(id) == word && widget->windowHandle() != nullptr) {
      found.append(widget);
    }
  }
  return found;
}

// Whether |window| is |owner| or owns it, directly or further up.
bool OwnsOrIs(const QWindow* window, const QWindow* owner) {
  for (const QWindow* w = owner; w != nullptr; w = w->transientParent()) {
    if (w == window) return true;
  }
  return false;
}

}  // namespace
}  // namespace qb::user32

using qb::user32::CanUseWidgets;
using qb::user32::WidgetOfHandle;

extern "C" QB_USER32_EXPORT BOOL GetWindowRect(HWND window, LPRECT rect) {
  if (rect == nullptr || !CanUseWidgets()) return FALSE;
  QWidget* widget = WidgetOfHandle(window);
  if (widget == nullptr) return FALSE;
  const QRect r = widget->isWindow() ? widget->frameGeometry()
                                     : QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
  rect->left = r.left();
  rect->top = r.top();
  rect->right = r.left() + r.width();
  rect->bottom = r.top() + r.height();
  return TRUE;
}

extern "C" QB_USER32_EXPORT WORD SetWindowWord(HWND window, int index, WORD new_word) {
  if (index != GWL_HWNDPARENT || !CanUseWidgets()) return 0;
  QWidget* widget = WidgetOfHandle(window);
  if (widget == nullptr || !widget->isWindow() || widget->windowHandle() == nullptr) return 0;
  QWindow* owned = widget->windowHandle();
  QWindow* owner = nullptr;
  if (new_word != 0) {
    const QList<QWidget*> named = qb::user32::WindowsNamedBy(new_word);
    if (named.size() != 1) return 0;
    owner = named.front()->windowHandle();
    if (qb::user32::OwnsOrIs(owned, owner)) return 0;
  }
  const QWindow* previous = owned->transientParent();
  const WORD previous_word = previous != nullptr ? static_cast<WORD>(previous->winId()) : 0;
  owned->setTransientParent(owner);
  return previous_word;
}
