// Calls on objects that a client passes in (forms, list boxes, windows),
// made as a late-bound client makes them: the member is found by name
// through IDispatch::GetIDsOfNames, then called through Invoke. Arguments
// are passed by value, in call order. Whatever the object reports is handed
// back as the call's failure: the result of GetIDsOfNames for a member the
// object lacks (DISP_E_UNKNOWNNAME), the scode of its EXCEPINFO when it
// raised an error (DISP_E_EXCEPTION), any other failure of Invoke as it is.
#pragma once

#include <initializer_list>

#include "platform/com/dispatch.h"

namespace avole {

// Reads property |name| (with |args|, e.g. the index of an indexed
// property), converted to |vt|, into |*value| (which must be empty, and is
// left empty on failure). A number out of |vt|'s range is DISP_E_OVERFLOW.
HRESULT GetMember(IDispatch* object, const char16_t* name, std::initializer_list<VARIANT> args,
                  VARTYPE vt, VARIANT* value);

// Writes property |name|.
HRESULT PutMember(IDispatch* object, const char16_t* name, const VARIANT& value);

// Calls method |name|; its result, if any, is discarded.
HRESULT CallMember(IDispatch* object, const char16_t* name, std::initializer_list<VARIANT> args);

// Argument values. A text argument borrows |text|, which must outlive the
// call.
VARIANT ShortValue(SHORT value);
VARIANT SingleValue(FLOAT value);
VARIANT TextValue(BSTR text);

}  // namespace avole
