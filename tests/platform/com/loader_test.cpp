// The system-library loader and functions bound on first use, with the real
// stand-in library libqb_advapi32.so.
#include <dlfcn.h>

#include <gtest/gtest.h>

#include <cstring>

#include "platform/com/loader.h"
#include "tests/platform/com/temp_registry.h"

namespace qb::com_test {
namespace {

TEST(LoaderTest, MapsTheOriginalLibraryNames) {
  struct Case {
    const char* name;
    const char* file;
  } cases[] = {
      {"kernel32", "libqb_kernel32.so"},        {"KERNEL32.DLL", "libqb_kernel32.so"},
      {"advapi32", "libqb_advapi32.so"},        {"advapi32.dll", "libqb_advapi32.so"},
      {"AdvApi32.Dll", "libqb_advapi32.so"},    {"user32", "libqb_user32.so"},
      {"user32.dll", "libqb_user32.so"},        {"gdi32", "gdi32"},
      {"/lib/x/libm.so.6", "/lib/x/libm.so.6"},
  };
  for (const Case& c : cases) EXPECT_EQ(MappedLibraryName(c.name), c.file) << c.name;
}

class LoaderRegistryTest : public TempRegistryTest {};

TEST_F(LoaderRegistryTest, LoadsTheStandInsAndCountsLookUps) {
  HMODULE advapi = LoadLibraryA("ADVAPI32.DLL");
  ASSERT_NE(advapi, nullptr) << "libqb_advapi32.so beside the program's library directory";
  HMODULE again = LoadLibraryA("advapi32");
  EXPECT_EQ(again, advapi) << "one library, two names";
  uint64_t before = QbComLookupCount();
  EXPECT_NE(GetProcAddress(advapi, "RegOpenKeyA"), nullptr);
  EXPECT_EQ(GetProcAddress(advapi, "NoSuchExport"), nullptr);
  EXPECT_EQ(QbComLookupCount(), before + 2);
  EXPECT_TRUE(FreeLibrary(again));
  EXPECT_TRUE(FreeLibrary(advapi));

  EXPECT_EQ(LoadLibraryA("no-such-library-anywhere"), nullptr);
  EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
  EXPECT_FALSE(FreeLibrary(nullptr));
}

qb::BoundFunction<decltype(RegCreateKeyA)> g_create_key{"advapi32.dll", "RegCreateKeyA"};
qb::BoundFunction<decltype(RegCloseKey)> g_close_key{"advapi32", "RegCloseKey"};
qb::BoundFunction<LONG(HKEY)> g_missing{"advapi32", "RegNoSuchFunction"};

TEST_F(LoaderRegistryTest, BoundFunctionsAreLookedUpOnFirstUseOnly) {
  EXPECT_FALSE(g_create_key.bound()) << "empty when the program starts";
  uint64_t before = QbComLookupCount();
  for (int i = 0; i < 3; ++i) {
    auto* create = g_create_key.get();
    ASSERT_NE(create, nullptr);
    HKEY key = 0;
    ASSERT_EQ(create(HKEY_CURRENT_USER, "Software\\QbComTest", &key), ERROR_SUCCESS);
    ASSERT_NE(g_close_key.get(), nullptr);
    EXPECT_EQ(g_close_key.get()(key), ERROR_SUCCESS);
  }
  EXPECT_EQ(QbComLookupCount(), before + 2) << "one look-up per slot";
  EXPECT_TRUE(g_create_key.bound());

  // A function that cannot be bound stays unbound and is tried again.
  EXPECT_EQ(g_missing.get(), nullptr);
  EXPECT_EQ(g_missing.get(), nullptr);
  EXPECT_EQ(QbComLookupCount(), before + 4);

  // What was written went through the stand-in into the same store.
  HKEY key = 0;
  EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\QbComTest", &key), ERROR_SUCCESS);
  RegCloseKey(key);
}

// A server library's own slots and count, as a test of such a library reads
// them.
TEST_F(LoaderRegistryTest, EachModuleCountsItsOwnLookUps) {
  void* server = dlopen(QB_TEST_SERVER, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(server, nullptr) << dlerror();
  void* count_symbol = dlsym(server, "QbComLookupCount");
  void* call_symbol = dlsym(server, "QbComTestCloseKey");
  ASSERT_NE(count_symbol, nullptr);
  ASSERT_NE(call_symbol, nullptr);
  uint64_t (*count)();
  LONG (*close_key)(HKEY);
  std::memcpy(&count, &count_symbol, sizeof(count));
  std::memcpy(&close_key, &call_symbol, sizeof(close_key));
  uint64_t program_before = QbComLookupCount();
  uint64_t before = count();
  EXPECT_EQ(close_key(0), ERROR_INVALID_HANDLE) << "reached libqb_advapi32.so";
  EXPECT_EQ(close_key(0), ERROR_INVALID_HANDLE);
  EXPECT_EQ(count(), before + 1);
  EXPECT_EQ(QbComLookupCount(), program_before) << "the program's own count is separate";
  dlclose(server);
}

}  // namespace
}  // namespace qb::com_test
