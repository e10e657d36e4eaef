// VARIANT: the tagged value of automation, and its conversions.
//
// A VARIANT holds its type code in |vt| and the value in the union member
// that the type names (VT_I4 -> lVal, VT_BSTR -> bstrVal, ...). With VT_BYREF
// added to a type, the union holds a pointer to a variable of that type owned
// by somebody else (VT_BYREF | VT_BSTR -> pbstrVal, VT_BYREF | VT_VARIANT ->
// pvarVal); that is how IDispatch::Invoke passes arguments by reference.
//
// Ownership: a VARIANT owns its BSTR and holds one reference on its
// IUnknown/IDispatch pointer; VariantClear frees them. A VT_BYREF VARIANT owns
// nothing. Every function below that writes a destination clears it first, so
// the destination must be initialised (VariantInit) or hold a valid value.
// Arrays (VT_ARRAY, SAFEARRAY) and VT_DECIMAL are not supported by this
// stand-in: functions meeting them return DISP_E_BADVARTYPE.
#pragma once

#include "platform/com/base.h"
#include "platform/com/bstr.h"

class IUnknown;
class IDispatch;
struct SAFEARRAY;  // declared for the layout only; never created here

extern "C" {

typedef uint16_t VARTYPE;

enum VARENUM {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_CY = 6,
  VT_DATE = 7,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_DECIMAL = 14,
  VT_I1 = 16,
  VT_UI1 = 17,
  VT_UI2 = 18,
  VT_UI4 = 19,
  VT_I8 = 20,
  VT_UI8 = 21,
  VT_INT = 22,
  VT_UINT = 23,
  VT_VOID = 24,
  VT_HRESULT = 25,
  VT_PTR = 26,
  VT_SAFEARRAY = 27,
  VT_CARRAY = 28,
  VT_USERDEFINED = 29,
  VT_LPSTR = 30,
  VT_LPWSTR = 31,
  VT_ARRAY = 0x2000,
  VT_BYREF = 0x4000,
  VT_TYPEMASK = 0x0FFF,
};

// Currency: a 64-bit integer scaled by 10000.
typedef struct tagCY {
  LONGLONG int64;
} CY;

typedef struct tagVARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    LONGLONG llVal;              // VT_I8
    LONG lVal;                   // VT_I4
    BYTE bVal;                   // VT_UI1
    SHORT iVal;                  // VT_I2
    FLOAT fltVal;                // VT_R4
    DOUBLE dblVal;               // VT_R8
    VARIANT_BOOL boolVal;        // VT_BOOL
    SCODE scode;                 // VT_ERROR
    CY cyVal;                    // VT_CY
    DATE date;                   // VT_DATE
    BSTR bstrVal;                // VT_BSTR
    IUnknown* punkVal;           // VT_UNKNOWN
    IDispatch* pdispVal;         // VT_DISPATCH
    SAFEARRAY* parray;           // VT_ARRAY | *
    BYTE* pbVal;                 // VT_BYREF | VT_UI1
    SHORT* piVal;                // VT_BYREF | VT_I2
    LONG* plVal;                 // VT_BYREF | VT_I4
    LONGLONG* pllVal;            // VT_BYREF | VT_I8
    FLOAT* pfltVal;              // VT_BYREF | VT_R4
    DOUBLE* pdblVal;             // VT_BYREF | VT_R8
    VARIANT_BOOL* pboolVal;      // VT_BYREF | VT_BOOL
    SCODE* pscode;               // VT_BYREF | VT_ERROR
    CY* pcyVal;                  // VT_BYREF | VT_CY
    DATE* pdate;                 // VT_BYREF | VT_DATE
    BSTR* pbstrVal;              // VT_BYREF | VT_BSTR
    IUnknown** ppunkVal;         // VT_BYREF | VT_UNKNOWN
    IDispatch** ppdispVal;       // VT_BYREF | VT_DISPATCH
    struct tagVARIANT* pvarVal;  // VT_BYREF | VT_VARIANT
    PVOID byref;                 // any VT_BYREF
    CHAR cVal;                   // VT_I1
    USHORT uiVal;                // VT_UI2
    ULONG ulVal;                 // VT_UI4
    ULONGLONG ullVal;            // VT_UI8
    INT intVal;                  // VT_INT
    UINT uintVal;                // VT_UINT
    CHAR* pcVal;                 // VT_BYREF | VT_I1
    USHORT* puiVal;              // VT_BYREF | VT_UI2
    ULONG* pulVal;               // VT_BYREF | VT_UI4
    ULONGLONG* pullVal;          // VT_BYREF | VT_UI8
    INT* pintVal;                // VT_BYREF | VT_INT
    UINT* puintVal;              // VT_BYREF | VT_UINT
  };
} VARIANT;
typedef VARIANT VARIANTARG;
typedef VARIANT* LPVARIANT;
typedef VARIANT* LPVARIANTARG;

// Flags of VariantChangeType.
#define VARIANT_NOVALUEPROP 0x01
#define VARIANT_ALPHABOOL 0x02
#define VARIANT_NOUSEROVERRIDE 0x04
#define VARIANT_LOCALBOOL 0x10

// Sets vt to VT_EMPTY (and the reserved words to 0). The value is not looked
// at: use it on uninitialised memory.
void VariantInit(VARIANTARG* variant);

// Frees what |variant| owns (SysFreeString of a BSTR, Release of an object
// pointer; nothing for VT_BYREF) and sets it to VT_EMPTY. DISP_E_BADVARTYPE,
// leaving it untouched, for an unknown or unsupported type.
HRESULT VariantClear(VARIANTARG* variant);

// Clears |dest| and makes it a copy of |source|: a BSTR is copied (with its
// exact length), an object pointer gets a new reference, a VT_BYREF pointer is
// copied as is. Nothing happens when both are the same VARIANT.
HRESULT VariantCopy(VARIANTARG* dest, const VARIANTARG* source);

// As VariantCopy, but a VT_BYREF source is copied as the value it points to.
HRESULT VariantCopyInd(VARIANT* dest, const VARIANTARG* source);

// Converts |source| (possibly VT_BYREF, possibly the same VARIANT as |dest|)
// to type |vt| and stores the result in |dest|, which is cleared first. On
// failure |dest| is left untouched. Supported types: VT_EMPTY, VT_NULL, VT_I1,
// VT_I2, VT_I4, VT_I8, VT_UI1, VT_UI2, VT_UI4, VT_UI8, VT_INT, VT_UINT,
// VT_R4, VT_R8, VT_DATE (as its number), VT_CY, VT_BOOL, VT_BSTR, VT_ERROR
// (to itself only), VT_DISPATCH and VT_UNKNOWN.
//
// Rules, as the original's:
//  - numbers to numbers: doubles round to the nearest integer, halves to the
//    even neighbour (2.5 -> 2, 3.5 -> 4); a value outside the target's range
//    is DISP_E_OVERFLOW;
//  - numbers to text: integers in plain decimal; VT_R8 and VT_DATE with up to
//    15 significant digits, VT_R4 with up to 7, in exponent form ("1E+15",
//    "1.5E-07") when the exponent is below -4 or not below the digit count;
//    the decimal separator is always "." (independent of the C locale);
//  - text to numbers: blanks around the number, one leading sign, digits with
//    an optional "." fraction and "E"/"e" exponent, or "&H"/"&O" followed by
//    hexadecimal/octal digits; anything else (the empty text included) is
//    DISP_E_TYPEMISMATCH; a number outside the target's range is
//    DISP_E_OVERFLOW;
//  - VT_BOOL: any non-zero number is VARIANT_TRUE; True becomes -1 and False
//    0 as numbers; to text "-1" / "0", or "True" / "False" when |flags| holds
//    VARIANT_ALPHABOOL or VARIANT_LOCALBOOL; from text "True" / "False" (any
//    letter case) or a number;
//  - VT_EMPTY converts to 0, "" and False; any value converts to VT_EMPTY;
//    VT_NULL converts only to VT_NULL and VT_EMPTY (else DISP_E_TYPEMISMATCH);
//  - an object (VT_DISPATCH) converts to a plain value through its default
//    member (DISPID_VALUE, property get) unless VARIANT_NOVALUEPROP is given;
//    VT_UNKNOWN and VT_DISPATCH convert to each other by QueryInterface.
// DISP_E_BADVARTYPE for a type outside that list; E_INVALIDARG for null
// pointers.
HRESULT VariantChangeType(VARIANTARG* dest, const VARIANTARG* source, USHORT flags, VARTYPE vt);
HRESULT VariantChangeTypeEx(VARIANTARG* dest, const VARIANTARG* source, LCID lcid, USHORT flags,
                            VARTYPE vt);

}  // extern "C"

namespace qb {

// True for the integer types: VT_I1, VT_I2, VT_I4, VT_I8, their VT_UI
// counterparts, VT_INT and VT_UINT.
bool IsIntegerType(VARTYPE vt);

}  // namespace qb
