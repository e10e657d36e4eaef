// A test fixture whose registry is a fresh store in a temporary
// XDG_CONFIG_HOME, removed afterwards.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

namespace qb::com_test {

class TempRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "qb_com_test.XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    ASSERT_EQ(setenv("XDG_CONFIG_HOME", dir_.c_str(), 1), 0);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  const std::string& dir() const { return dir_; }

 private:
  std::string dir_;
};

}  // namespace qb::com_test
