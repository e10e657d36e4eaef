// Qt widgets as automation objects: the members that the original GUI
// toolkit's forms, list boxes and combo boxes offered to automation clients,
// as far as clients of AVOLE use them. A program (or a test) wraps its
// widgets and passes the objects to AVOLE's System, ListControl and Window
// methods, which reach them only through IDispatch, by member name.
//
//   qb::ComPtr<IDispatch> form = qb::WidgetAutomationObject(&window);
//
// Interfaces. IUnknown and IDispatch always; besides, with the same pointer
// (they are dispatch interfaces), the toolkit's form interface for a window
// (QWidget::isWindow()), the list box interface for a QListWidget and the
// combo box interface for a QComboBox (toolkit.h). Any other widget, such as
// a QLineEdit, offers none of the three. GetTypeInfoCount gives 0: there is
// no type information.
//
// Members (GetIDsOfNames ignores letter case; parameter names are unknown):
//
//   every widget
//     hwnd (1, read)          the native window's id, winId(), as VT_I4 (the
//                             32 bits of the id; Qt gives the widget a native
//                             window when it has none). DISP_E_OVERFLOW when
//                             the id does not fit into 32 bits.
//     Left (2), Top (3),      the geometry in twips (1/1440 inch) as VT_R4,
//     Width (4), Height (5)   read and write. For a window, its outer frame
//                             in screen coordinates (the size includes the
//                             frame, as the toolkit's form had it); for a
//                             child, the widget relative to its parent.
//                             Pixels are twips x the widget's logical DPI /
//                             1440: reading gives the exact value, writing
//                             any number rounds to the nearest pixel.
//                             Writing: DISP_E_OVERFLOW beyond the size Qt
//                             allows (QWIDGETSIZE_MAX pixels), E_INVALIDARG
//                             for a negative Width or Height.
//
//   QListWidget and QComboBox (items counted from 0)
//     ListCount (6, read)     the number of items, VT_I4.
//     ListIndex (7, read)     the current item's index, -1 when none
//                             (QListWidget::currentRow,
//                             QComboBox::currentIndex), VT_I4.
//     List (8, read)          one argument, the index: that item's text,
//                             VT_BSTR.
//     RemoveItem (9, method)  one argument, the index: removes that item.
//     AddItem (10, method)    the text and optionally the index (0 to
//                             ListCount) at which to insert it; without an
//                             index it is appended.
//     An index outside the items is DISP_E_BADINDEX.
//
// Invoke. A property is read with DISPATCH_PROPERTYGET (or DISPATCH_METHOD,
// which late-bound clients combine with it), written with
// DISPATCH_PROPERTYPUT and the value as the one named argument
// DISPID_PROPERTYPUT; a method is called with DISPATCH_METHOD. Otherwise
// DISP_E_MEMBERNOTFOUND, as for a member the widget's kind lacks. Arguments
// are converted as VariantChangeType does (VT_BYREF included; nothing is
// written back): DISP_E_TYPEMISMATCH or DISP_E_OVERFLOW with |*arg_error|
// set; DISP_E_BADPARAMCOUNT for a wrong count; DISP_E_PARAMNOTOPTIONAL for a
// write without the named value, DISP_E_NONAMEDARGS for other named
// arguments. Errors are returned directly, never as DISP_E_EXCEPTION.
//
// Ownership and threads. The object does not own the widget and does not
// keep it alive: once the widget is destroyed every member fails with
// RPC_E_DISCONNECTED. The widget is touched only by the calls, which must be
// made on the GUI thread. The object is reference-counted (atomically) and
// deletes itself when the last reference goes.
#pragma once

#include "platform/com/com_ptr.h"
#include "platform/com/dispatch.h"

class QWidget;

// The object invoked has disconnected from its clients.
#define RPC_E_DISCONNECTED ((HRESULT)0x80010108u)

namespace qb {

// A new automation object for |widget| (not null), holding one reference.
ComPtr<IDispatch> WidgetAutomationObject(QWidget* widget);

}  // namespace qb
