// Shared pieces of the kernel32 tests: a fixture that points XDG_CONFIG_HOME
// at a fresh temporary directory (so every test has its own Windows
// directory) and holds a second temporary directory for INI files, and a
// caller of GetPrivateProfileStringA that sees the whole buffer.
#pragma once

#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "platform/win32.h"
#include "tests/support/temp_dir.h"

namespace qb::kernel32 {

// What one GetPrivateProfileStringA call gave: its return value and the
// whole buffer, which starts as |size| bytes of "#" so that every byte the
// call wrote shows.
struct Reading {
  DWORD result = 0;
  std::string buffer;
};
Reading CallGet(const char* app, const char* key, const char* default_value, DWORD size,
                const std::string& file);

class Kernel32Test : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The temporary directory that XDG_CONFIG_HOME names.
  const std::string& config_home() const { return config_home_.path(); }
  // The Windows directory stand-in under it.
  std::string WindowsDir() const { return config_home() + "/quillbox/windows"; }
  // A path for INI files of the test, outside the configuration directory.
  std::string FilePath(const std::string& name) const { return files_.Path(name); }
  const std::string& files_dir() const { return files_.path(); }

 private:
  qb::testing::TempDir config_home_;
  qb::testing::TempDir files_;
  std::optional<std::string> saved_config_home_;
};

}  // namespace qb::kernel32
