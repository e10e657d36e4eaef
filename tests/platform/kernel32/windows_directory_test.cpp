// GetWindowsDirectoryA: where the directory is, its creation, the buffer
// rules, and paths with Japanese characters through the ANSI interface.
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "engine/cp932.h"
#include "platform/kernel32/kernel32.h"
#include "platform/win32.h"
#include "tests/platform/kernel32/kernel32_fixture.h"
#include "tests/support/temp_dir.h"

namespace qb::kernel32 {
namespace {

using WindowsDirectoryTest = Kernel32Test;

mode_t Mode(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

TEST_F(WindowsDirectoryTest, CreatesTheDirectoryOnFirstUse) {
  EXPECT_FALSE(testing::Exists(WindowsDir()));
  char buffer[4096];
  UINT length = GetWindowsDirectoryA(buffer, sizeof buffer);
  ASSERT_EQ(length, WindowsDir().size());
  EXPECT_EQ(std::string(buffer), WindowsDir());
  EXPECT_EQ(Mode(config_home() + "/quillbox"), 0700u);
  EXPECT_EQ(Mode(WindowsDir()), 0700u);
  EXPECT_EQ(WindowsDirectoryPath(), WindowsDir());
}

TEST_F(WindowsDirectoryTest, TooSmallBufferGetsTheSizeNeededAndNothingWritten) {
  const UINT needed = static_cast<UINT>(WindowsDir().size()) + 1;
  std::string buffer(needed, '#');
  EXPECT_EQ(GetWindowsDirectoryA(buffer.data(), needed - 1), needed);
  EXPECT_EQ(buffer, std::string(needed, '#'));
  EXPECT_EQ(GetWindowsDirectoryA(nullptr, 0), needed);
  // Just big enough: the path and its NUL.
  EXPECT_EQ(GetWindowsDirectoryA(buffer.data(), needed), needed - 1);
  EXPECT_EQ(buffer, WindowsDir() + '\0');
}

TEST_F(WindowsDirectoryTest, FollowsTheEnvironment) {
  std::string trailing = config_home() + "/";
  setenv("XDG_CONFIG_HOME", trailing.c_str(), 1);
  EXPECT_EQ(WindowsDirectoryPath(), WindowsDir());  // no doubled "/"

  // Unset or relative: ~/.config.
  const char* saved_home = std::getenv("HOME");
  std::string old_home = saved_home != nullptr ? saved_home : "";
  setenv("HOME", config_home().c_str(), 1);
  setenv("XDG_CONFIG_HOME", "relative/dir", 1);
  EXPECT_EQ(WindowsDirectoryPath(), config_home() + "/.config/quillbox/windows");
  unsetenv("XDG_CONFIG_HOME");
  char buffer[4096];
  UINT length = GetWindowsDirectoryA(buffer, sizeof buffer);
  if (saved_home != nullptr) {
    setenv("HOME", old_home.c_str(), 1);
  } else {
    unsetenv("HOME");
  }
  EXPECT_EQ(std::string(buffer, length), config_home() + "/.config/quillbox/windows");
}

TEST_F(WindowsDirectoryTest, JapanesePathComesBackWholeAsCodePage932) {
  testing::TempDir base;
  std::string japanese = base.path() + "/\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";  // 日本語
  setenv("XDG_CONFIG_HOME", japanese.c_str(), 1);
  char buffer[4096];
  UINT length = GetWindowsDirectoryA(buffer, sizeof buffer);
  std::string ansi(buffer, length);
  EXPECT_EQ(ansi, EncodeCp932(japanese + "/quillbox/windows"));
  EXPECT_EQ(ansi.find("\x93\xFA\x96\x7B\x8C\xEA"), base.path().size() + 1);
  EXPECT_EQ(buffer[length], '\0');
  EXPECT_TRUE(testing::Exists(japanese + "/quillbox/windows"));

  // The path, handed back through the INI functions, names the same place.
  std::string file = ansi + "/app.ini";
  ASSERT_TRUE(WritePrivateProfileStringA("s", "k", "v", file.c_str()));
  EXPECT_EQ(testing::ReadFile(japanese + "/quillbox/windows/app.ini"), "[s]\r\nk=v\r\n");
}

TEST_F(WindowsDirectoryTest, PathThatCodePage932CannotCarryFails) {
  testing::TempDir base;
  for (const char* name : {"/\xE3\x80\x9C",         // 〜 U+301C comes back as U+FF5E
                           "/\xF0\x9F\x98\x80",     // an emoji code page 932 lacks
                           "/\x93\xFA\x96\x7B"}) {  // bytes that are not UTF-8
    std::string dir = base.path() + name;
    SCOPED_TRACE(dir);
    setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    std::string buffer(4096, '#');
    EXPECT_EQ(GetWindowsDirectoryA(buffer.data(), 4096), 0u);
    EXPECT_EQ(buffer, std::string(4096, '#'));
  }
}

TEST_F(WindowsDirectoryTest, DirectoryThatCannotBeCreatedFails) {
  testing::TempDir base;
  testing::WriteFile(base.Path("file"), "");
  std::string below_a_file = base.Path("file");
  setenv("XDG_CONFIG_HOME", below_a_file.c_str(), 1);
  char buffer[4096];
  EXPECT_EQ(GetWindowsDirectoryA(buffer, sizeof buffer), 0u);
  // And a bare INI name then names no file.
  EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "v", "app.ini"));
}

}  // namespace
}  // namespace qb::kernel32
