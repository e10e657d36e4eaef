// A small dual class described with the type library model, used by the
// tests both in process and inside the test server library.
#pragma once

#include "platform/com/com.h"

namespace qb::com_test {

// {6B1D3F40-2C5A-4E7B-9A10-3F2E4D5C6B01}
inline constexpr GUID kLibId = {
    0x6B1D3F40, 0x2C5A, 0x4E7B, {0x9A, 0x10, 0x3F, 0x2E, 0x4D, 0x5C, 0x6B, 0x01}};
// {6B1D3F41-2C5A-4E7B-9A10-3F2E4D5C6B01}
inline constexpr IID kIidSample = {
    0x6B1D3F41, 0x2C5A, 0x4E7B, {0x9A, 0x10, 0x3F, 0x2E, 0x4D, 0x5C, 0x6B, 0x01}};
// {6B1D3F42-2C5A-4E7B-9A10-3F2E4D5C6B01}
inline constexpr CLSID kClsidSample = {
    0x6B1D3F42, 0x2C5A, 0x4E7B, {0x9A, 0x10, 0x3F, 0x2E, 0x4D, 0x5C, 0x6B, 0x01}};

inline constexpr DISPID kDispidRepeat = 0x60030000;
inline constexpr DISPID kDispidSwap = 0x60030004;
inline constexpr DISPID kDispidCalls = 0x68030008;
inline constexpr DISPID kDispidDescribe = 0x6003000C;

// The dual interface _Sample.
class _Sample : public IDispatch {
 public:
  // The result is |*Text| repeated |*Count| times; |*Count| becomes the
  // number of characters of the result. E_INVALIDARG for a negative count.
  virtual HRESULT Repeat(LONG* Count, BSTR* Text, BSTR* result) = 0;
  // Exchanges the two texts; the result is True.
  virtual HRESULT Swap(BSTR* First, BSTR* Second, VARIANT_BOOL* result) = 0;
  // Read-only property: successful method calls made on this object.
  virtual HRESULT get_Calls(LONG* result) = 0;
  // The text of |*Value| ("missing" when it was left out: it is optional);
  // |*Value| then becomes the text "seen".
  virtual HRESULT Describe(VARIANT* Value, BSTR* result) = 0;

 protected:
  ~_Sample() = default;
};

// The library QbComTest: _Sample, then the coclass Sample.
const TypeLibModel& SampleModel();

}  // namespace qb::com_test
