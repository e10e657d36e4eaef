#include "platform/com/loader.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cstring>
#include <map>
#include <mutex>
#include <string_view>
#include <vector>

#include "platform/com/server.h"

namespace {

std::atomic<uint64_t> g_lookups{0};

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool IsFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The libraries loaded for BindExport, by mapped name. They are never freed:
// like the original's system libraries they stay for the life of the
// process (a stand-in library may keep state that must outlive this module).
class BoundLibraries {
 public:
  HMODULE Get(const char* library) {
    std::string key = qb::MappedLibraryName(library);
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = handles_.find(key);
    if (it != handles_.end()) return it->second;
    HMODULE module = LoadLibraryA(library);
    if (module != nullptr) handles_.emplace(key, module);
    return module;
  }

 private:
  std::mutex mutex_;
  std::map<std::string, HMODULE> handles_;
};

BoundLibraries& Bound() {
  static BoundLibraries libraries;
  return libraries;
}

}  // namespace

namespace qb {

std::string MappedLibraryName(const std::string& name) {
  std::string lower = Lower(name);
  if (lower.size() > 4 && lower.compare(lower.size() - 4, 4, ".dll") == 0) {
    lower.resize(lower.size() - 4);
  }
  if (lower == "kernel32" || lower == "advapi32" || lower == "user32") {
    return "libqb_" + lower + ".so";
  }
  return name;
}

FARPROC BindExport(const char* library, const char* export_name) {
  HMODULE module = Bound().Get(library);
  if (module == nullptr) return nullptr;
  return GetProcAddress(module, export_name);
}

}  // namespace qb

extern "C" {

HMODULE LoadLibraryA(LPCSTR name) {
  if (name == nullptr || name[0] == '\0') return nullptr;
  std::string mapped = qb::MappedLibraryName(name);
  if (mapped == name) return dlopen(name, RTLD_NOW | RTLD_LOCAL);
  std::string dir = DirectoryOf(qb::ThisModulePath());
  for (const std::string& candidate :
       {dir + "/" + mapped, dir + "/../lib/" + mapped, dir + "/../lib/quillbox/" + mapped}) {
    if (IsFile(candidate)) {
      HMODULE module = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (module != nullptr) return module;
    }
  }
  return dlopen(mapped.c_str(), RTLD_NOW | RTLD_LOCAL);
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
  ++g_lookups;
  if (module == nullptr || name == nullptr) return nullptr;
  void* symbol = dlsym(module, name);
  FARPROC fn;
  static_assert(sizeof(fn) == sizeof(symbol));
  std::memcpy(&fn, &symbol, sizeof(fn));
  return fn;
}

BOOL FreeLibrary(HMODULE module) {
  if (module == nullptr) return FALSE;
  return dlclose(module) == 0 ? TRUE : FALSE;
}

uint64_t QbComLookupCount() { return g_lookups.load(); }

}  // extern "C"
