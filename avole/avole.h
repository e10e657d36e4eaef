// AVOLE's automation interfaces and identifiers: what a client that calls the
// library through its method tables needs (the library's type library,
// written as C++). Quillbox includes this header and nothing else of AVOLE;
// it creates objects through CoCreateInstance and never links the library.
//
// Every parameter is passed by reference ([in, out]); a method with a result
// returns it through its last pointer ([out, retval]); every method returns
// an HRESULT. Texts are BSTRs, which the caller allocates and frees (a
// method may replace a BSTR passed to it, freeing the old one); truth values
// are VARIANT_BOOL (True -1, False 0); "long" is 32 bits.
#pragma once

#include <cstdint>

#include "platform/com/dispatch.h"
#include "platform/com/guid.h"
#include "platform/com/variant.h"

namespace avole {

// {98FCF992-F5E7-11CF-9A73-444553540000}, version 1.0
inline constexpr GUID LIBID_AVOLE = {
    0x98FCF992, 0xF5E7, 0x11CF, {0x9A, 0x73, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

inline constexpr GUID AvoleGuid(uint32_t first) {
  return {first, 0xF5E7, 0x11CF, {0x9A, 0x73, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
}

inline constexpr IID IID__Reg = AvoleGuid(0x98FCF988);
inline constexpr CLSID CLSID_Reg = AvoleGuid(0x98FCF989);
inline constexpr IID IID__Ini = AvoleGuid(0x98FCF98A);
inline constexpr CLSID CLSID_Ini = AvoleGuid(0x98FCF98B);
inline constexpr IID IID__System = AvoleGuid(0x98FCF98C);
inline constexpr CLSID CLSID_System = AvoleGuid(0x98FCF98D);
inline constexpr IID IID__ListControl = AvoleGuid(0x98FCF98E);
inline constexpr CLSID CLSID_ListControl = AvoleGuid(0x98FCF98F);
inline constexpr IID IID__Window = AvoleGuid(0x98FCF990);
inline constexpr CLSID CLSID_Window = AvoleGuid(0x98FCF991);

// Registry values: `Node` is an open key, as a rule a root such as
// HKEY_CURRENT_USER (0x80000001); `Section` a key path below it; `Key` a
// value name (for DelSection a subkey name).
class _Reg : public IDispatch {
 public:
  virtual HRESULT Getting(LONG* Node, BSTR* Section, BSTR* Key, BSTR* result) = 0;
  virtual HRESULT Saving(LONG* Node, BSTR* Section, BSTR* Key, BSTR* Chr, VARIANT_BOOL* result) = 0;
  virtual HRESULT DelKey(LONG* Node, BSTR* Section, BSTR* Key, VARIANT_BOOL* result) = 0;
  virtual HRESULT DelSection(LONG* Node, BSTR* Section, VARIANT* Key, VARIANT_BOOL* result) = 0;

 protected:
  ~_Reg() = default;
};

// INI files.
class _Ini : public IDispatch {
 public:
  virtual HRESULT Saving(BSTR* Section, BSTR* Key, BSTR* Dat, BSTR* Filename,
                         VARIANT_BOOL* result) = 0;
  virtual HRESULT Getting(BSTR* Section, BSTR* Key, BSTR* Filename, BSTR* result) = 0;

 protected:
  ~_Ini() = default;
};

// The Windows directory and form placement.
class _System : public IDispatch {
 public:
  virtual HRESULT get_WindowsPath(BSTR* result) = 0;
  virtual HRESULT FormPoint(IDispatch** AForm, SHORT* Mode, LONG* S_hWnd) = 0;

 protected:
  ~_System() = default;
};

// List boxes and combo boxes.
class _ListControl : public IDispatch {
 public:
  virtual HRESULT CheckList(IDispatch** Ac, BSTR* Item, VARIANT_BOOL* result) = 0;
  virtual HRESULT ItemUp(IDispatch** Ac) = 0;
  virtual HRESULT ItemDown(IDispatch** Ac) = 0;

 protected:
  ~_ListControl() = default;
};

// Window ownership.
class _Window : public IDispatch {
 public:
  virtual HRESULT SetWord(IDispatch** AcF, LONG* WhWnd) = 0;

 protected:
  ~_Window() = default;
};

}  // namespace avole
