// regsvr: registers an in-process server library (its DllRegisterServer),
// unregisters it (-u, DllUnregisterServer), or prints the version
// information stored in it (--version-info, read from the file without
// loading it).
#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tools/regsvr/elf_section.h"

namespace {

using ServerEntry = int32_t (*)();

constexpr const char* kUsage =
    "Usage: regsvr [-u] LIBRARY\n"
    "       regsvr --version-info LIBRARY\n"
    "Registers the in-process automation server LIBRARY for this user (its\n"
    "DllRegisterServer), or unregisters it with -u (DllUnregisterServer).\n"
    "--version-info prints the version information stored in LIBRARY.\n"
    "The registry is $XDG_CONFIG_HOME/quillbox/registry.db.\n";

int Usage(const char* message) {
  std::fprintf(stderr, "regsvr: %s\nTry 'regsvr --help' for more information.\n", message);
  return 2;
}

int VersionInfo(const char* path) {
  std::string data, error;
  if (!qb::ReadElfSection(path, ".avole_version", &data, &error)) {
    std::fprintf(stderr, "regsvr: %s: %s\n", path, error.c_str());
    return 1;
  }
  for (size_t pos = 0; pos < data.size();) {
    size_t end = data.find('\0', pos);
    if (end == std::string::npos) end = data.size();
    if (end > pos) std::printf("%.*s\n", static_cast<int>(end - pos), data.data() + pos);
    pos = end + 1;
  }
  return 0;
}

int Register(const char* path, bool unregister) {
  // The registry keeps the path the library was loaded from, so it must be
  // absolute.
  char absolute[PATH_MAX];
  if (realpath(path, absolute) == nullptr) {
    std::fprintf(stderr, "regsvr: %s: %s\n", path, std::strerror(errno));
    return 1;
  }
  void* library = dlopen(absolute, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    std::fprintf(stderr, "regsvr: %s: not a loadable library: %s\n", path, dlerror());
    return 1;
  }
  const char* entry_name = unregister ? "DllUnregisterServer" : "DllRegisterServer";
  auto entry = reinterpret_cast<ServerEntry>(dlsym(library, entry_name));
  if (entry == nullptr) {
    std::fprintf(stderr, "regsvr: %s: has no %s: it is not an in-process server\n", path,
                 entry_name);
    return 1;
  }
  int32_t hr = entry();
  if (hr < 0) {
    std::fprintf(stderr, "regsvr: %s: %s failed with 0x%08X\n", path, entry_name,
                 static_cast<uint32_t>(hr));
    return 1;
  }
  std::printf("%s %s\n", unregister ? "unregistered" : "registered", absolute);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  bool unregister = false, version_info = false;
  const char* library = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (!std::strcmp(argv[i], "--version")) {
      std::printf("regsvr %s\n", QB_VERSION);
      return 0;
    } else if (!std::strcmp(argv[i], "-u") || !std::strcmp(argv[i], "/u")) {
      unregister = true;
    } else if (!std::strcmp(argv[i], "--version-info")) {
      version_info = true;
    } else if (argv[i][0] == '-') {
      return Usage((std::string("unknown option '") + argv[i] + "'").c_str());
    } else if (library == nullptr) {
      library = argv[i];
    } else {
      return Usage("only one LIBRARY may be given");
    }
  }
  if (library == nullptr) return Usage("no LIBRARY given");
  if (version_info) return VersionInfo(library);
  return Register(library, unregister);
}
