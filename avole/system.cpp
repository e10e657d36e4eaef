// The System class: the Windows directory, and placing a form at one of nine
// positions of the screen or of another window.
#include <cmath>
#include <cstdint>

#include "avole/avole.h"
#include "avole/classes.h"
#include "avole/late_binding.h"
#include "avole/system_calls.h"
#include "avole/type_library.h"
#include "platform/com/automation_object.h"
#include "platform/com/com_ptr.h"
#include "platform/qtbridge/toolkit.h"

namespace avole {
namespace {

constexpr UINT kDefaultDpi = 96;

// What FormPoint reads of the original toolkit's screen object: its size in
// twips and its twips per pixel (1440 / dots per inch), all single
// precision, as that object gave them.
struct Screen {
  FLOAT width = 0;
  FLOAT height = 0;
  FLOAT twips_per_pixel_x = 0;
  FLOAT twips_per_pixel_y = 0;
};

HRESULT ReadScreen(Screen* screen) {
  auto* metrics = g_GetSystemMetrics.get();
  auto* dpi_of = g_GetDpiForSystem.get();
  if (!metrics || !dpi_of) return kBindFailure;
  UINT dpi = dpi_of();
  if (dpi == 0) dpi = kDefaultDpi;
  const FLOAT twips_per_pixel = 1440.0f / static_cast<FLOAT>(dpi);
  screen->twips_per_pixel_x = twips_per_pixel;
  screen->twips_per_pixel_y = twips_per_pixel;
  screen->width = static_cast<FLOAT>(metrics(SM_CXSCREEN)) * twips_per_pixel;
  screen->height = static_cast<FLOAT>(metrics(SM_CYSCREEN)) * twips_per_pixel;
  return S_OK;
}

// To the nearest 32-bit integer, halves to the even neighbour (the current
// rounding mode is the default, to nearest), as automation converts.
HRESULT ToLong(double value, LONG* out) {
  const double rounded = std::nearbyint(value);
  if (!(rounded >= INT32_MIN && rounded <= INT32_MAX)) return DISP_E_OVERFLOW;
  *out = static_cast<LONG>(rounded);
  return S_OK;
}

// The rectangle to place a form in, in twips: the screen when |window| is
// 0, else the window's rectangle. The window's rectangle is not checked: an
// unknown window leaves the local rectangle at zero.
HRESULT ReferenceRectangle(LONG window, RECT* rect) {
  Screen screen;
  HRESULT hr = ReadScreen(&screen);
  if (FAILED(hr)) return hr;
  if (window == 0) {
    *rect = {0, 0, 0, 0};
    hr = ToLong(screen.width, &rect->right);
    if (SUCCEEDED(hr)) hr = ToLong(screen.height, &rect->bottom);
    return hr;
  }
  auto* get_rect = g_GetWindowRect.get();
  if (!get_rect) return kBindFailure;
  RECT pixels = {0, 0, 0, 0};
  // The 32-bit handle is widened with its sign, as handles are.
  get_rect(static_cast<HWND>(window), &pixels);
  hr = ToLong(pixels.left * static_cast<double>(screen.twips_per_pixel_x), &rect->left);
  if (SUCCEEDED(hr)) {
    hr = ToLong(pixels.top * static_cast<double>(screen.twips_per_pixel_y), &rect->top);
  }
  if (SUCCEEDED(hr)) {
    hr = ToLong(pixels.right * static_cast<double>(screen.twips_per_pixel_x), &rect->right);
  }
  if (SUCCEEDED(hr)) {
    hr = ToLong(pixels.bottom * static_cast<double>(screen.twips_per_pixel_y), &rect->bottom);
  }
  return hr;
}

// Sets the form's |edge| ("Top" or "Left") so that its extent |size|
// ("Height" or "Width") lies at |where| between |low| and |high|: 0 on the
// low edge, 1 centred, 2 on the high edge. The extent is read just before it
// is needed. The arithmetic is the original's: the span as a 32-bit integer
// halved in double precision, the extent halved in single precision, the
// result stored as a single-precision value without rounding to whole twips.
HRESULT Place(IDispatch* form, const char16_t* edge, const char16_t* size, LONG low, LONG high,
              int where) {
  double value = low;
  if (where != 0) {
    VARIANT extent;
    VariantInit(&extent);
    HRESULT hr = GetMember(form, size, {}, VT_R4, &extent);
    if (FAILED(hr)) return hr;
    const FLOAT form_size = extent.fltVal;
    if (where == 1) {
      const int64_t span = int64_t{high} - low;
      if (span < INT32_MIN || span > INT32_MAX) return DISP_E_OVERFLOW;
      value = low + static_cast<double>(span) / 2.0 - static_cast<double>(form_size / 2.0f);
    } else {
      value = high - static_cast<double>(form_size);
    }
  }
  return PutMember(form, edge, SingleValue(static_cast<FLOAT>(value)));
}

class SystemObject final : public qb::AutomationObject<_System> {
 public:
  SystemObject() : AutomationObject(Model(), IID__System) {}

  HRESULT get_WindowsPath(BSTR* result) override {
    if (!result) return E_POINTER;
    *result = qb::AllocBstr(WindowsDirectory());
    return *result ? S_OK : E_OUTOFMEMORY;
  }

  HRESULT FormPoint(IDispatch** AForm, SHORT* Mode, LONG* S_hWnd) override {
    if (!AForm || !Mode || !S_hWnd) return E_POINTER;
    if (*AForm == nullptr) return E_POINTER;
    qb::ComPtr<IDispatch> form;
    HRESULT hr = (*AForm)->QueryInterface(qb::toolkit::IID_Form, form.out_void());
    if (FAILED(hr)) return hr;
    RECT rect;
    hr = ReferenceRectangle(*S_hWnd, &rect);
    if (FAILED(hr)) return hr;
    // Mode = 3 x column + row; any other value places nothing.
    if (*Mode < 0 || *Mode > 8) return S_OK;
    const int column = *Mode / 3, row = *Mode % 3;
    hr = Place(form.get(), u"Top", u"Height", rect.top, rect.bottom, row);
    if (FAILED(hr)) return hr;
    return Place(form.get(), u"Left", u"Width", rect.left, rect.right, column);
  }
};

}  // namespace

const CreateFunction CreateSystem = &qb::CreateAutomationObject<SystemObject>;

}  // namespace avole
