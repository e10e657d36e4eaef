// A test fixture with a fresh registry in a temporary XDG_CONFIG_HOME and
// AVOLE (the real library, built beside the tests) registered in it.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <memory>
#include <string>

#include "avole/avole.h"
#include "engine/cp932.h"
#include "platform/com/com.h"
#include "tests/support/temp_dir.h"

namespace avole::testing {

class AvoleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::make_unique<qb::testing::TempDir>();
    ASSERT_EQ(setenv("XDG_CONFIG_HOME", dir_->path().c_str(), 1), 0);
    library_ = dlopen(AVOLE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library_, nullptr) << dlerror();
    auto reg = reinterpret_cast<HRESULT (*)()>(dlsym(library_, "DllRegisterServer"));
    ASSERT_NE(reg, nullptr);
    ASSERT_EQ(reg(), S_OK);
  }
  void TearDown() override {
    if (library_ != nullptr) dlclose(library_);
    // Unloads the library when the test left no object alive, so that the
    // next test starts with empty binding slots and a fresh start-up, as a
    // new process would.
    CoFreeUnusedLibraries();
    dir_.reset();
  }

  qb::ComPtr<_Reg> NewReg() {
    qb::ComPtr<_Reg> reg;
    EXPECT_EQ(CoCreateInstance(CLSID_Reg, nullptr, CLSCTX_INPROC_SERVER, IID__Reg,
                               reinterpret_cast<void**>(reg.out())),
              S_OK);
    return reg;
  }

  std::unique_ptr<qb::testing::TempDir> dir_;
  void* library_ = nullptr;
};

}  // namespace avole::testing
