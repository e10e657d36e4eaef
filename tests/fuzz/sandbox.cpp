#include "tests/fuzz/sandbox.h"

#include <dlfcn.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/com/base.h"
#include "tests/fuzz/fuzz_check.h"

namespace qb::fuzz {

const std::string& MakeSandbox(const char* name) {
  static std::string dir;
  const char* base = std::getenv("QB_FUZZ_TMPDIR");
  const std::string leaf = std::string("/qb-") + name + "-fuzz.XXXXXX";
  dir = std::string(base && *base ? base : "/dev/shm") + leaf;
  if (::mkdtemp(dir.data()) == nullptr) {
    dir = "/tmp" + leaf;
    FUZZ_CHECK(::mkdtemp(dir.data()) != nullptr);
  }
  setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
  std::atexit([] {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  });
  return dir;
}

void RegisterAvole(const char* library) {
  void* handle = dlopen(library, RTLD_NOW | RTLD_LOCAL);
  FUZZ_CHECK(handle != nullptr);
  auto reg = reinterpret_cast<HRESULT (*)()>(dlsym(handle, "DllRegisterServer"));
  FUZZ_CHECK(reg != nullptr && reg() == S_OK);
}

}  // namespace qb::fuzz
