// libqb_advapi32.so, loaded at run time as a caller that binds "advapi32"
// does: the seven functions by name, working on the same store.
#include <dlfcn.h>

#include <string>

#include <gtest/gtest.h>

#include "platform/win32.h"
#include "tests/platform/registry/registry_fixture.h"

namespace qb::registry {
namespace {

using Advapi32LibraryTest = RegistryTest;

template <typename Function>
Function Bind(void* library, const char* name) {
  return reinterpret_cast<Function>(dlsym(library, name));
}

TEST_F(Advapi32LibraryTest, ExportsTheSevenFunctionsOverTheSameStore) {
  void* library = dlopen(QB_ADVAPI32_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  auto open = Bind<decltype(&RegOpenKeyA)>(library, "RegOpenKeyA");
  auto create = Bind<decltype(&RegCreateKeyA)>(library, "RegCreateKeyA");
  auto query = Bind<decltype(&RegQueryValueExA)>(library, "RegQueryValueExA");
  auto set = Bind<decltype(&RegSetValueExA)>(library, "RegSetValueExA");
  auto delete_value = Bind<decltype(&RegDeleteValueA)>(library, "RegDeleteValueA");
  auto delete_key = Bind<decltype(&RegDeleteKeyA)>(library, "RegDeleteKeyA");
  auto close = Bind<decltype(&RegCloseKey)>(library, "RegCloseKey");
  ASSERT_TRUE(open && create && query && set && delete_value && delete_key && close);
  // The library's own functions, not the ones linked into this test.
  EXPECT_NE(reinterpret_cast<void*>(open), reinterpret_cast<void*>(&RegOpenKeyA));

  HKEY key = 0;
  ASSERT_EQ(create(HKEY_CURRENT_USER, "Software\\Arvenda\\Quillbox95\\FormFont", &key),
            ERROR_SUCCESS);
  const std::string text = Sz("9.75");
  ASSERT_EQ(set(key, "Mes", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                static_cast<DWORD>(text.size())),
            ERROR_SUCCESS);
  DWORD type = 0;
  DWORD size = 0;
  EXPECT_EQ(query(key, "MES", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, text.size());
  EXPECT_EQ(close(key), ERROR_SUCCESS);
  EXPECT_EQ(close(0), ERROR_INVALID_HANDLE);

  // The statically linked copy sees what the library wrote.
  std::string bytes;
  ASSERT_EQ(Get(HKEY_CURRENT_USER, "Software\\Arvenda\\Quillbox95\\FormFont", "Mes", &type, &bytes),
            ERROR_SUCCESS);
  EXPECT_EQ(bytes, text);

  ASSERT_EQ(open(HKEY_CURRENT_USER, "Software\\Arvenda\\Quillbox95", &key), ERROR_SUCCESS);
  EXPECT_EQ(delete_key(key, "FormFont"), ERROR_SUCCESS);
  EXPECT_EQ(delete_value(key, "none"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(close(key), ERROR_SUCCESS);
  // Not unloaded: callers bind the library once and keep it for the life of
  // the process, and so does this test.
}

}  // namespace
}  // namespace qb::registry
