// The four exports of the library, handed to the component framework with
// the library's class table and type library.
#include "avole/system_calls.h"
#include "avole/type_library.h"
#include "platform/com/server.h"

#define AVOLE_EXPORT extern "C" __attribute__((visibility("default")))

AVOLE_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
  avole::StartUp();
  return qb::ServerGetClassObject(avole::Model(), clsid, riid, object);
}

AVOLE_EXPORT HRESULT DllCanUnloadNow() { return qb::ServerCanUnloadNow(); }

AVOLE_EXPORT HRESULT DllRegisterServer() { return qb::ServerRegister(avole::Model()); }

AVOLE_EXPORT HRESULT DllUnregisterServer() { return qb::ServerUnregister(avole::Model()); }
