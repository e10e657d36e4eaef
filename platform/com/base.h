// The scalar types and status codes of the component object model stand-in.
//
// Everything here keeps the original platform's names and values, so that code
// written against the original API reads the same. HRESULT is a signed 32-bit
// status: 0 and positive values are successes (S_OK, S_FALSE), negative values
// (the top bit set) are failures. Texts of the automation layer are UTF-16
// (OLECHAR is char16_t, two bytes as on the original); BSTR is described in
// platform/com/bstr.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win32.h"

extern "C" {

typedef int16_t SHORT;
typedef uint16_t USHORT;
typedef int32_t INT;
typedef uint32_t ULONG;
typedef int64_t LONGLONG;
typedef uint64_t ULONGLONG;
typedef int8_t CHAR;
typedef float FLOAT;
typedef double DOUBLE;
typedef double DATE;
typedef void* PVOID;
typedef void* LPVOID;
typedef size_t SIZE_T;
typedef uintptr_t ULONG_PTR;

typedef int32_t HRESULT;
typedef int32_t SCODE;

typedef char16_t WCHAR;
typedef char16_t OLECHAR;
typedef OLECHAR* LPOLESTR;
typedef const OLECHAR* LPCOLESTR;

// Length-prefixed UTF-16 text; see platform/com/bstr.h.
typedef OLECHAR* BSTR;

// Locale identifier (0x0409 is U.S. English, 0x0411 Japanese).
typedef uint32_t LCID;
// Member identifiers of IDispatch and ITypeInfo.
typedef int32_t DISPID;
typedef DISPID MEMBERID;
// A reference from one type description to another (ITypeInfo::GetRefTypeInfo).
typedef uint32_t HREFTYPE;

}  // extern "C"

// The automation truth value: True is -1 (all bits set), False is 0. It is a
// distinct type of two bytes (the original's `short`), so that a method
// signature using it is recognised as VT_BOOL rather than VT_I2.
enum VARIANT_BOOL : int16_t { VARIANT_FALSE = 0, VARIANT_TRUE = -1 };

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)

// A Win32 error code (ERROR_* of platform/win32.h) as an HRESULT, as the
// original's HRESULT_FROM_WIN32 (0 stays S_OK).
#define HRESULT_FROM_WIN32(x) \
  ((HRESULT)(x) <= 0 ? ((HRESULT)(x)) : ((HRESULT)(((x)&0x0000FFFF) | 0x80070000u)))

#define S_OK ((HRESULT)0)
#define S_FALSE ((HRESULT)1)
#define NOERROR S_OK

#define E_NOTIMPL ((HRESULT)0x80004001u)
#define E_NOINTERFACE ((HRESULT)0x80004002u)
#define E_POINTER ((HRESULT)0x80004003u)
#define E_ABORT ((HRESULT)0x80004004u)
#define E_FAIL ((HRESULT)0x80004005u)
#define E_UNEXPECTED ((HRESULT)0x8000FFFFu)
#define E_ACCESSDENIED ((HRESULT)0x80070005u)
#define E_HANDLE ((HRESULT)0x80070006u)
#define E_OUTOFMEMORY ((HRESULT)0x8007000Eu)
#define E_INVALIDARG ((HRESULT)0x80070057u)

#define CLASS_E_NOAGGREGATION ((HRESULT)0x80040110u)
#define CLASS_E_CLASSNOTAVAILABLE ((HRESULT)0x80040111u)
#define REGDB_E_READREGDB ((HRESULT)0x80040150u)
#define REGDB_E_WRITEREGDB ((HRESULT)0x80040151u)
#define REGDB_E_KEYMISSING ((HRESULT)0x80040152u)
#define REGDB_E_CLASSNOTREG ((HRESULT)0x80040154u)
#define REGDB_E_IIDNOTREG ((HRESULT)0x80040155u)
#define SELFREG_E_TYPELIB ((HRESULT)0x80040200u)
#define SELFREG_E_CLASS ((HRESULT)0x80040201u)
#define CO_E_NOTINITIALIZED ((HRESULT)0x800401F0u)
#define CO_E_CLASSSTRING ((HRESULT)0x800401F3u)
#define CO_E_DLLNOTFOUND ((HRESULT)0x800401F8u)
#define CO_E_ERRORINDLL ((HRESULT)0x800401F9u)

#define DISP_E_UNKNOWNINTERFACE ((HRESULT)0x80020001u)
#define DISP_E_MEMBERNOTFOUND ((HRESULT)0x80020003u)
#define DISP_E_PARAMNOTFOUND ((HRESULT)0x80020004u)
#define DISP_E_TYPEMISMATCH ((HRESULT)0x80020005u)
#define DISP_E_UNKNOWNNAME ((HRESULT)0x80020006u)
#define DISP_E_NONAMEDARGS ((HRESULT)0x80020007u)
#define DISP_E_BADVARTYPE ((HRESULT)0x80020008u)
#define DISP_E_EXCEPTION ((HRESULT)0x80020009u)
#define DISP_E_OVERFLOW ((HRESULT)0x8002000Au)
#define DISP_E_BADINDEX ((HRESULT)0x8002000Bu)
#define DISP_E_UNKNOWNLCID ((HRESULT)0x8002000Cu)
#define DISP_E_BADPARAMCOUNT ((HRESULT)0x8002000Eu)
#define DISP_E_PARAMNOTOPTIONAL ((HRESULT)0x8002000Fu)
#define DISP_E_BADCALLEE ((HRESULT)0x80020010u)

#define TYPE_E_LIBNOTREGISTERED ((HRESULT)0x8002801Du)
#define TYPE_E_ELEMENTNOTFOUND ((HRESULT)0x8002802Bu)
#define TYPE_E_BADMODULEKIND ((HRESULT)0x800288BDu)
#define TYPE_E_CANTLOADLIBRARY ((HRESULT)0x80029C4Au)
