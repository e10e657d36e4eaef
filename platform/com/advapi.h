// The registry functions as qb_com calls them (internal): through
// libqb_advapi32.so, bound on first use (loader.h), as the original's
// component library calls advapi32.dll.
//
// qb_com does not link the registry statically: a server library that
// carried its own copy of the registry would hold registry state that dies
// with the library when CoFreeUnusedLibraries unloads it. The stand-in
// library instead stays loaded for the life of the process, and every module
// of the process shares it. When it cannot be bound, every call fails with
// ERROR_CANTOPEN.
#pragma once

#include "platform/win32.h"

namespace qb::com_internal {

LONG AdvapiOpenKey(HKEY key, LPCSTR sub_key, PHKEY result);
LONG AdvapiCreateKey(HKEY key, LPCSTR sub_key, PHKEY result);
LONG AdvapiQueryValue(HKEY key, LPCSTR value_name, LPDWORD type, LPBYTE data, LPDWORD data_size);
LONG AdvapiSetValue(HKEY key, LPCSTR value_name, DWORD type, LPCBYTE data, DWORD data_size);
LONG AdvapiDeleteKey(HKEY key, LPCSTR sub_key);
LONG AdvapiCloseKey(HKEY key);

}  // namespace qb::com_internal
