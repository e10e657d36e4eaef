#include "tests/platform/kernel32/kernel32_fixture.h"

#include <cstdlib>

namespace qb::kernel32 {

Reading CallGet(const char* app, const char* key, const char* default_value, DWORD size,
                const std::string& file) {
  Reading reading;
  reading.buffer.assign(size, '#');
  reading.result =
      GetPrivateProfileStringA(app, key, default_value, reading.buffer.data(), size, file.c_str());
  return reading;
}

void Kernel32Test::SetUp() {
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  if (saved != nullptr) saved_config_home_ = saved;
  setenv("XDG_CONFIG_HOME", config_home().c_str(), 1);
}

void Kernel32Test::TearDown() {
  if (saved_config_home_.has_value()) {
    setenv("XDG_CONFIG_HOME", saved_config_home_->c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }
}

}  // namespace qb::kernel32
