// IDispatch: late binding by member name and DISPID.
//
// A client asks GetIDsOfNames for the DISPID of a member (and of its
// parameters, for named arguments), then calls Invoke with that DISPID, the
// kind of call (DISPATCH_METHOD, DISPATCH_PROPERTYGET, ...) and the
// arguments. The arguments in DISPPARAMS are in reverse order: rgvarg[0] is
// the last argument. Named arguments come first in rgvarg, their parameter
// positions (as GetIDsOfNames returned them) in rgdispidNamedArgs. An argument
// passed by reference is a VT_BYREF VARIANT pointing at the caller's
// variable; the callee writes its new value there.
#pragma once

#include "platform/com/unknown.h"
#include "platform/com/variant.h"

class ITypeInfo;

// {00020400-0000-0000-C000-000000000046}
inline constexpr IID IID_IDispatch = {
    0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

extern "C" {

// Kinds of Invoke calls; they may be combined (DISPATCH_METHOD |
// DISPATCH_PROPERTYGET when the client cannot tell which the member is).
#define DISPATCH_METHOD 0x1
#define DISPATCH_PROPERTYGET 0x2
#define DISPATCH_PROPERTYPUT 0x4
#define DISPATCH_PROPERTYPUTREF 0x8

#define DISPID_UNKNOWN ((DISPID)-1)
#define DISPID_VALUE ((DISPID)0)
#define DISPID_PROPERTYPUT ((DISPID)-3)
#define DISPID_NEWENUM ((DISPID)-4)
#define DISPID_EVALUATE ((DISPID)-5)
#define DISPID_CONSTRUCTOR ((DISPID)-6)
#define DISPID_DESTRUCTOR ((DISPID)-7)
#define MEMBERID_NIL DISPID_UNKNOWN

#define LOCALE_SYSTEM_DEFAULT ((LCID)0x0800)
#define LOCALE_USER_DEFAULT ((LCID)0x0400)
#define LOCALE_NEUTRAL ((LCID)0x0000)

typedef struct tagDISPPARAMS {
  VARIANTARG* rgvarg;         // the arguments, last one first
  DISPID* rgdispidNamedArgs;  // positions of the first cNamedArgs arguments
  UINT cArgs;
  UINT cNamedArgs;
} DISPPARAMS;

// What Invoke reports when it returns DISP_E_EXCEPTION: |scode| is the
// failure the member reported. The caller frees the three BSTRs.
typedef struct tagEXCEPINFO {
  WORD wCode;
  WORD wReserved;
  BSTR bstrSource;
  BSTR bstrDescription;
  BSTR bstrHelpFile;
  DWORD dwHelpContext;
  PVOID pvReserved;
  HRESULT (*pfnDeferredFillIn)(struct tagEXCEPINFO*);
  SCODE scode;
} EXCEPINFO;
typedef EXCEPINFO* LPEXCEPINFO;

}  // extern "C"

class IDispatch : public IUnknown {
 public:
  // 1 when type information is available (always, for our objects), else 0.
  virtual HRESULT GetTypeInfoCount(UINT* count) = 0;
  // The type description of this object's interface (index 0 only;
  // DISP_E_BADINDEX otherwise).
  virtual HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** type_info) = 0;
  // names[0] is a member name, names[1..] names of its parameters; the ids
  // come back in |ids|. Unknown names get DISPID_UNKNOWN and the call returns
  // DISP_E_UNKNOWNNAME. |riid| must be IID_NULL.
  virtual HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                DISPID* ids) = 0;
  // Calls member |member|. See the file comment for the arguments; the
  // result (if any, and if |result| is not null) is stored into |*result|.
  // When an argument is at fault, |*arg_error| (if not null) receives its
  // index in rgvarg.
  virtual HRESULT Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                         VARIANT* result, EXCEPINFO* exception, UINT* arg_error) = 0;

 protected:
  ~IDispatch() = default;
};
typedef IDispatch* LPDISPATCH;
