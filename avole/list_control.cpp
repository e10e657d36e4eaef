// The ListControl class: whether a list still lacks an item, and moving the
// selected item of a list one place up or down. The list is reached through
// its members by name; counts and indexes are 16-bit integers, and one that
// does not fit fails the call with DISP_E_OVERFLOW.
#include <cstdint>

#include "avole/avole.h"
#include "avole/classes.h"
#include "avole/late_binding.h"
#include "avole/type_library.h"
#include "platform/com/automation_object.h"
#include "platform/com/com_ptr.h"
#include "platform/qtbridge/toolkit.h"

namespace avole {
namespace {

// Whether |object| is one of the toolkit's list boxes or combo boxes.
bool IsListOrCombo(IDispatch* object) {
  if (object == nullptr) return false;
  for (const IID* iid : {&qb::toolkit::IID_ListBox, &qb::toolkit::IID_ComboBox}) {
    qb::ComPtr<IUnknown> as;
    if (SUCCEEDED(object->QueryInterface(*iid, as.out_void()))) return true;
  }
  return false;
}

HRESULT GetShort(IDispatch* list, const char16_t* name, SHORT* value) {
  VARIANT v;
  VariantInit(&v);
  HRESULT hr = GetMember(list, name, {}, VT_I2, &v);
  if (SUCCEEDED(hr)) *value = v.iVal;
  return hr;
}

// "ListCount" and "ListIndex": how many items, and which is selected.
HRESULT GetCountAndIndex(IDispatch* list, SHORT* count, SHORT* index) {
  HRESULT hr = GetShort(list, u"ListCount", count);
  if (SUCCEEDED(hr)) hr = GetShort(list, u"ListIndex", index);
  return hr;
}

// "List"(index): the item's text.
HRESULT GetItem(IDispatch* list, SHORT index, qb::Bstr* text) {
  VARIANT v;
  VariantInit(&v);
  HRESULT hr = GetMember(list, u"List", {ShortValue(index)}, VT_BSTR, &v);
  if (SUCCEEDED(hr)) *text = qb::Bstr::Adopt(v.bstrVal);
  return hr;
}

// A count or index computed from 16-bit ones, which must fit again.
HRESULT ToShort(int32_t value, SHORT* out) {
  if (value < INT16_MIN || value > INT16_MAX) return DISP_E_OVERFLOW;
  *out = static_cast<SHORT>(value);
  return S_OK;
}

// Swaps the items at |at| and |other|: the text at |other| is taken out and
// put back at |at|.
HRESULT MoveNeighbour(IDispatch* list, SHORT other, SHORT at) {
  qb::Bstr text;
  HRESULT hr = GetItem(list, other, &text);
  if (SUCCEEDED(hr)) hr = CallMember(list, u"RemoveItem", {ShortValue(other)});
  if (SUCCEEDED(hr)) hr = CallMember(list, u"AddItem", {TextValue(text.get()), ShortValue(at)});
  return hr;
}

class ListControlObject final : public qb::AutomationObject<_ListControl> {
 public:
  ListControlObject() : AutomationObject(Model(), IID__ListControl) {}

  HRESULT CheckList(IDispatch** Ac, BSTR* Item, VARIANT_BOOL* result) override {
    if (!Ac || !Item || !result) return E_POINTER;
    *result = VARIANT_FALSE;
    // Anything but a list box or a combo box: False, without a member read.
    if (!IsListOrCombo(*Ac)) return S_OK;
    SHORT count = 0;
    HRESULT hr = GetShort(*Ac, u"ListCount", &count);
    if (FAILED(hr)) return hr;
    for (SHORT i = 0; i < count; ++i) {
      qb::Bstr text;
      hr = GetItem(*Ac, i, &text);
      if (FAILED(hr)) return hr;
      // Exact comparison, letter case included.
      if (text.view() == qb::BstrView(*Item)) return S_OK;
    }
    *result = VARIANT_TRUE;
    return S_OK;
  }

  HRESULT ItemUp(IDispatch** Ac) override {
    if (!Ac) return E_POINTER;
    SHORT count = 0, index = 0;
    HRESULT hr = GetCountAndIndex(*Ac, &count, &index);
    if (FAILED(hr)) return hr;
    // Nothing there, nothing selected, or already the first item.
    if (count == 0 || index == -1 || index == 0) return S_OK;
    SHORT above = 0;
    hr = ToShort(index - 1, &above);
    if (FAILED(hr)) return hr;
    return MoveNeighbour(*Ac, above, index);
  }

  HRESULT ItemDown(IDispatch** Ac) override {
    if (!Ac) return E_POINTER;
    SHORT count = 0, index = 0;
    HRESULT hr = GetCountAndIndex(*Ac, &count, &index);
    if (FAILED(hr)) return hr;
    // Already the last item (an empty list has index -1 = count - 1), or
    // nothing selected.
    if (index == count - 1 || index == -1) return S_OK;
    SHORT below = 0;
    hr = ToShort(index + 1, &below);
    if (FAILED(hr)) return hr;
    return MoveNeighbour(*Ac, below, index);
  }
};

}  // namespace

const CreateFunction CreateListControl = &qb::CreateAutomationObject<ListControlObject>;

}  // namespace avole
