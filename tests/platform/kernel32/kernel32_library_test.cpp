// libqb_kernel32.so, loaded at run time as a caller that binds "kernel32"
// does: the three functions by name, working on the same files.
#include <dlfcn.h>

#include <string>

#include <gtest/gtest.h>

#include "platform/win32.h"
#include "tests/platform/kernel32/kernel32_fixture.h"
#include "tests/support/temp_dir.h"

namespace qb::kernel32 {
namespace {

using Kernel32LibraryTest = Kernel32Test;

template <typename Function>
Function Bind(void* library, const char* name) {
  return reinterpret_cast<Function>(dlsym(library, name));
}

TEST_F(Kernel32LibraryTest, ExportsTheThreeFunctionsOverTheSameFiles) {
  void* library = dlopen(QB_KERNEL32_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  auto windows_directory = Bind<decltype(&GetWindowsDirectoryA)>(library, "GetWindowsDirectoryA");
  auto get = Bind<decltype(&GetPrivateProfileStringA)>(library, "GetPrivateProfileStringA");
  auto write = Bind<decltype(&WritePrivateProfileStringA)>(library, "WritePrivateProfileStringA");
  ASSERT_TRUE(windows_directory && get && write);
  // The library's own functions, not the ones linked into this test.
  EXPECT_NE(reinterpret_cast<void*>(get), reinterpret_cast<void*>(&GetPrivateProfileStringA));

  char path[4096];
  UINT length = windows_directory(path, sizeof path);
  EXPECT_EQ(std::string(path, length), WindowsDir());

  ASSERT_EQ(write("Section", "Key", "from library", "app.ini"), TRUE);
  char value[200];
  EXPECT_EQ(GetPrivateProfileStringA("section", "key", "", value, 200, "app.ini"), 12u);
  EXPECT_STREQ(value, "from library");
  ASSERT_EQ(WritePrivateProfileStringA("Section", "Key", "from test", "app.ini"), TRUE);
  EXPECT_EQ(get("SECTION", "KEY", "", value, 200, "app.ini"), 9u);
  EXPECT_STREQ(value, "from test");
  EXPECT_EQ(testing::ReadFile(WindowsDir() + "/app.ini"), "[Section]\r\nKey=from test\r\n");
  // Not unloaded: callers bind the library once and keep it for the life of
  // the process, and so does this test.
}

}  // namespace
}  // namespace qb::kernel32
