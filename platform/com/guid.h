// Globally unique identifiers: class identifiers (CLSID), interface
// identifiers (IID) and library identifiers (LIBID).
//
// The text form is the original's registry form, 38 characters:
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", braces included. Reading accepts
// hexadecimal digits in either letter case; writing produces upper case, as
// the original does. The first three groups are the numbers Data1..Data3
// (written most significant digit first); the last two groups are the eight
// bytes of Data4 in order.
#pragma once

#include <string>
#include <string_view>

#include "platform/com/base.h"

extern "C" {

typedef struct _GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
} GUID;

typedef GUID IID;
typedef GUID CLSID;
typedef GUID* LPGUID;
typedef IID* LPIID;
typedef CLSID* LPCLSID;

}  // extern "C"

typedef const GUID& REFGUID;
typedef const IID& REFIID;
typedef const CLSID& REFCLSID;

inline bool operator==(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i) {
    if (a.Data4[i] != b.Data4[i]) return false;
  }
  return true;
}
inline bool operator!=(const GUID& a, const GUID& b) { return !(a == b); }
inline bool IsEqualGUID(REFGUID a, REFGUID b) { return a == b; }
inline bool IsEqualIID(REFIID a, REFIID b) { return a == b; }
inline bool IsEqualCLSID(REFCLSID a, REFCLSID b) { return a == b; }

inline constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr IID IID_NULL = GUID_NULL;
inline constexpr CLSID CLSID_NULL = GUID_NULL;

// The number of characters of the text form, without its terminating NUL.
inline constexpr int kGuidTextLength = 38;

extern "C" {

// Writes the text form of |guid| with its terminating NUL into |text|, which
// holds |capacity| characters. Returns the number of characters written
// including the NUL (39), or 0 when |text| is null or |capacity| is below 39
// (nothing is written then).
int StringFromGUID2(REFGUID guid, LPOLESTR text, int capacity);

// Reads the text form of an interface identifier. S_OK, or E_INVALIDARG when
// |text| is null or not exactly the braced 38-character form (|*iid| is then
// set to GUID_NULL). E_POINTER when |iid| is null.
HRESULT IIDFromString(LPCOLESTR text, LPIID iid);

// CLSIDFromString, StringFromCLSID, CLSIDFromProgID and ProgIDFromCLSID are
// declared in platform/com/activation.h: they may consult the registry.

}  // extern "C"

namespace qb {

// Reads the braced text form (ASCII) into |*guid|. False, with |*guid|
// untouched, for anything else: missing braces or dashes, a non-hex digit,
// surrounding blanks, a shorter or longer text.
bool ParseGuid(std::string_view text, GUID* guid);
bool ParseGuid(std::u16string_view text, GUID* guid);

// The upper-case braced text form of |guid|, e.g.
// "{00020400-0000-0000-C000-000000000046}".
std::string FormatGuid(const GUID& guid);
std::u16string FormatGuidUtf16(const GUID& guid);

}  // namespace qb
