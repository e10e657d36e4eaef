// Registration of a server library and activation through the registry,
// with the real registry store and the real test server library.
#include <dlfcn.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <string>

#include "engine/cp932.h"
#include "tests/platform/com/sample_class.h"
#include "tests/platform/com/temp_registry.h"

namespace qb::com_test {
namespace {

std::string RealPath(const char* path) {
  char* resolved = realpath(path, nullptr);
  std::string result = resolved == nullptr ? std::string() : std::string(resolved);
  std::free(resolved);
  return result;
}

const std::string& ServerPath() {
  static const std::string path = RealPath(QB_TEST_SERVER);
  return path;
}

// The unnamed (or |name|) REG_SZ value of HKEY_CLASSES_ROOT\|path|, or
// "<missing>".
std::string ReadText(const std::string& path, const char* name = "") {
  HKEY key = 0;
  if (RegOpenKeyA(HKEY_CLASSES_ROOT, path.c_str(), &key) != ERROR_SUCCESS) return "<missing>";
  char buffer[1024];
  DWORD size = sizeof(buffer);
  DWORD type = 0;
  LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS || type != REG_SZ || size == 0) return "<missing>";
  return std::string(buffer, size - 1);
}

bool KeyExists(const std::string& path) {
  HKEY key = 0;
  if (RegOpenKeyA(HKEY_CLASSES_ROOT, path.c_str(), &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// Registers |clsid| by hand with |library| as its server.
void RegisterByHand(const CLSID& clsid, const std::string& library) {
  HKEY key = 0;
  std::string path = "CLSID\\" + FormatGuid(clsid) + "\\InprocServer32";
  ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, path.c_str(), &key), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(library.c_str()),
                           static_cast<DWORD>(library.size() + 1)),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

// Whether the process has the library at |path| loaded.
bool IsLoaded(const std::string& path) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle == nullptr) return false;
  dlclose(handle);
  return true;
}

std::u16string Repeat(IDispatch* object, const char16_t* name, LONG count, const char16_t* text) {
  const char16_t* names[] = {name};
  DISPID id = 0;
  EXPECT_EQ(object->GetIDsOfNames(IID_NULL, const_cast<LPOLESTR*>(names), 1, 0, &id), S_OK);
  VARIANT args[2];
  VariantInit(&args[0]);
  args[0].vt = VT_BSTR;
  args[0].bstrVal = SysAllocString(text);
  VariantInit(&args[1]);
  args[1].vt = VT_I4;
  args[1].lVal = count;
  DISPPARAMS params = {args, nullptr, 2, 0};
  VARIANT out;
  VariantInit(&out);
  EXPECT_EQ(object->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, &out, nullptr, nullptr),
            S_OK);
  std::u16string result(BstrView(out.bstrVal));
  VariantClear(&out);
  VariantClear(&args[0]);
  return result;
}

class ActivationTest : public TempRegistryTest {};

TEST_F(ActivationTest, SelfRegistrationWritesAndRemovesTheEntries) {
  ASSERT_FALSE(ServerPath().empty());
  void* server = dlopen(ServerPath().c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(server, nullptr) << dlerror();
  auto reg = reinterpret_cast<HRESULT (*)()>(dlsym(server, "DllRegisterServer"));
  auto unreg = reinterpret_cast<HRESULT (*)()>(dlsym(server, "DllUnregisterServer"));
  ASSERT_NE(reg, nullptr);
  ASSERT_NE(unreg, nullptr);
  ASSERT_EQ(reg(), S_OK);

  const std::string clsid = "CLSID\\" + FormatGuid(kClsidSample);
  const std::string libid = FormatGuid(kLibId);
  const std::string typelib = "TypeLib\\" + libid + "\\1.0";
  const std::string itf = "Interface\\" + FormatGuid(kIidSample);
  EXPECT_EQ(ReadText(clsid), "Sample");
  EXPECT_EQ(ReadText(clsid + "\\InprocServer32"), ServerPath());
  EXPECT_EQ(ReadText(clsid + "\\InprocServer32", "ThreadingModel"), "Apartment");
  EXPECT_EQ(ReadText(clsid + "\\ProgID"), "QbComTest.Sample");
  EXPECT_EQ(ReadText(clsid + "\\TypeLib"), libid);
  EXPECT_EQ(ReadText("QbComTest.Sample"), "Sample");
  EXPECT_EQ(ReadText("QbComTest.Sample\\CLSID"), FormatGuid(kClsidSample));
  EXPECT_EQ(ReadText(typelib), EncodeCp932("Test server ﾃｽﾄ"));
  EXPECT_EQ(ReadText(typelib + "\\409\\win32"), ServerPath());
  EXPECT_EQ(ReadText(typelib + "\\FLAGS"), "0");
  EXPECT_EQ(ReadText(typelib + "\\HELPDIR"), ServerPath().substr(0, ServerPath().rfind('/')));
  EXPECT_EQ(ReadText(itf), "_Sample");
  EXPECT_EQ(ReadText(itf + "\\ProxyStubClsid32"), "{00020424-0000-0000-C000-000000000046}");
  EXPECT_EQ(ReadText(itf + "\\TypeLib"), libid);
  EXPECT_EQ(ReadText(itf + "\\TypeLib", "Version"), "1.0");

  // Something else of the user's under the shared parents stays.
  RegisterByHand(kLibId, "/elsewhere/other.so");
  ASSERT_EQ(unreg(), S_OK);
  for (const std::string& gone :
       {clsid, std::string("QbComTest.Sample"), "TypeLib\\" + libid, itf}) {
    EXPECT_FALSE(KeyExists(gone)) << gone;
  }
  EXPECT_EQ(ReadText("CLSID\\" + libid + "\\InprocServer32"), "/elsewhere/other.so");
  EXPECT_EQ(unreg(), S_OK) << "unregistering twice is no error";
  dlclose(server);
}

TEST_F(ActivationTest, CreatesByClsidAndByProgId) {
  ASSERT_EQ(ServerRegister(SampleModel(), ServerPath()), S_OK);

  ComPtr<IDispatch> object;
  ASSERT_EQ(CoCreateInstance(kClsidSample, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                             object.out_void()),
            S_OK);
  EXPECT_EQ(Repeat(object.get(), u"rEPEAT", 3, u"ab"), u"ababab");

  // Early binding through the method table of the object from the library.
  ComPtr<_Sample> sample;
  ASSERT_EQ(object.As(kIidSample, &sample), S_OK);
  LONG count = 2;
  Bstr text(u"xyz");
  Bstr result;
  ASSERT_EQ(sample->Repeat(&count, text.inout(), result.out()), S_OK);
  EXPECT_EQ(result.view(), u"xyzxyz");
  EXPECT_EQ(count, 6);

  CLSID clsid;
  ASSERT_EQ(CLSIDFromProgID(u"qbcomtest.SAMPLE", &clsid), S_OK);
  EXPECT_EQ(clsid, kClsidSample);
  ASSERT_EQ(CLSIDFromString(u"QbComTest.Sample", &clsid), NOERROR);
  EXPECT_EQ(clsid, kClsidSample);
  ComPtr<IDispatch> second;
  ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IDispatch, second.out_void()), S_OK);
  EXPECT_NE(second.get(), object.get());
  EXPECT_EQ(Repeat(second.get(), u"Repeat", 1, u"q"), u"q");

  LPOLESTR prog_id = nullptr;
  ASSERT_EQ(ProgIDFromCLSID(kClsidSample, &prog_id), S_OK);
  EXPECT_EQ(std::u16string(prog_id), u"QbComTest.Sample");
  CoTaskMemFree(prog_id);

  EXPECT_EQ(CLSIDFromProgID(u"QbComTest.Nothing", &clsid), CO_E_CLASSSTRING);
  EXPECT_EQ(clsid, CLSID_NULL);
  EXPECT_EQ(CLSIDFromString(u"{not-a-guid}", &clsid), CO_E_CLASSSTRING);
  EXPECT_EQ(CoInitialize(nullptr), S_OK);
  EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
  CoUninitialize();
  CoUninitialize();
}

TEST_F(ActivationTest, BadRegistrationsGiveTheirCodes) {
  const std::string text_file = dir() + "/not-a-library.so";
  std::ofstream(text_file) << "this is text\n";
  struct Case {
    const char* what;
    const char* library;  // null: not registered at all
    HRESULT hr;
  } cases[] = {
      {"not registered", nullptr, REGDB_E_CLASSNOTREG},
      {"missing file", "/nonexistent/dir/libnothing.so", CO_E_DLLNOTFOUND},
      {"empty path", "", CO_E_DLLNOTFOUND},
      {"text file", text_file.c_str(), CO_E_ERRORINDLL},
      {"no exports", QB_TEST_NOEXPORTS, CO_E_ERRORINDLL},
      {"class not served", QB_TEST_SERVER, CLASS_E_CLASSNOTAVAILABLE},
  };
  uint32_t n = 0;
  for (const Case& c : cases) {
    CLSID clsid = kClsidSample;
    clsid.Data1 = 0xABC00000u + n++;
    if (c.library != nullptr) RegisterByHand(clsid, c.library);
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, &object), c.hr)
        << c.what;
    EXPECT_EQ(object, nullptr) << c.what;
  }
  ASSERT_EQ(ServerRegister(SampleModel(), ServerPath()), S_OK);
  void* object = nullptr;
  EXPECT_EQ(CoCreateInstance(kClsidSample, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, &object),
            REGDB_E_CLASSNOTREG);
  EXPECT_EQ(CoCreateInstance(kClsidSample, nullptr, CLSCTX_INPROC_SERVER, IID_ITypeLib, &object),
            E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(CoCreateInstance(kClsidSample, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, nullptr),
            E_POINTER);
}

TEST_F(ActivationTest, FreeUnusedLibrariesUnloadsIdleServers) {
  ASSERT_EQ(ServerRegister(SampleModel(), ServerPath()), S_OK);
  CoFreeUnusedLibraries();  // whatever earlier tests of this process left
  ASSERT_FALSE(IsLoaded(ServerPath()));
  ComPtr<IDispatch> object;
  ASSERT_EQ(CoCreateInstance(kClsidSample, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                             object.out_void()),
            S_OK);
  ComPtr<ITypeInfo> type_info;
  ASSERT_EQ(object->GetTypeInfo(0, 0, type_info.out()), S_OK);
  object.Reset();
  CoFreeUnusedLibraries();
  EXPECT_TRUE(IsLoaded(ServerPath())) << "a type info of the library is still alive";
  type_info.Reset();

  ComPtr<IClassFactory> factory;
  ASSERT_EQ(CoGetClassObject(kClsidSample, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                             factory.out_void()),
            S_OK);
  ASSERT_EQ(factory->LockServer(TRUE), S_OK);
  factory.Reset();
  CoFreeUnusedLibraries();
  EXPECT_TRUE(IsLoaded(ServerPath())) << "locked";

  ASSERT_EQ(CoGetClassObject(kClsidSample, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                             factory.out_void()),
            S_OK);
  ASSERT_EQ(factory->LockServer(FALSE), S_OK);
  factory.Reset();
  CoFreeUnusedLibraries();
  EXPECT_FALSE(IsLoaded(ServerPath()));

  // It comes back on the next use.
  ASSERT_EQ(CoCreateInstance(kClsidSample, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                             object.out_void()),
            S_OK);
  EXPECT_EQ(Repeat(object.get(), u"Repeat", 2, u"k"), u"kk");
  object.Reset();
  CoFreeUnusedLibraries();
  EXPECT_FALSE(IsLoaded(ServerPath()));
}

TEST(ModulePathTest, ProgramPathForTheProgramsOwnCopy) {
  EXPECT_EQ(ThisModulePath(), RealPath("/proc/self/exe"));
}

}  // namespace
}  // namespace qb::com_test
