// IDispatch::GetIDsOfNames and IDispatch::Invoke driven by an interface
// description (platform/com/typelib_spec.h). qb::AutomationObject and our
// ITypeInfo::Invoke use these; an object that implements IDispatch by hand
// may call them too.
#pragma once

#include <string_view>

#include "platform/com/typelib_spec.h"

namespace qb {

// names[0] is matched against the members of |spec|, names[1..] against the
// parameters of that member, ignoring letter case. ids[i] receives the
// member's DISPID, then each parameter's position (0 for the first). Unknown
// names get DISPID_UNKNOWN and the result is DISP_E_UNKNOWNNAME (the known
// ones are still filled in). E_INVALIDARG for null arrays or count 0.
HRESULT GetIDsOfNamesBySpec(const InterfaceSpec& spec, LPOLESTR* names, UINT count, DISPID* ids);

// Calls the member |member| of |self| (an interface pointer of the class
// named in the member's DescribeMethod) with IDispatch::Invoke's arguments.
//
// Matching: the member whose DISPID is |member| and whose kind shares a bit
// with |flags| (a method answers DISPATCH_METHOD, a read-only property
// DISPATCH_PROPERTYGET); otherwise DISP_E_MEMBERNOTFOUND (so is every
// DISPATCH_PROPERTYPUT).
//
// Arguments: positional ones (rgvarg in reverse order) fill the parameters
// from the first; named ones (rgdispidNamedArgs = parameter positions) fill
// the rest. Errors, with |*arg_error| set to the index in rgvarg of the
// argument concerned where there is one:
//  - more arguments than parameters, or fewer positional arguments than
//    required parameters when no names are used: DISP_E_BADPARAMCOUNT;
//  - a named position that does not exist or is given twice:
//    DISP_E_PARAMNOTFOUND;
//  - a required parameter left out (or passed as VT_ERROR
//    DISP_E_PARAMNOTFOUND, the "missing" marker): DISP_E_PARAMNOTOPTIONAL;
//  - an argument that does not convert to the parameter's type:
//    DISP_E_TYPEMISMATCH, or DISP_E_OVERFLOW for a number out of range.
// Each argument is converted to the declared type as VariantChangeType does.
// An argument passed by reference (VT_BYREF | type) reaches a by-reference
// parameter of the same type directly, so the method's change lands in the
// caller's variable; for one of another type (VT_BYREF | VT_VARIANT holding
// any value, VT_BYREF | VT_I2 for a VT_I4 parameter...) the method gets a
// converted copy and, after it succeeds, its new value is written back into
// the caller's variable (a VARIANT variable takes the parameter's type; a
// typed variable gets the value converted back, DISP_E_OVERFLOW if it does
// not fit). A by-value argument is never changed.
//
// Result: when the method succeeds and |result| is not null, the [out,
// retval] value is stored in |*result| (which is overwritten, not cleared:
// pass an empty VARIANT); a member without a result leaves VT_EMPTY there.
// When the method returns a failure, nothing is written back, |*exception|
// (if not null) receives scode = that failure and bstrSource = |source|, and
// the result is DISP_E_EXCEPTION.
HRESULT InvokeBySpec(const InterfaceSpec& spec, IUnknown* self, DISPID member, WORD flags,
                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception, UINT* arg_error,
                     std::u16string_view source);

}  // namespace qb
