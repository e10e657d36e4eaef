#include "platform/com/activation.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/com/advapi.h"
#include "platform/com/ansi.h"
#include "platform/com/bstr.h"

namespace {

using GetClassObjectFn = HRESULT (*)(REFCLSID, REFIID, LPVOID*);
using CanUnloadNowFn = HRESULT (*)();

thread_local int t_init_count = 0;

// The loaded server libraries, by registered path.
struct LibraryTable {
  std::mutex mutex;
  std::map<std::string, void*> handles;
};

LibraryTable& Libraries() {
  static LibraryTable table;
  return table;
}

// A function exported by a loaded library. The cast between an object
// pointer and a function pointer is what dlsym requires.
template <typename Fn>
Fn Export(void* handle, const char* name) {
  void* symbol = dlsym(handle, name);
  Fn fn;
  static_assert(sizeof(fn) == sizeof(symbol));
  std::memcpy(&fn, &symbol, sizeof(fn));
  return fn;
}

// Reads the unnamed REG_SZ value of HKEY_CLASSES_ROOT\|path|, up to its first
// NUL. Returns S_OK, REGDB_E_CLASSNOTREG (no key or no value) or
// REGDB_E_READREGDB.
HRESULT ReadClassesText(const std::string& path, std::string* text) {
  HKEY key = 0;
  LONG rc = qb::com_internal::AdvapiOpenKey(HKEY_CLASSES_ROOT, path.c_str(), &key);
  if (rc == ERROR_FILE_NOT_FOUND) return REGDB_E_CLASSNOTREG;
  if (rc != ERROR_SUCCESS) return REGDB_E_READREGDB;
  DWORD type = 0;
  DWORD size = 0;
  HRESULT hr = S_OK;
  rc = qb::com_internal::AdvapiQueryValue(key, "", &type, nullptr, &size);
  if (rc == ERROR_FILE_NOT_FOUND) {
    hr = REGDB_E_CLASSNOTREG;
  } else if (rc != ERROR_SUCCESS || type != REG_SZ) {
    hr = REGDB_E_READREGDB;
  } else {
    std::string buffer(size, '\0');
    rc = qb::com_internal::AdvapiQueryValue(
        key, "", &type, size == 0 ? nullptr : reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (rc != ERROR_SUCCESS) {
      hr = REGDB_E_READREGDB;
    } else {
      buffer.resize(std::min<size_t>(size, buffer.size()));
      *text = buffer.substr(0, buffer.find('\0'));
    }
  }
  qb::com_internal::AdvapiCloseKey(key);
  return hr;
}

std::string Ansi(std::u16string_view text) { return qb::com_internal::ToAnsi(text); }

LPOLESTR TaskString(std::u16string_view text) {
  auto* out = static_cast<LPOLESTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(OLECHAR)));
  if (out == nullptr) return nullptr;
  std::memcpy(out, text.data(), text.size() * sizeof(OLECHAR));
  out[text.size()] = u'\0';
  return out;
}

// The handle of the server library at |path|, loading it on first use.
HRESULT LoadServer(const std::string& path, void** handle) {
  LibraryTable& table = Libraries();
  {
    std::lock_guard<std::mutex> lock(table.mutex);
    auto it = table.handles.find(path);
    if (it != table.handles.end()) {
      *handle = it->second;
      return S_OK;
    }
  }
  struct stat st;
  if (path.empty() || stat(path.c_str(), &st) != 0) return CO_E_DLLNOTFOUND;
  void* loaded = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (loaded == nullptr) return CO_E_ERRORINDLL;
  if (Export<GetClassObjectFn>(loaded, "DllGetClassObject") == nullptr) {
    dlclose(loaded);
    return CO_E_ERRORINDLL;
  }
  std::lock_guard<std::mutex> lock(Libraries().mutex);
  auto inserted = table.handles.emplace(path, loaded);
  if (!inserted.second) dlclose(loaded);  // another thread was quicker
  *handle = inserted.first->second;
  return S_OK;
}

}  // namespace

extern "C" {

HRESULT CoInitialize(LPVOID reserved) { return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED); }

HRESULT CoInitializeEx(LPVOID, DWORD) { return t_init_count++ == 0 ? S_OK : S_FALSE; }

void CoUninitialize() {
  if (t_init_count > 0) --t_init_count;
}

HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, LPVOID server_info, REFIID riid,
                         LPVOID* object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (server_info != nullptr) return E_INVALIDARG;
  if ((context & CLSCTX_INPROC_SERVER) == 0) return REGDB_E_CLASSNOTREG;
  std::string path;
  HRESULT hr = ReadClassesText("CLSID\\" + qb::FormatGuid(clsid) + "\\InprocServer32", &path);
  if (FAILED(hr)) return hr;
  void* handle = nullptr;
  hr = LoadServer(path, &handle);
  if (FAILED(hr)) return hr;
  GetClassObjectFn get = Export<GetClassObjectFn>(handle, "DllGetClassObject");
  hr = get(clsid, riid, object);
  if (SUCCEEDED(hr) && *object == nullptr) return E_UNEXPECTED;
  if (FAILED(hr)) *object = nullptr;
  return hr;
}

HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID riid,
                         LPVOID* object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  void* factory_pointer = nullptr;
  HRESULT hr = CoGetClassObject(clsid, context, nullptr, IID_IClassFactory, &factory_pointer);
  if (FAILED(hr)) return hr;
  IClassFactory* factory = static_cast<IClassFactory*>(factory_pointer);
  hr = factory->CreateInstance(outer, riid, object);
  factory->Release();
  if (FAILED(hr)) {
    *object = nullptr;
  } else if (*object == nullptr) {
    hr = E_UNEXPECTED;
  }
  return hr;
}

void CoFreeUnusedLibraries() {
  LibraryTable& table = Libraries();
  std::vector<std::pair<std::string, void*>> loaded;
  {
    std::lock_guard<std::mutex> lock(table.mutex);
    loaded.assign(table.handles.begin(), table.handles.end());
  }
  for (const auto& [path, handle] : loaded) {
    CanUnloadNowFn can_unload = Export<CanUnloadNowFn>(handle, "DllCanUnloadNow");
    if (can_unload == nullptr || can_unload() != S_OK) continue;
    std::lock_guard<std::mutex> lock(table.mutex);
    auto it = table.handles.find(path);
    if (it == table.handles.end() || it->second != handle) continue;
    table.handles.erase(it);
    dlclose(handle);
  }
}

HRESULT CLSIDFromProgID(LPCOLESTR prog_id, LPCLSID clsid) {
  if (prog_id == nullptr || clsid == nullptr) return E_INVALIDARG;
  *clsid = CLSID_NULL;
  std::string text;
  if (FAILED(ReadClassesText(Ansi(prog_id) + "\\CLSID", &text))) return CO_E_CLASSSTRING;
  return qb::ParseGuid(text, clsid) ? S_OK : CO_E_CLASSSTRING;
}

HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* prog_id) {
  if (prog_id == nullptr) return E_INVALIDARG;
  *prog_id = nullptr;
  std::string text;
  HRESULT hr = ReadClassesText("CLSID\\" + qb::FormatGuid(clsid) + "\\ProgID", &text);
  if (FAILED(hr)) return hr;
  if (text.empty()) return REGDB_E_CLASSNOTREG;
  *prog_id = TaskString(qb::com_internal::FromAnsi(text));
  return *prog_id == nullptr ? E_OUTOFMEMORY : S_OK;
}

HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid) {
  if (clsid == nullptr) return E_INVALIDARG;
  *clsid = CLSID_NULL;
  if (text == nullptr) return NOERROR;
  std::u16string_view view(text);
  if (qb::ParseGuid(view, clsid)) return NOERROR;
  if (!view.empty() && view[0] == u'{') return CO_E_CLASSSTRING;
  return SUCCEEDED(CLSIDFromProgID(text, clsid)) ? NOERROR : CO_E_CLASSSTRING;
}

HRESULT StringFromCLSID(REFCLSID clsid, LPOLESTR* text) {
  if (text == nullptr) return E_INVALIDARG;
  *text = TaskString(qb::FormatGuidUtf16(clsid));
  return *text == nullptr ? E_OUTOFMEMORY : S_OK;
}

LPVOID CoTaskMemAlloc(SIZE_T size) { return std::malloc(size == 0 ? 1 : size); }

void CoTaskMemFree(LPVOID memory) { std::free(memory); }

}  // extern "C"
