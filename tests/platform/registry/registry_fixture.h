// Shared pieces of the registry tests: a fixture that points XDG_CONFIG_HOME
// at a fresh temporary directory (so every test has its own store), value
// helpers that go through the seven functions, and a child process with
// pipes for the multi-process cases.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "platform/win32.h"

namespace qb::registry {

// Creates (when needed) the key |path| below |root| and stores |bytes| as
// its value |name| with |type|. Returns the first error.
LONG Put(HKEY root, const char* path, const char* name, DWORD type, std::string_view bytes);

// Reads the value |name| of the key |path| below |root| the way the original
// callers do: a size query with a null buffer, then a read into a buffer of
// that size. Returns the first error.
LONG Get(HKEY root, const char* path, const char* name, DWORD* type, std::string* bytes);

// A string value's bytes as written by the callers: the text and one NUL.
inline std::string Sz(std::string_view text) { return std::string(text) + '\0'; }

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Points XDG_CONFIG_HOME at |dir| (for tests that switch stores).
  static void UseConfigHome(const std::string& dir);

  const std::string& config_home() const { return config_home_; }
  std::string StoreDir() const { return config_home_ + "/quillbox"; }
  std::string StoreFile() const { return StoreDir() + "/registry.db"; }
  // The files moved aside in the store directory, sorted.
  std::vector<std::string> AsideFiles() const;

  // A fresh directory under the test's own, removed at the end.
  std::string NewTempDir(const std::string& name) const;

 private:
  std::string config_home_;
  std::string saved_config_home_;
  bool had_config_home_ = false;
};

// A file's whole content, or "" when it cannot be read.
std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, std::string_view bytes);

// A child process whose standard input and output are pipes to the test.
class Child {
 public:
  // Starts |program| with |args| and the test's environment.
  Child(const std::string& program, const std::vector<std::string>& args);
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool started() const { return pid_ > 0; }
  // One line of the child's output without its line feed; "" at the end.
  std::string ReadLine();
  void WriteLine(const std::string& line);
  void CloseInput();
  void Kill(int signal);
  // Waits for the child; its wait status.
  int Wait();

 private:
  pid_t pid_ = -1;
  int to_child_ = -1;
  int from_child_ = -1;
};

}  // namespace qb::registry
