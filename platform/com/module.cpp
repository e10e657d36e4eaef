// The module-wide state of this copy of qb_com: its lock count and its path.
#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstdlib>

#include "platform/com/server.h"

namespace qb {
namespace {

std::atomic<long> g_module_locks{0};

// An address inside this module, for dladdr.
const char kModuleAnchor = 0;

std::string RealPath(const char* path) {
  char* resolved = realpath(path, nullptr);
  if (resolved == nullptr) return std::string();
  std::string result(resolved);
  std::free(resolved);
  return result;
}

}  // namespace

void ModuleLock() { ++g_module_locks; }
void ModuleUnlock() { --g_module_locks; }
long ModuleLockCount() { return g_module_locks.load(); }

HRESULT ServerCanUnloadNow() { return ModuleLockCount() == 0 ? S_OK : S_FALSE; }

std::string ThisModulePath() {
  Dl_info info;
  struct link_map* map = nullptr;
  if (dladdr1(&kModuleAnchor, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0 ||
      map == nullptr) {
    return std::string();
  }
  // The program itself has an empty name in the link map.
  if (map->l_name == nullptr || map->l_name[0] == '\0') return RealPath("/proc/self/exe");
  return RealPath(map->l_name);
}

}  // namespace qb
