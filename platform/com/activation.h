// Creating objects of registered classes, and the identifiers of classes.
//
// An in-process server is a shared library registered under
// HKEY_CLASSES_ROOT\CLSID\{clsid}\InprocServer32 (unnamed value, REG_SZ, the
// library's path). CoGetClassObject / CoCreateInstance read that path with
// the registry functions of platform/win32.h, load the library with dlopen
// (RTLD_NOW | RTLD_LOCAL), keep one handle per registered path for the rest
// of the process (or until CoFreeUnusedLibraries), and call the library's
// exported
//   extern "C" HRESULT DllGetClassObject(REFCLSID, REFIID, void**);
// Failures come back as codes; nothing is printed and nothing crashes on a
// bad registration:
//   REGDB_E_CLASSNOTREG   no such class key or no path value; or a context
//                         without CLSCTX_INPROC_SERVER
//   REGDB_E_READREGDB     the registry could not be read, or the value is
//                         not a string
//   CO_E_DLLNOTFOUND      the path is empty or names no file
//   CO_E_ERRORINDLL       the file is not a loadable library, or it lacks
//                         DllGetClassObject
//   anything DllGetClassObject or IClassFactory::CreateInstance returns
//   (CLASS_E_CLASSNOTAVAILABLE, E_NOINTERFACE, ...).
// The functions are safe to call from several threads; the library table is
// guarded by a lock that is not held while server code runs. The state
// belongs to the copy of qb_com that the caller linked: a program and each
// library that links qb_com have their own table.
#pragma once

#include "platform/com/unknown.h"

extern "C" {

#define CLSCTX_INPROC_SERVER 0x1
#define CLSCTX_INPROC_HANDLER 0x2
#define CLSCTX_LOCAL_SERVER 0x4
#define CLSCTX_REMOTE_SERVER 0x10
#define CLSCTX_SERVER (CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER)
#define CLSCTX_ALL \
  (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER)

#define COINIT_APARTMENTTHREADED 0x2
#define COINIT_MULTITHREADED 0x0

// Counted per thread and otherwise without effect: the stand-in needs no
// initialisation. S_OK on a thread's first call, S_FALSE on later ones.
// CoCreateInstance works without it.
HRESULT CoInitialize(LPVOID reserved);
HRESULT CoInitializeEx(LPVOID reserved, DWORD flags);
void CoUninitialize();

// The class object (usually IClassFactory) of |clsid|, as requested by
// |riid|. |server_info| must be null.
HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, LPVOID server_info, REFIID riid,
                         LPVOID* object);

// Creates an object of |clsid| and returns its interface |riid| in |*object|
// (null on failure). |outer| is passed to IClassFactory::CreateInstance (our
// servers refuse aggregation with CLASS_E_NOAGGREGATION). E_POINTER for a null
// |object|.
HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID riid,
                         LPVOID* object);

// Unloads (dlclose) every loaded server library whose DllCanUnloadNow
// returns S_OK; a library without that export stays loaded.
void CoFreeUnusedLibraries();

// The class identifier registered for a programmatic identifier
// ("AVOLE.Reg"): HKEY_CLASSES_ROOT\<ProgID>\CLSID, unnamed value. The ProgID
// is matched without regard to letter case. CO_E_CLASSSTRING (and
// CLSID_NULL) when it is not registered or the value is not a braced GUID;
// E_INVALIDARG for null arguments.
HRESULT CLSIDFromProgID(LPCOLESTR prog_id, LPCLSID clsid);

// The ProgID registered for |clsid| (HKEY_CLASSES_ROOT\CLSID\{clsid}\ProgID),
// allocated with CoTaskMemAlloc. REGDB_E_CLASSNOTREG when there is none.
HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* prog_id);

// A braced GUID text, or else a ProgID looked up as CLSIDFromProgID does.
// NOERROR, or CO_E_CLASSSTRING (and CLSID_NULL) when neither works. A null
// |text| gives CLSID_NULL and NOERROR, as on the original.
HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid);

// The braced text form of |clsid|, allocated with CoTaskMemAlloc.
HRESULT StringFromCLSID(REFCLSID clsid, LPOLESTR* text);

// The task allocator (malloc / free).
LPVOID CoTaskMemAlloc(SIZE_T size);
void CoTaskMemFree(LPVOID memory);

}  // extern "C"
