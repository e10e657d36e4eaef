// The exports of the test server library (libqb_com_test_server.so).
#include "tests/platform/com/sample_class.h"

using qb::com_test::SampleModel;

extern "C" HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
  return qb::ServerGetClassObject(SampleModel(), clsid, riid, object);
}

extern "C" HRESULT DllCanUnloadNow() { return qb::ServerCanUnloadNow(); }

extern "C" HRESULT DllRegisterServer() { return qb::ServerRegister(SampleModel()); }

extern "C" HRESULT DllUnregisterServer() { return qb::ServerUnregister(SampleModel()); }

// Calls a system function through a slot bound on first use, as a server's
// methods do; for the look-up count test.
static qb::BoundFunction<decltype(RegCloseKey)> g_close_key{"advapi32", "RegCloseKey"};

extern "C" LONG QbComTestCloseKey(HKEY key) {
  auto* close_key = g_close_key.get();
  return close_key == nullptr ? -1 : close_key(key);
}
