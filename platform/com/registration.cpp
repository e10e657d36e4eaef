// Writing and removing the registry entries of a server (list in server.h).
#include <cstdio>
#include <string>
#include <vector>

#include "platform/com/advapi.h"
#include "platform/com/ansi.h"
#include "platform/com/server.h"

namespace qb {
namespace {

// A registry text: code page 932 bytes.
std::string Ansi(std::u16string_view text) { return com_internal::ToAnsi(text); }

std::string Hex(unsigned value) {
  char buffer[16];
  std::snprintf(buffer, sizeof(buffer), "%x", value);
  return buffer;
}

std::string VersionKey(WORD major, WORD minor) { return Hex(major) + "." + Hex(minor); }

// Creates HKEY_CLASSES_ROOT\|path| (with missing levels) and sets its value
// |name| ("" for the default value) to the text |value|.
LONG SetText(const std::string& path, const std::string& value, const char* name = "") {
  HKEY key = 0;
  LONG rc = com_internal::AdvapiCreateKey(HKEY_CLASSES_ROOT, path.c_str(), &key);
  if (rc != ERROR_SUCCESS) return rc;
  rc = com_internal::AdvapiSetValue(key, name, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                    static_cast<DWORD>(value.size() + 1));
  com_internal::AdvapiCloseKey(key);
  return rc;
}

// Deletes HKEY_CLASSES_ROOT\|path|, which must have no subkeys left. A key
// that is not there counts as deleted.
LONG DeleteKey(const std::string& path) {
  size_t slash = path.rfind('\\');
  std::string parent = slash == std::string::npos ? std::string() : path.substr(0, slash);
  std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
  HKEY key = HKEY_CLASSES_ROOT;
  if (!parent.empty()) {
    LONG rc = com_internal::AdvapiOpenKey(HKEY_CLASSES_ROOT, parent.c_str(), &key);
    if (rc == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (rc != ERROR_SUCCESS) return rc;
  }
  LONG rc = com_internal::AdvapiDeleteKey(key, leaf.c_str());
  if (!parent.empty()) com_internal::AdvapiCloseKey(key);
  return rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;
}

// Deletes |paths| in order (deepest first); the first failure is kept but
// the rest are still tried.
LONG DeleteKeys(const std::vector<std::string>& paths) {
  LONG first_failure = ERROR_SUCCESS;
  for (const std::string& path : paths) {
    LONG rc = DeleteKey(path);
    if (rc != ERROR_SUCCESS && first_failure == ERROR_SUCCESS) first_failure = rc;
  }
  return first_failure;
}

std::string DirectoryOf(std::string_view path) {
  size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return ".";
  if (slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

std::string TypeLibKey(const TypeLibSpec& lib) {
  return "TypeLib\\" + FormatGuid(lib.libid) + "\\" + VersionKey(lib.major, lib.minor);
}

std::string InterfaceKey(const InterfaceSpec& itf) { return "Interface\\" + FormatGuid(itf.iid); }

std::string ClassKey(const CoclassSpec& coclass) { return "CLSID\\" + FormatGuid(coclass.clsid); }

bool Registered(const CoclassSpec& coclass) { return coclass.create != nullptr; }

}  // namespace

HRESULT RegisterCoclass(const TypeLibModel& model, const CoclassSpec& coclass,
                        std::string_view library_path) {
  const std::string key = ClassKey(coclass);
  const std::string prog_id = Ansi(model.ProgIdOf(coclass));
  const std::string clsid = FormatGuid(coclass.clsid);
  const std::string path(library_path);
  bool ok = SetText(key, Ansi(coclass.name)) == ERROR_SUCCESS &&
            SetText(key + "\\InprocServer32", path) == ERROR_SUCCESS &&
            SetText(key + "\\InprocServer32", "Apartment", "ThreadingModel") == ERROR_SUCCESS &&
            SetText(key + "\\ProgID", prog_id) == ERROR_SUCCESS &&
            SetText(key + "\\TypeLib", FormatGuid(model.spec().libid)) == ERROR_SUCCESS &&
            SetText(prog_id, Ansi(coclass.name)) == ERROR_SUCCESS &&
            SetText(prog_id + "\\CLSID", clsid) == ERROR_SUCCESS;
  return ok ? S_OK : SELFREG_E_CLASS;
}

HRESULT UnregisterCoclass(const TypeLibModel& model, const CoclassSpec& coclass) {
  const std::string key = ClassKey(coclass);
  const std::string prog_id = Ansi(model.ProgIdOf(coclass));
  LONG rc = DeleteKeys({key + "\\InprocServer32", key + "\\ProgID", key + "\\TypeLib", key,
                        prog_id + "\\CLSID", prog_id});
  return rc == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
}

HRESULT RegisterTypeLibrary(const TypeLibModel& model, std::string_view library_path) {
  const TypeLibSpec& lib = model.spec();
  const std::string key = TypeLibKey(lib);
  const std::string libid = FormatGuid(lib.libid);
  const std::string version = VersionKey(lib.major, lib.minor);
  const std::string path(library_path);
  bool ok = SetText(key, Ansi(lib.help)) == ERROR_SUCCESS &&
            SetText(key + "\\" + Hex(lib.lcid) + "\\win32", path) == ERROR_SUCCESS &&
            SetText(key + "\\FLAGS", std::to_string(lib.flags)) == ERROR_SUCCESS &&
            SetText(key + "\\HELPDIR", DirectoryOf(library_path)) == ERROR_SUCCESS;
  for (const TypeSpec& type : lib.types) {
    const InterfaceSpec* itf = std::get_if<InterfaceSpec>(&type);
    if (!ok || itf == nullptr) continue;
    const std::string ikey = InterfaceKey(*itf);
    ok = SetText(ikey, Ansi(itf->name)) == ERROR_SUCCESS &&
         SetText(ikey + "\\ProxyStubClsid32", FormatGuid(CLSID_PSOAInterface)) == ERROR_SUCCESS &&
         SetText(ikey + "\\TypeLib", libid) == ERROR_SUCCESS &&
         SetText(ikey + "\\TypeLib", version, "Version") == ERROR_SUCCESS;
  }
  return ok ? S_OK : SELFREG_E_TYPELIB;
}

HRESULT UnregisterTypeLibrary(const TypeLibModel& model) {
  const TypeLibSpec& lib = model.spec();
  const std::string key = TypeLibKey(lib);
  const std::string lcid_key = key + "\\" + Hex(lib.lcid);
  std::vector<std::string> paths;
  for (const TypeSpec& type : lib.types) {
    if (const InterfaceSpec* itf = std::get_if<InterfaceSpec>(&type)) {
      const std::string ikey = InterfaceKey(*itf);
      paths.push_back(ikey + "\\ProxyStubClsid32");
      paths.push_back(ikey + "\\TypeLib");
      paths.push_back(ikey);
    }
  }
  paths.insert(paths.end(),
               {lcid_key + "\\win32", lcid_key, key + "\\FLAGS", key + "\\HELPDIR", key});
  LONG rc = DeleteKeys(paths);
  // The library's own key goes only when no other version is registered
  // under it; a refusal because of such subkeys is no failure.
  DeleteKey("TypeLib\\" + FormatGuid(lib.libid));
  return rc == ERROR_SUCCESS ? S_OK : SELFREG_E_TYPELIB;
}

HRESULT ServerRegister(const TypeLibModel& model) {
  return ServerRegister(model, ThisModulePath());
}

HRESULT ServerRegister(const TypeLibModel& model, std::string_view library_path) {
  if (library_path.empty()) return SELFREG_E_CLASS;
  HRESULT hr = RegisterTypeLibrary(model, library_path);
  if (FAILED(hr)) return hr;
  for (const TypeSpec& type : model.spec().types) {
    const CoclassSpec* coclass = std::get_if<CoclassSpec>(&type);
    if (coclass == nullptr || !Registered(*coclass)) continue;
    hr = RegisterCoclass(model, *coclass, library_path);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT ServerUnregister(const TypeLibModel& model) {
  HRESULT result = S_OK;
  for (const TypeSpec& type : model.spec().types) {
    const CoclassSpec* coclass = std::get_if<CoclassSpec>(&type);
    if (coclass == nullptr || !Registered(*coclass)) continue;
    HRESULT hr = UnregisterCoclass(model, *coclass);
    if (FAILED(hr) && SUCCEEDED(result)) result = hr;
  }
  HRESULT hr = UnregisterTypeLibrary(model);
  if (FAILED(hr) && SUCCEEDED(result)) result = hr;
  return result;
}

}  // namespace qb
