// What an in-process server library needs to implement its four exports.
//
// A server library links qb_com statically; each module (shared library or
// program) thus has its own copy of the state below. A server built on a
// TypeLibModel writes its exports as:
//
//   extern "C" HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid,
//                                        void** object) {
//     return qb::ServerGetClassObject(Model(), clsid, riid, object);
//   }
//   extern "C" HRESULT DllCanUnloadNow() { return qb::ServerCanUnloadNow(); }
//   extern "C" HRESULT DllRegisterServer() {
//     return qb::ServerRegister(Model());
//   }
//   extern "C" HRESULT DllUnregisterServer() {
//     return qb::ServerUnregister(Model());
//   }
//
// Registry entries (all under HKEY_CLASSES_ROOT, every value REG_SZ with its
// text in code page 932, "(default)" meaning the key's unnamed value):
//   CLSID\{clsid}                   (default) = class name
//   CLSID\{clsid}\InprocServer32    (default) = library path,
//                                   ThreadingModel = "Apartment"
//   CLSID\{clsid}\ProgID            (default) = ProgID
//   CLSID\{clsid}\TypeLib           (default) = {libid}
//   <ProgID>                        (default) = class name
//   <ProgID>\CLSID                  (default) = {clsid}
//   TypeLib\{libid}\<maj>.<min>     (default) = library help string
//                                   (versions in hexadecimal digits: "1.0")
//   TypeLib\{libid}\<maj>.<min>\<lcid>\win32  (default) = library path
//                                   (<lcid> in lower-case hexadecimal, "0"
//                                   for the neutral locale, "409" for 0x0409)
//   TypeLib\{libid}\<maj>.<min>\FLAGS    (default) = library flags, decimal
//   TypeLib\{libid}\<maj>.<min>\HELPDIR  (default) = the library's directory
//   Interface\{iid}                 (default) = interface name
//   Interface\{iid}\ProxyStubClsid32  (default) = {00020424-...} (automation)
//   Interface\{iid}\TypeLib         (default) = {libid}, Version = "<maj>.<min>"
// Unregistration deletes exactly these keys, deepest first (a key that still
// has subkeys cannot be deleted), and leaves TypeLib\{libid} and the shared
// parents (CLSID, Interface, TypeLib) alone when other entries remain in them.
#pragma once

#include <string>
#include <string_view>

#include "platform/com/typelib_model.h"
#include "platform/com/unknown.h"

namespace qb {

// The count of live objects and server locks of this module. Objects made
// by qb_com (automation objects, class factories, type infos) lock the module
// while they live; IClassFactory::LockServer(TRUE) adds a lock.
void ModuleLock();
void ModuleUnlock();
long ModuleLockCount();

// DllGetClassObject: a class factory for a coclass of |model| that has a
// create function. CLASS_E_CLASSNOTAVAILABLE for any other CLSID; E_POINTER
// for a null |object|; E_NOINTERFACE unless |riid| is IID_IClassFactory or
// IID_IUnknown.
HRESULT ServerGetClassObject(const TypeLibModel& model, REFCLSID clsid, REFIID riid, void** object);

// DllCanUnloadNow: S_OK when ModuleLockCount() is 0, else S_FALSE.
HRESULT ServerCanUnloadNow();

// The absolute path of the module (shared library or program) that holds this
// copy of qb_com; empty if the system cannot tell.
std::string ThisModulePath();

// DllRegisterServer: writes the entries listed above for the type library,
// its interfaces and its creatable coclasses, with |library_path| (by
// default ThisModulePath()) as the in-process server. S_OK; SELFREG_E_CLASS
// or SELFREG_E_TYPELIB when a registry call fails (what was written so far
// stays).
HRESULT ServerRegister(const TypeLibModel& model);
HRESULT ServerRegister(const TypeLibModel& model, std::string_view library_path);

// DllUnregisterServer: removes those entries. Entries that are already gone
// are no error. S_OK, or SELFREG_E_CLASS / SELFREG_E_TYPELIB when a key could
// not be deleted for another reason.
HRESULT ServerUnregister(const TypeLibModel& model);

// The pieces, for a server that registers things one by one.
HRESULT RegisterCoclass(const TypeLibModel& model, const CoclassSpec& coclass,
                        std::string_view library_path);
HRESULT UnregisterCoclass(const TypeLibModel& model, const CoclassSpec& coclass);
HRESULT RegisterTypeLibrary(const TypeLibModel& model, std::string_view library_path);
HRESULT UnregisterTypeLibrary(const TypeLibModel& model);

// A class factory whose CreateInstance calls |create| (CLASS_E_NOAGGREGATION
// when an outer object is given). One reference for the caller; null when
// memory runs out.
IClassFactory* NewClassFactory(HRESULT (*create)(REFIID riid, void** object));

}  // namespace qb
