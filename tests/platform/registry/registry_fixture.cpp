#include "tests/platform/registry/registry_fixture.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/registry/registry.h"

extern char** environ;

namespace qb::registry {

LONG Put(HKEY root, const char* path, const char* name, DWORD type, std::string_view bytes) {
  HKEY key = 0;
  LONG rc = RegCreateKeyA(root, path, &key);
  if (rc != ERROR_SUCCESS) return rc;
  rc = RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                      static_cast<DWORD>(bytes.size()));
  RegCloseKey(key);
  return rc;
}

LONG Get(HKEY root, const char* path, const char* name, DWORD* type, std::string* bytes) {
  HKEY key = 0;
  LONG rc = RegOpenKeyA(root, path, &key);
  if (rc != ERROR_SUCCESS) return rc;
  DWORD size = 0;
  rc = RegQueryValueExA(key, name, nullptr, type, nullptr, &size);
  if (rc == ERROR_SUCCESS) {
    std::string buffer(size, '?');
    rc = RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (rc == ERROR_SUCCESS) *bytes = buffer.substr(0, size);
  }
  RegCloseKey(key);
  return rc;
}

void RegistryTest::SetUp() {
  signal(SIGPIPE, SIG_IGN);  // a child that died early must not take the test with it
  std::string pattern = ::testing::TempDir() + "qb-registry-XXXXXX";
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  config_home_ = pattern;
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  had_config_home_ = saved != nullptr;
  if (saved != nullptr) saved_config_home_ = saved;
  UseConfigHome(config_home_);
  ResetForTesting();
}

void RegistryTest::TearDown() {
  ResetForTesting();
  if (had_config_home_) {
    setenv("XDG_CONFIG_HOME", saved_config_home_.c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }
  std::error_code ignored;
  std::filesystem::remove_all(config_home_, ignored);
}

void RegistryTest::UseConfigHome(const std::string& dir) {
  setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
}

std::vector<std::string> RegistryTest::AsideFiles() const {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(StoreDir(), error)) {
    std::string name = entry.path().filename().string();
    if (name.rfind("registry.db.corrupt-", 0) == 0) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string RegistryTest::NewTempDir(const std::string& name) const {
  std::string dir = config_home_ + "/" + name;
  std::filesystem::create_directories(dir);
  return dir;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void WriteWholeFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

Child::Child(const std::string& program, const std::vector<std::string>& args) {
  int in_pipe[2];
  int out_pipe[2];
  if (pipe2(in_pipe, O_CLOEXEC) != 0) return;
  if (pipe2(out_pipe, O_CLOEXEC) != 0) {
    close(in_pipe[0]);
    close(in_pipe[1]);
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in_pipe[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out_pipe[1], STDOUT_FILENO);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(in_pipe[0]);
  close(out_pipe[1]);
  to_child_ = in_pipe[1];
  from_child_ = out_pipe[0];
}

Child::~Child() {
  if (pid_ > 0) {
    Kill(SIGKILL);
    Wait();
  }
  if (to_child_ >= 0) close(to_child_);
  if (from_child_ >= 0) close(from_child_);
}

std::string Child::ReadLine() {
  std::string line;
  char c;
  while (read(from_child_, &c, 1) == 1 && c != '\n') line += c;
  return line;
}

void Child::WriteLine(const std::string& line) {
  std::string text = line + "\n";
  ssize_t written = write(to_child_, text.data(), text.size());
  (void)written;
}

void Child::CloseInput() {
  if (to_child_ >= 0) close(to_child_);
  to_child_ = -1;
}

void Child::Kill(int signal) {
  if (pid_ > 0) kill(pid_, signal);
}

int Child::Wait() {
  int status = -1;
  if (pid_ > 0 && waitpid(pid_, &status, 0) == pid_) pid_ = -1;
  return status;
}

}  // namespace qb::registry
