// The Window class: making one window the owner of another.
#include "avole/avole.h"
#include "avole/classes.h"
#include "avole/late_binding.h"
#include "avole/system_calls.h"
#include "avole/type_library.h"
#include "platform/com/automation_object.h"

namespace avole {
namespace {

class WindowObject final : public qb::AutomationObject<_Window> {
 public:
  WindowObject() : AutomationObject(Model(), IID__Window) {}

  HRESULT SetWord(IDispatch** AcF, LONG* WhWnd) override {
    if (!AcF || !WhWnd) return E_POINTER;
    auto* set_word = g_SetWindowWord.get();
    if (!set_word) return kBindFailure;
    VARIANT handle;
    VariantInit(&handle);
    HRESULT hr = GetMember(*AcF, u"hwnd", {}, VT_I4, &handle);
    if (FAILED(hr)) return hr;
    // The owner slot takes a 16-bit word: the low 16 bits of |WhWnd|. Whether
    // the change took effect is not reported.
    set_word(static_cast<HWND>(handle.lVal), GWL_HWNDPARENT, static_cast<WORD>(*WhWnd));
    return S_OK;
  }
};

}  // namespace

const CreateFunction CreateWindow = &qb::CreateAutomationObject<WindowObject>;

}  // namespace avole
