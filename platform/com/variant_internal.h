// Helpers shared by the VARIANT functions (internal to qb_com).
#pragma once

#include "platform/com/variant.h"

namespace qb::com_internal {

// A type that a VARIANT may hold by value in this stand-in.
bool IsPlainType(VARTYPE vt);

// A type VariantClear / VariantCopy accept: a plain type, or VT_BYREF with a
// plain type (other than EMPTY/NULL) or VT_VARIANT.
bool IsSupportedType(VARTYPE vt);

// A non-owning view of the value |source| holds or, for VT_BYREF, points at.
// False for a null reference or one that leads to an unsupported type.
bool Dereference(const VARIANT* source, VARIANT* view);

}  // namespace qb::com_internal
